// The legal notices of a calculation: for each rule, the cases where it
// holds, its boundary dates and quarters, and where it stays silent; both
// worked examples to the cent. Index values come from the shipped files.

#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_notices.h"
#include "platform/file_io.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include <map>

namespace {

using Kind = LegalRuleKind;

const IndexTable &Shipped(const char *series) {
    static std::map<std::string, IndexTable> tables;
    auto [it, added] = tables.try_emplace(series);
    if (added) {
        const QString path = QDir(QStringLiteral(CALVOR_INDEX_DIR))
                                 .filePath(QString::fromLatin1(series) + QStringLiteral(".txt"));
        EXPECT_EQ(it->second.ReadIndexFile(path), ReadStatus::Ok) << series;
    }
    return it->second;
}

PackedDate D(unsigned day, unsigned month, unsigned year) {
    return PackedDate::FromParts(day, month, year);
}

QString Nbsp(const std::string &utf8) {
    return QString::fromStdString(utf8).replace(u'_', QChar(0x00A0));
}

constexpr Kind Claim = Kind::ClaimWithinAYear, FG = Kind::NoRevisionRatedFG,
               IrlCap = Kind::RegionalIrlCap, IlcCap = Kind::SmeIlcCap,
               Decree = Kind::IndexBeforeItsDecree, Move = Kind::CommercialQuarterMove,
               Unknown = Kind::ReferenceUnknownAtSignature;

struct Case {
    const char *name;
    const IndexTable *table;
    std::optional<IndexSeries> series;
    CalcDocument doc;
    PackedDate today;
    std::vector<Kind> expected;
    Kind rule;                        // whose text holds `needles`
    std::vector<std::string> needles; // '_' for a non-breaking space
    std::vector<std::string> rents;   // the walk's last rows' rents
};

Case C(const char *name, const IndexTable *table, std::optional<IndexSeries> series,
       PackedDate signature, PackedDate first, PackedDate last, int refYear, int refQuarter,
       double rent, PackedDate today, std::vector<Kind> expected, Kind rule = Claim,
       std::vector<std::string> needles = {}, std::vector<std::string> rents = {}) {
    CalcDocument doc;
    doc.signature = signature;
    doc.firstRevision = first;
    doc.lastRevision = last;
    doc.referenceDate.MakeQuarterDate(unsigned(refQuarter), unsigned(refYear));
    doc.rent = rent;
    return {name, table, series, doc, today, expected, rule, needles, rents};
}

// Each rule where it holds, at its boundary dates and quarters, and where it
// stays silent; both worked examples to the cent, their notices and the
// walk's own rents behind them.
TEST(RevisionNotices, EachRuleWhereItHoldsAndWhereItStaysSilent) {
    const IndexTable *irl = &Shipped("IRL");
    const IndexTable *ilc = &Shipped("ILC");
    // The ILC with the 2nd quarter of 2023 risen only 3 % over a year.
    IndexTable rising = *ilc;
    rising.Set(IndexTable::PositionOf(2023, 1), rising.At(IndexTable::PositionOf(2022, 1)) * 1.03f);
    ReadDecimalSeparator(TestLocale::French());
    const IndexTable *icc = &Shipped("ICC");
    const auto I = IndexSeries::Irl, L = IndexSeries::Ilc;
    const auto index = [irl](int year, int quarter) {
        return FormatNumber(irl->At(IndexTable::PositionOf(year, quarter)), 2);
    };
    const std::string claimExample = (QStringLiteral("(700,00\u00a0€ × ") + index(2025, 0) +
                                      QStringLiteral(" ÷ ") + index(2024, 0) + u')')
                                         .toStdString();

    const Case cases[] = {
        // The one-year rule.
        C("IRL example: 2023 and 2024 lost, 709,81 claimable", irl, I, D(15, 4, 2022),
          D(1, 2, 2023), D(1, 2, 2025), 2022, 0, 700.0, D(15, 3, 2025), {Claim, IrlCap}, Claim,
          {"depuis les révisions du 01/02/2023 et du 01/02/2024 :",
           "le loyer est resté de 700,00_€ ;", "la révision du 01/02/2025 donne 709,81_€",
           claimExample, "au lieu de 760,32_€."},
          {"760,32_€"}),
        C("a row exactly one year old can still be claimed", irl, I, D(15, 4, 2022), D(15, 3, 2023),
          D(15, 3, 2024), 2022, 0, 700.0, D(15, 3, 2025), {Claim, IrlCap}, Claim,
          {"depuis la révision du 15/03/2023 :", "la révision du 15/03/2024 donne"}),
        C("one day later every row is lost", irl, I, D(15, 4, 2022), D(15, 3, 2023), D(15, 3, 2024),
          2022, 0, 700.0, D(16, 3, 2025), {Claim, IrlCap}, Claim,
          {"depuis les révisions du 15/03/2023 et du 15/03/2024 :",
           "le loyer est resté de 700,00_€ au lieu de", "seule la prochaine révision"}),
        C("rows all within the year", irl, I, D(15, 1, 2024), D(15, 1, 2025), D(15, 1, 2025), 2023,
          3, 700.0, D(15, 3, 2025), {FG}, FG,
          {"Le bail signé le 15/01/2024 commence une période de trois ans le 15/01/2024 : la "
           "règle vaut alors pour la révision du 15/01/2025."}),
        C("revisions before the one-year rule are never lost", irl, I, D(1, 4, 2012),
          D(26, 3, 2013), D(26, 3, 2014), 2012, 0, 700.0, D(8, 12, 2026), {}),
        C("from 27 March 2014 they are", irl, I, D(1, 4, 2012), D(27, 3, 2013), D(27, 3, 2014),
          2012, 0, 700.0, D(8, 12, 2026), {Claim}, Claim, {"depuis la révision du 27/03/2014 :"}),

        // Housing rated F or G.
        C("a lease renewed on 24 August 2022 itself", irl, I, D(24, 8, 2019), D(24, 8, 2020),
          D(24, 8, 2023), 2019, 1, 700.0, D(24, 8, 2023), {Claim, FG, IrlCap}, FG,
          {"commence une période de trois ans le 24/08/2022 : la règle vaut alors pour les "
           "révisions du 24/08/2022 et du 24/08/2023."}),
        C("renewed the day before: outside until its next term", irl, I, D(23, 8, 2019),
          D(23, 8, 2020), D(23, 8, 2023), 2019, 1, 700.0, D(23, 8, 2023), {Claim, IrlCap}),
        C("overseas from 1 July 2024 itself", irl, I, D(1, 7, 2021), D(1, 7, 2022), D(1, 7, 2025),
          2021, 0, 700.0, D(1, 7, 2025), {Claim, FG, FG, IrlCap}, FG,
          {"commence une période de trois ans le 01/07/2024 : la règle vaut alors pour les "
           "révisions du 01/07/2024 et du 01/07/2025."}),

        // The capped IRL: 2022 Q3 to 2024 Q1.
        C("IRL of 2022 Q3, the first capped", irl, I, D(15, 10, 2021), D(15, 10, 2022),
          D(15, 10, 2022), 2021, 2, 700.0, D(1, 11, 2022), {IrlCap}, IrlCap,
          {"Pour la révision du 15/10/2022, l'indice est celui d'un trimestre du 3e trimestre "
           "2022 au 1er trimestre 2024"}),
        C("IRL of 2022 Q2, before the cap", irl, I, D(15, 7, 2021), D(15, 7, 2022), D(15, 7, 2022),
          2021, 1, 700.0, D(1, 8, 2022), {}),
        C("IRL of 2024 Q1, the last capped", irl, I, D(15, 4, 2023), D(15, 4, 2024), D(15, 4, 2024),
          2023, 0, 700.0, D(1, 5, 2024), {FG, IrlCap}),
        C("IRL of 2024 Q2, after it", irl, I, D(15, 7, 2023), D(15, 7, 2024), D(15, 7, 2024), 2023,
          1, 700.0, D(1, 8, 2024), {FG}),

        // The ILC capped for small businesses. The unrounded walk gives
        // 11 265,23 (11 265,2346); 11 265,24 would chain the rounded 11 158,28.
        C("ILC example: the capped chain", ilc, L, D(1, 4, 2022), D(1, 4, 2023), D(1, 4, 2025),
          2022, 0, 10000.0, D(8, 12, 2026), {IlcCap}, IlcCap,
          {"Pour les révisions du 01/04/2023 et du 01/04/2024, la hausse annuelle de l'ILC "
           "dépasse 3,5 % sur un trimestre du 2e trimestre 2022 au 1er trimestre 2024.",
           "01/04/2023 : 10 350,00_€, 01/04/2024 : 10 712,25_€, 01/04/2025 : 10 814,93_€."},
          {"10 669,10_€", "11 158,28_€", "11 265,23_€"}),
        C("ILC of 2022 Q2, the first capped", ilc, L, D(1, 7, 2021), D(1, 7, 2022), D(1, 7, 2022),
          2021, 1, 10000.0, D(8, 12, 2026), {IlcCap}),
        C("ILC of 2022 Q1, before the cap", ilc, L, D(1, 4, 2021), D(1, 4, 2022), D(1, 4, 2022),
          2021, 0, 10000.0, D(8, 12, 2026), {}),
        C("ILC of 2024 Q2, after it", ilc, L, D(1, 7, 2023), D(1, 7, 2024), D(1, 7, 2024), 2023, 1,
          10000.0, D(8, 12, 2026), {}),
        C("ILC under 3.5 % stays silent", &rising, L, D(1, 7, 2022), D(1, 7, 2023), D(1, 7, 2023),
          2022, 1, 10000.0, D(8, 12, 2026), {}),

        // An index used before it existed.
        C("IRL before 10 February 2008", irl, I, D(10, 2, 2006), D(9, 2, 2007), D(10, 2, 2008),
          2005, 3, 700.0, D(8, 12, 2026), {Decree}, Decree,
          {"Pour la révision du 09/02/2007, avant le 10/02/2008,", "l'IRL de 2005 ou à l'ICC"}),
        C("ILC before 5 November 2008", ilc, L, D(5, 11, 2006), D(4, 11, 2007), D(5, 11, 2008),
          2006, 1, 700.0, D(8, 12, 2026), {Decree}, Decree,
          {"Pour la révision du 04/11/2007, avant le 05/11/2008, date du décret qui a créé "
           "l'ILC"}),

        // A commercial rent moved by more than a quarter.
        C("ICC rent up more than 25 % on the last row", icc, IndexSeries::Icc, D(1, 1, 2000),
          D(1, 1, 2001), D(1, 1, 2007), 1999, 2, 1000.0, D(8, 12, 2026), {Move}, Move,
          {"Au 01/01/2007, le loyer du calcul (",
           ") s'écarte de plus de 25 % du loyer de départ (1 000,00_€). Dans un bail "
           "commercial"}),
        C("ICC rent up less than 25 %", icc, IndexSeries::Icc, D(1, 1, 2000), D(1, 1, 2001),
          D(1, 1, 2006), 1999, 2, 1000.0, D(8, 12, 2026), {}),

        // The reference quarter not yet over at the signature.
        C("reference quarter after the signature", irl, I, D(15, 2, 2022), D(1, 2, 2023),
          D(1, 2, 2025), 2022, 0, 700.0, D(15, 3, 2025), {Claim, IrlCap, Unknown}, Unknown,
          {"Le trimestre de référence, le 1er trimestre 2022, se termine le 31/03/2022, après "
           "la signature du bail le 15/02/2022"}),
        C("signed on the quarter's last day", irl, I, D(31, 3, 2022), D(1, 2, 2023), D(1, 2, 2025),
          2022, 0, 700.0, D(15, 3, 2025), {Claim, IrlCap}),

        // The user's own table hears of nothing, whatever its rows: these
        // would give three notices, one of a rule of every series.
        C("own table", irl, std::nullopt, D(15, 2, 2022), D(1, 2, 2023), D(1, 2, 2025), 2022, 0,
          700.0, D(15, 3, 2025), {}),
    };
    const ReportSettings settings{1, QStringLiteral("€"), TestLocale::French()};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RevisionOutcome outcome = CheckAndWalk(c.doc, *c.table);
        ASSERT_FALSE(outcome.Refused());
        ASSERT_GE(outcome.rows.size(), c.rents.size());
        for (std::size_t i = 0; i < c.rents.size(); ++i)
            EXPECT_EQ(PlainMoneyText(outcome.rows[outcome.rows.size() - c.rents.size() + i].rent,
                                     QStringLiteral("€")),
                      Nbsp(c.rents[i]));
        const std::vector<RevisionNotice> notices =
            BuildRevisionNotices({c.doc, outcome.rows, c.today, *c.table, c.series, settings});
        std::vector<Kind> kinds;
        for (const RevisionNotice &n : notices) {
            kinds.push_back(n.rule);
            EXPECT_FALSE(n.reference.isEmpty());
            // Every placeholder was filled.
            EXPECT_FALSE(n.Text().contains(QRegularExpression(QStringLiteral("%[0-9]"))))
                << n.Text().toStdString();
        }
        EXPECT_EQ(kinds, c.expected);
        if (c.needles.empty())
            continue;
        const auto it = std::find_if(notices.begin(), notices.end(),
                                     [&c](const RevisionNotice &n) { return n.rule == c.rule; });
        ASSERT_NE(it, notices.end());
        for (const std::string &needle : c.needles)
            EXPECT_TRUE(it->Text().contains(Nbsp(needle)))
                << it->Text().toStdString() << "\n  lacks\n"
                << needle;
    }
}

} // namespace
