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

// The ILC with the 2nd quarter of 2023 risen only 3 % over a year, derived
// from the shipped values.
const IndexTable &IlcRisingThreePercent() {
    static const IndexTable table = [] {
        IndexTable t = Shipped("ILC");
        t.Set(IndexTable::PositionOf(2023, 1), t.At(IndexTable::PositionOf(2022, 1)) * 1.03f);
        return t;
    }();
    return table;
}

PackedDate D(unsigned day, unsigned month, unsigned year) {
    return PackedDate::FromParts(day, month, year);
}

QString Nbsp(const char *utf8) {
    return QString::fromUtf8(utf8).replace(u'_', QChar(0x00A0));
}

struct Case {
    const char *name;
    const IndexTable *table;
    std::optional<IndexSeries> series;
    PackedDate signature, first, last;
    int refYear, refQuarter; // quarter 0-3
    double rent;
    PackedDate today;
    std::vector<Kind> expected;
    Kind rule = Kind::ClaimWithinAYear; // whose text holds `needles`
    std::vector<QString> needles = {};
};

std::vector<RevisionNotice> Notices(const Case &c, RevisionOutcome *outcomeOut = nullptr) {
    CalcDocument doc;
    doc.signature = c.signature;
    doc.firstRevision = c.first;
    doc.lastRevision = c.last;
    doc.referenceDate.MakeQuarterDate(static_cast<unsigned>(c.refQuarter),
                                      static_cast<unsigned>(c.refYear));
    doc.rent = c.rent;
    const RevisionOutcome outcome = CheckAndWalk(doc, *c.table);
    EXPECT_FALSE(outcome.Refused());
    EXPECT_FALSE(outcome.stoppedAtZeroIndex);
    const ReportSettings settings{1, QStringLiteral("€"), TestLocale::French()};
    std::vector<RevisionNotice> notices =
        BuildRevisionNotices({doc, outcome.rows, c.today, *c.table, c.series, settings});
    if (outcomeOut)
        *outcomeOut = outcome;
    return notices;
}

class RevisionNotices : public ::testing::Test {
protected:
    void SetUp() override { ReadDecimalSeparator(TestLocale::French()); }
};

