// The report's byte writers against the general texts they stand in for:
// every byte of whole reports, for random values (hard halves, the largest
// finite values and subnormals among them), dates, date pictures, month
// names, decimal separators and currency symbols.

#include "engine/fixed_point.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "engine/rtf_text.h"
#include "platform/number_format.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace {

using Limits = std::numeric_limits<double>;

// Values whose texts are hard to get right: halves at the second decimal
// held just below or above, values at the edges of 17 digits, the extremes.
// clang-format off
const double kHardValues[] = {
    0.125, 2.675, 1.005, 0.005, 0.015, 999.995, 1234567.125,
    1e15 + 0.5, 1e15 - 0.5, 1e14 + 0.125, 4503599627370495.5, 9007199254740993.0,
    99999999999999.995, 999999999999999.9, 0.0, -0.0, 1e17, 1e300,
    Limits::max(), Limits::min(), Limits::denorm_min(), Limits::min() / 3, Limits::infinity(),
    Limits::quiet_NaN()};
// clang-format on

class Random {
public:
    explicit Random(unsigned seed)
        : m_engine(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    unsigned U(int low, int high) { return static_cast<unsigned>(Int(low, high)); }

    double Value() { return Int(0, 3) == 0 ? -Magnitude() : Magnitude(); }

    double Magnitude() {
        switch (Int(0, 6)) {
        case 0:
            return kHardValues[U(0, std::size(kHardValues) - 1)];
        case 1: // a half at the second or third decimal, as typed
            return static_cast<double>(Int(0, 99999999)) / 1000.0 + 0.0005 * Int(0, 1);
        case 2: // any bit pattern: subnormals, infinities, not-a-numbers
            return std::bit_cast<double>(std::uniform_int_distribution<std::uint64_t>()(m_engine));
        case 3: // next to a power of ten
            return std::nextafter(std::pow(10.0, Int(-5, 20)),
                                  Int(0, 1) ? 0.0 : Limits::infinity());
        case 4: // a rent after many revisions
            return 3456.78 * std::pow(1.0 + Int(0, 1000) / 10000.0, Int(0, 136));
        case 5: // an index value
            return static_cast<double>(static_cast<float>(Int(0, 300000) / 100.0 + 0.005));
        default:
            return std::uniform_real_distribution<double>(0.0,
                                                          std::pow(10.0, Int(0, 18)))(m_engine);
        }
    }

    // Characters of every kind the escaping tells apart.
    QString Text(int maxLength) {
        static const char16_t kPool[] = {
            u'a', u'Z',   u'0',   u' ',   u'/',   u'.',   u',',   u'-', u'\\', u'{',
            u'}', u'\'',  u'\t',  u'\0',  0x7F,   0x80,   0x81,   0x9F, 0xA0,  0xE9,
            0xFF, 0x20AC, 0x0152, 0x066B, 0x2009, 0xD83D, 0xDE00, u'd', u'M',  u'y'};
        QString text;
        for (int i = Int(0, maxLength); i > 0; --i)
            text.append(QChar(kPool[Int(0, std::size(kPool) - 1)]));
        return text;
    }

    // A real locale, or one of random texts; a date picture of the usual
    // kinds, with literals and over-long fields, or of random text.
    UserLocale Locale() {
        const int kind = Int(0, 3);
        UserLocale locale = kind == 0   ? TestLocale::French()
                            : kind == 1 ? TestLocale::English()
                            : kind == 2 ? TestLocale::German()
                                        : UserLocale{};
        if (kind == 3) {
            locale.decimalSeparator = Text(Int(0, 1) ? 2 : 50);
            for (int m = Int(0, 1) ? 12 : Int(0, 13); m > 0; --m)
                locale.monthNames.append(Text(12));
        }
        static const QStringList kPictures =
            QStringLiteral("dd/MM/yyyy|M/d/yyyy|dd.MM.yyyy|d MMMM yyyy|yy-MMM-dd|'le' d 'de' MMMM, "
                           "yyyy|dddd d MMMMM yyyyy ''|d/M/y")
                .split(u'|');
        locale.shortDatePattern = Int(0, 2) ? kPictures[Int(0, 7)] : Text(Int(0, 1) ? 12 : 70);
        if (Int(0, 4) == 0)
            locale.decimalSeparator = Text(3);
        return locale;
    }

    // A calendar date, or one of any fields the date word holds.
    PackedDate Date() {
        const bool any = Int(0, 3) == 0;
        return PackedDate::FromParts(U(!any, any ? 127 : 31), U(!any, any ? 127 : 12),
                                     U(any ? 0 : 1970, any ? 16383 : 2106));
    }

private:
    std::mt19937 m_engine;
};

// The general texts: each piece as the program wrote it before the writers.
QByteArray GeneralMoney(double amount, const QString &symbol) {
    const auto fixed = FormatFixed(amount, 2);
    const auto grouped =
        fixed ? GetNumberFormat(*fixed, {2, 1, 3, QStringLiteral(","), QStringLiteral(" "), 1})
              : std::nullopt;
    return grouped.value_or(QString()).toLatin1() + "\\~" + RtfPlainText(symbol);
}

// Whole reports of random rows, a few or a long run of them, against the
// header, the general texts of each row and the closing; and the money and
// locale number texts of each row against theirs.
TEST(ReportWriters, ReportsRowsAndNumbersMatchTheGeneralTextsByteForByte) {
    Random random(22);
    for (int i = 0; i < 30000; ++i) {
        const ReportSettings settings{random.Int(0, 3), random.Text(random.Int(0, 1) ? 2 : 40),
                                      random.Locale()};
        ReadDecimalSeparator(settings.locale);
        CalcDocument doc;
        doc.signature = random.Date();
        doc.firstRevision = random.Date();
        doc.lastRevision = random.Date();
        doc.referenceDate.MakeQuarterDate(random.U(0, 3), random.U(1970, 2106));
        doc.rent = random.Value();
        RevisionOutcome outcome;
        outcome.referenceValue = random.Value();
        for (int r = random.Int(0, 9) ? random.Int(1, 4) : random.Int(5, 140); r > 0; --r)
            outcome.rows.push_back({random.Date(), random.Value(), random.Value()});
        const PackedDate today = random.Date();

        RevisionReport expected;
        expected.AppendReportHeader(doc, outcome.referenceValue, today, settings);
        QByteArray table = expected.Table();
        QByteArray tabs = expected.Tabs();
        for (const RevisionRow &row : outcome.rows) {
            const QByteArray date = RtfPlainText(row.date.FormatForLocale(settings.locale));
            const QByteArray index = RtfPlainText(FormatNumber(row.index, 2));
            const QByteArray money = GeneralMoney(row.rent, settings.symbol);
            table += "\\intbl " + date + "\\cell " + index + "\\cell " + money + "\\cell\\row";
            tabs += date + "\\tab " + index + "\\tab " + money + "\\par\r\n";
            ASSERT_EQ(MoneyText(row.rent, settings.symbol), money) << row.rent;
            // Locale number texts of any count of decimals.
            const int decimals = random.Int(0, 20);
            const QString separator = settings.locale.decimalSeparator.isEmpty()
                                          ? QStringLiteral(".")
                                          : settings.locale.decimalSeparator;
            const auto fixed = FormatFixed(row.index, decimals);
            const auto general =
                fixed ? GetNumberFormat(*fixed, {decimals, 1, 0, separator, QString(), 1})
                      : std::nullopt;
            ASSERT_EQ(FormatNumber(row.index, decimals), general.value_or(QString()))
                << row.index << " " << decimals;
        }
        RevisionReport closing;
        closing.AppendReportClosing(settings.cible);
        const RevisionReport report = BuildRevisionReport(doc, outcome, today, settings);
        ASSERT_EQ(report.Table(), table + closing.Table()) << i;
        ASSERT_EQ(report.Tabs(), tabs + closing.Tabs()) << i;
    }
    ReadDecimalSeparator(UserLocale{});
}

} // namespace