TEST_F(RevisionNotices, EachRuleWhereItHoldsAndWhereItStaysSilent) {
    const IndexTable *irl = &Shipped("IRL");
    const IndexTable *ilc = &Shipped("ILC");
    const IndexTable *ilat = &Shipped("ILAT");
    const IndexTable *icc = &Shipped("ICC");
    const auto I = IndexSeries::Irl;
    const auto index = [irl](int year, int quarter) {
        return FormatNumber(irl->At(IndexTable::PositionOf(year, quarter)), 2);
    };
    const QString claimExample = QStringLiteral("(700,00\u00a0€ × ") + index(2025, 0) +
                                 QStringLiteral(" ÷ ") + index(2024, 0) + u')';

    const Case cases[] = {
        // The one-year rule.
        {"IRL example: 2023 and 2024 lost, 709,81 claimable",
         irl,
         I,
         D(15, 4, 2022),
         D(1, 2, 2023),
         D(1, 2, 2025),
         2022,
         0,
         700.0,
         D(15, 3, 2025),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap},
         Kind::ClaimWithinAYear,
         {QStringLiteral("depuis les révisions du 01/02/2023 et du 01/02/2024 :"),
          Nbsp("le loyer est resté de 700,00_€ ;"),
          Nbsp("la révision du 01/02/2025 donne 709,81_€"), claimExample,
          Nbsp("au lieu de 760,32_€.")}},
        {"a row exactly one year old can still be claimed",
         irl,
         I,
         D(15, 4, 2022),
         D(15, 3, 2023),
         D(15, 3, 2024),
         2022,
         0,
         700.0,
         D(15, 3, 2025),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap},
         Kind::ClaimWithinAYear,
         {QStringLiteral("depuis la révision du 15/03/2023 :"),
          QStringLiteral("la révision du 15/03/2024 donne")}},
        {"one day later every row is lost",
         irl,
         I,
         D(15, 4, 2022),
         D(15, 3, 2023),
         D(15, 3, 2024),
         2022,
         0,
         700.0,
         D(16, 3, 2025),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap},
         Kind::ClaimWithinAYear,
         {QStringLiteral("depuis les révisions du 15/03/2023 et du 15/03/2024 :"),
          Nbsp("le loyer est resté de 700,00_€ au lieu de"),
          QStringLiteral("seule la prochaine révision")}},
        {"rows all within the year",
         irl,
         I,
         D(15, 1, 2024),
         D(15, 1, 2025),
         D(15, 1, 2025),
         2023,
         3,
         700.0,
         D(15, 3, 2025),
         {Kind::NoRevisionRatedFG},
         Kind::NoRevisionRatedFG,
         {QStringLiteral("Le bail signé le 15/01/2024 commence une période de trois ans le "
                         "15/01/2024 : la règle vaut alors pour la révision du 15/01/2025."),
          QStringLiteral("depuis le 24/08/2022 en France métropolitaine."),
          QStringLiteral("que si le logement est classé F ou G")}},
        {"revisions before the one-year rule are never lost",
         irl,
         I,
         D(1, 4, 2012),
         D(26, 3, 2013),
         D(26, 3, 2014),
         2012,
         0,
         700.0,
         D(8, 12, 2026),
         {}},
        {"from 27 March 2014 they are",
         irl,
         I,
         D(1, 4, 2012),
         D(27, 3, 2013),
         D(27, 3, 2014),
         2012,
         0,
         700.0,
         D(8, 12, 2026),
         {Kind::ClaimWithinAYear},
         Kind::ClaimWithinAYear,
         {QStringLiteral("depuis la révision du 27/03/2014 :")}},

        // Housing rated F or G.
        {"a lease renewed on 24 August 2022 itself",
         irl,
         I,
         D(24, 8, 2019),
         D(24, 8, 2020),
         D(24, 8, 2023),
         2019,
         1,
         700.0,
         D(24, 8, 2023),
         {Kind::ClaimWithinAYear, Kind::NoRevisionRatedFG, Kind::RegionalIrlCap},
         Kind::NoRevisionRatedFG,
         {QStringLiteral("commence une période de trois ans le 24/08/2022 : la règle vaut alors "
                         "pour les révisions du 24/08/2022 et du 24/08/2023.")}},
        {"renewed the day before: outside until its next term",
         irl,
         I,
         D(23, 8, 2019),
         D(23, 8, 2020),
         D(23, 8, 2023),
         2019,
         1,
         700.0,
         D(23, 8, 2023),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap}},
        {"overseas from 1 July 2024 itself",
         irl,
         I,
         D(1, 7, 2021),
         D(1, 7, 2022),
         D(1, 7, 2025),
         2021,
         0,
         700.0,
         D(1, 7, 2025),
         {Kind::ClaimWithinAYear, Kind::NoRevisionRatedFG, Kind::NoRevisionRatedFG,
          Kind::RegionalIrlCap},
         Kind::NoRevisionRatedFG,
         {QStringLiteral("commence une période de trois ans le 01/07/2024 : la règle vaut alors "
                         "pour les révisions du 01/07/2024 et du 01/07/2025.")}},

        // The capped IRL: 2022 Q3 to 2024 Q1.
        {"IRL of 2022 Q3, the first capped",
         irl,
         I,
         D(15, 10, 2021),
         D(15, 10, 2022),
         D(15, 10, 2022),
         2021,
         2,
         700.0,
         D(1, 11, 2022),
         {Kind::RegionalIrlCap},
         Kind::RegionalIrlCap,
         {QStringLiteral("Pour la révision du 15/10/2022, l'indice est celui d'un trimestre du 3e "
                         "trimestre 2022 au 1er trimestre 2024"),
          QStringLiteral("plafonnée à 3,5 % en métropole. En Corse (plafond de 2 %) et dans les "
                         "départements d'outre-mer (2,5 %)")}},
        {"IRL of 2022 Q2, before the cap",
         irl,
         I,
         D(15, 7, 2021),
         D(15, 7, 2022),
         D(15, 7, 2022),
         2021,
         1,
         700.0,
         D(1, 8, 2022),
         {}},
        {"IRL of 2024 Q1, the last capped",
         irl,
         I,
         D(15, 4, 2023),
         D(15, 4, 2024),
         D(15, 4, 2024),
         2023,
         0,
         700.0,
         D(1, 5, 2024),
         {Kind::NoRevisionRatedFG, Kind::RegionalIrlCap}},
        {"IRL of 2024 Q2, after it",
         irl,
         I,
         D(15, 7, 2023),
         D(15, 7, 2024),
         D(15, 7, 2024),
         2023,
         1,
         700.0,
         D(1, 8, 2024),
         {Kind::NoRevisionRatedFG}},

        // The ILC capped for small businesses.
        {"ILC example: the capped chain",
         ilc,
         IndexSeries::Ilc,
         D(1, 4, 2022),
         D(1, 4, 2023),
         D(1, 4, 2025),
         2022,
         0,
         10000.0,
         D(8, 12, 2026),
         {Kind::SmeIlcCap},
         Kind::SmeIlcCap,
         {QStringLiteral("Pour les révisions du 01/04/2023 et du 01/04/2024, la hausse annuelle "
                         "de l'ILC dépasse 3,5 % sur un trimestre du 2e trimestre 2022 au 1er "
                         "trimestre 2024."),
          Nbsp("01/04/2023 : 10 350,00_€, 01/04/2024 : 10 712,25_€, 01/04/2025 : "
               "10 814,93_€.")}},
        {"ILC of 2022 Q2, the first capped",
         ilc,
         IndexSeries::Ilc,
         D(1, 7, 2021),
         D(1, 7, 2022),
         D(1, 7, 2022),
         2021,
         1,
         10000.0,
         D(8, 12, 2026),
         {Kind::SmeIlcCap}},
        {"ILC of 2022 Q1, before the cap",
         ilc,
         IndexSeries::Ilc,
         D(1, 4, 2021),
         D(1, 4, 2022),
         D(1, 4, 2022),
         2021,
         0,
         10000.0,
         D(8, 12, 2026),
         {}},
        {"ILC of 2024 Q2, after it",
         ilc,
         IndexSeries::Ilc,
         D(1, 7, 2023),
         D(1, 7, 2024),
         D(1, 7, 2024),
         2023,
         1,
         10000.0,
         D(8, 12, 2026),
         {}},
        {"ILC under 3.5 % stays silent",
         &IlcRisingThreePercent(),
         IndexSeries::Ilc,
         D(1, 7, 2022),
         D(1, 7, 2023),
         D(1, 7, 2023),
         2022,
         1,
         10000.0,
         D(8, 12, 2026),
         {}},

        // An index used before it existed.
        {"IRL before 10 February 2008",
         irl,
         I,
         D(10, 2, 2006),
         D(9, 2, 2007),
         D(10, 2, 2008),
         2005,
         3,
         700.0,
         D(8, 12, 2026),
         {Kind::IndexBeforeItsDecree},
         Kind::IndexBeforeItsDecree,
         {QStringLiteral("Pour la révision du 09/02/2007, avant le 10/02/2008,"),
          QStringLiteral("l'IRL de 2005 ou à l'ICC")}},
        {"ILC before 5 November 2008",
         ilc,
         IndexSeries::Ilc,
         D(5, 11, 2006),
         D(4, 11, 2007),
         D(5, 11, 2008),
         2006,
         1,
         700.0,
         D(8, 12, 2026),
         {Kind::IndexBeforeItsDecree},
         Kind::IndexBeforeItsDecree,
         {QStringLiteral("Pour la révision du 04/11/2007, avant le 05/11/2008, date du décret "
                         "qui a créé l'ILC")}},
        {"ILAT before 30 December 2011",
         ilat,
         IndexSeries::Ilat,
         D(30, 12, 2009),
         D(29, 12, 2010),
         D(30, 12, 2011),
         2009,
         2,
         700.0,
         D(8, 12, 2026),
         {Kind::IndexBeforeItsDecree},
         Kind::IndexBeforeItsDecree,
         {QStringLiteral("Pour la révision du 29/12/2010, avant le 30/12/2011")}},

        // A commercial rent moved by more than a quarter.
        {"ICC rent up more than 25 % on the last row",
         icc,
         IndexSeries::Icc,
         D(1, 1, 2000),
         D(1, 1, 2001),
         D(1, 1, 2007),
         1999,
         2,
         1000.0,
         D(8, 12, 2026),
         {Kind::CommercialQuarterMove},
         Kind::CommercialQuarterMove,
         {QStringLiteral("Au 01/01/2007, le loyer du calcul ("),
          Nbsp(") s'écarte de plus de 25 % du loyer de départ (1 000,00_€). Dans un bail "
               "commercial")}},
        {"ICC rent up less than 25 %",
         icc,
         IndexSeries::Icc,
         D(1, 1, 2000),
         D(1, 1, 2001),
         D(1, 1, 2006),
         1999,
         2,
         1000.0,
         D(8, 12, 2026),
         {}},

        // The reference quarter not yet over at the signature.
        {"reference quarter after the signature",
         irl,
         I,
         D(15, 2, 2022),
         D(1, 2, 2023),
         D(1, 2, 2025),
         2022,
         0,
         700.0,
         D(15, 3, 2025),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap, Kind::ReferenceUnknownAtSignature},
         Kind::ReferenceUnknownAtSignature,
         {QStringLiteral("Le trimestre de référence, le 1er trimestre 2022, se termine le "
                         "31/03/2022, après la signature du bail le 15/02/2022")}},
        {"signed on the quarter's last day",
         irl,
         I,
         D(31, 3, 2022),
         D(1, 2, 2023),
         D(1, 2, 2025),
         2022,
         0,
         700.0,
         D(15, 3, 2025),
         {Kind::ClaimWithinAYear, Kind::RegionalIrlCap}},

        // The user's own table hears of nothing, whatever its rows.
        {"own table",
         irl,
         std::nullopt,
         D(15, 2, 2022),
         D(1, 2, 2023),
         D(1, 2, 2025),
         2022,
         0,
         700.0,
         D(15, 3, 2025),
         {}},
        {"own table with commercial figures",
         icc,
         std::nullopt,
         D(1, 1, 2000),
         D(1, 1, 2001),
         D(1, 1, 2007),
         1999,
         2,
         1000.0,
         D(8, 12, 2026),
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<RevisionNotice> notices = Notices(c);
        std::vector<Kind> kinds;
        for (const RevisionNotice &n : notices) {
            kinds.push_back(n.rule);
            EXPECT_FALSE(n.title.isEmpty());
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
        for (const QString &needle : c.needles)
            EXPECT_TRUE(it->Text().contains(needle)) << it->Text().toStdString() << "\n  lacks\n"
                                                     << needle.toStdString();
    }
}

// The reports behind both examples, to the cent, as the report writes them.
TEST_F(RevisionNotices, TheExamplesReportsAreTheEnginesOwn) {
    const struct {
        const char *series;
        PackedDate first, last;
        double rent;
        std::vector<const char *> rents; // the last rows' rents
    } cases[] = {
        {"IRL", D(1, 2, 2023), D(1, 2, 2025), 700.0, {"760,32_€"}},
        // The unrounded chain gives 11 265,23 (11 265,2346); 11 265,24 would
        // chain the rounded 11 158,28.
        {"ILC",
         D(1, 4, 2023),
         D(1, 4, 2025),
         10000.0,
         {"10 669,10_€", "11 158,28_€", "11 265,23_€"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.series);
        const Case run{c.series,
                       &Shipped(c.series),
                       std::nullopt,
                       D(1, 4, 2022),
                       c.first,
                       c.last,
                       2022,
                       0,
                       c.rent,
                       D(15, 3, 2025),
                       {}};
        RevisionOutcome outcome;
        Notices(run, &outcome);
        ASSERT_EQ(outcome.rows.size(), 3u);
        for (std::size_t i = 0; i < c.rents.size(); ++i) {
            const RevisionRow &row = outcome.rows[3 - c.rents.size() + i];
            EXPECT_EQ(PlainMoneyText(row.rent, QStringLiteral("€")), Nbsp(c.rents[i]));
        }
    }
}

} // namespace
