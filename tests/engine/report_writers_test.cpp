// The report's byte writers against the general texts they stand in for:
// every byte of every row, for random values (hard halves, the largest
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
const double kHardValues[] = {0.125,
                              2.675,
                              1.005,
                              0.005,
                              0.015,
                              999.995,
                              1234567.125,
                              1e15 + 0.5,
                              1e15 - 0.5,
                              1e14 + 0.125,
                              4503599627370495.5,
                              9007199254740993.0,
                              99999999999999.995,
                              999999999999999.9,
                              1e17,
                              1e300,
                              0.0049999999999999999,
                              0.00500000000000000001,
                              0.0,
                              -0.0,
                              Limits::max(),
                              Limits::min(),
                              Limits::denorm_min(),
                              Limits::min() / 3,
                              Limits::infinity(),
                              Limits::quiet_NaN()};

class Random {
public:
    explicit Random(unsigned seed)
        : m_engine(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }

    double Value() {
        double v = 0.0;
        switch (Int(0, 6)) {
        case 0:
            v = kHardValues[Int(0, std::size(kHardValues) - 1)];
            break;
        case 1: // a half at the second or third decimal, as typed
            v = static_cast<double>(Int(0, 99999999)) / 1000.0 + 0.0005 * Int(0, 1);
            break;
        case 2: // any bit pattern: subnormals, infinities, not-a-numbers
            v = std::bit_cast<double>(std::uniform_int_distribution<std::uint64_t>()(m_engine));
            break;
        case 3: // next to a power of ten
            v = std::nextafter(std::pow(10.0, Int(-5, 20)), Int(0, 1) ? 0.0 : Limits::infinity());
            break;
        case 4: // a rent after many revisions
            v = 3456.78 * std::pow(1.0 + Int(0, 1000) / 10000.0, Int(0, 136));
            break;
        case 5: // an index value
            v = static_cast<double>(static_cast<float>(Int(0, 300000) / 100.0 + 0.005));
            break;
        default:
            v = std::uniform_real_distribution<double>(0.0, std::pow(10.0, Int(0, 18)))(m_engine);
            break;
        }
        return Int(0, 3) == 0 ? -v : v;
    }

    // Characters of every kind the escaping tells apart.
    QString Text(int maxLength) {
        static const char16_t kPool[] = {
            u'a', u'Z',   u'0',   u' ',   u'/',   u'.',   u',',   u'-', u'\\', u'{',
            u'}', u'\'',  u'\t',  u'\0',  0x7F,   0x80,   0x81,   0x9F, 0xA0,  0xE9,
            0xFF, 0x20AC, 0x0152, 0x066B, 0x2009, 0xD83D, 0xDE00, u'd', u'M',  u'y'};
        QString text;
        const int length = Int(0, maxLength);
        for (int i = 0; i < length; ++i)
            text.append(QChar(kPool[Int(0, std::size(kPool) - 1)]));
        return text;
    }

    UserLocale Locale() {
        UserLocale locale;
        switch (Int(0, 3)) {
        case 0:
            locale = TestLocale::French();
            break;
        case 1:
            locale = TestLocale::English();
            break;
        case 2:
            locale = TestLocale::German();
            break;
        default:
            locale.decimalSeparator = Text(Int(0, 1) ? 2 : 50);
            for (int m = Int(0, 1) ? 12 : Int(0, 13); m > 0; --m)
                locale.monthNames.append(Text(12));
            break;
        }
        static const char16_t *const kPictures[] = {u"dd/MM/yyyy",
                                                    u"M/d/yyyy",
                                                    u"dd.MM.yyyy",
                                                    u"d MMMM yyyy",
                                                    u"yy-MMM-dd",
                                                    u"'le' d 'de' MMMM, yyyy",
                                                    u"dddd d MMMMM yyyyy ''",
                                                    u"d/M/y"};
        locale.shortDatePattern =
            Int(0, 2) ? QString::fromUtf16(kPictures[Int(0, 7)]) : Text(Int(0, 1) ? 12 : 70);
        if (Int(0, 4) == 0)
            locale.decimalSeparator = Text(3);
        return locale;
    }

    PackedDate Date() {
        if (Int(0, 3) == 0)
            return PackedDate::FromParts(static_cast<unsigned>(Int(0, 127)),
                                         static_cast<unsigned>(Int(0, 127)),
                                         static_cast<unsigned>(Int(0, 16383)));
        return PackedDate::FromParts(static_cast<unsigned>(Int(1, 31)),
                                     static_cast<unsigned>(Int(1, 12)),
                                     static_cast<unsigned>(Int(1970, 2106)));
    }

private:
    std::mt19937 m_engine;
};

// The general texts: each piece as the program wrote it before the writers.
QByteArray GeneralMoney(double amount, const QString &symbol) {
    QByteArray text;
    if (const auto fixed = FormatFixed(amount, 2)) {
        if (const auto grouped =
                GetNumberFormat(*fixed, {2, 1, 3, QStringLiteral(","), QStringLiteral(" "), 1}))
            text = grouped->toLatin1();
    }
    return text + "\\~" + RtfPlainText(symbol);
}

struct RowTexts {
    QByteArray table;
    QByteArray tabs;
};

RowTexts GeneralRow(const RevisionRow &row, const ReportSettings &settings) {
    const QByteArray date = RtfPlainText(row.date.FormatForLocale(settings.locale));
    const QByteArray index = RtfPlainText(FormatNumber(row.index, 2));
    const QByteArray money = GeneralMoney(row.rent, settings.symbol);
    return {"\\intbl " + date + "\\cell " + index + "\\cell " + money + "\\cell\\row",
            date + "\\tab " + index + "\\tab " + money + "\\par\r\n"};
}

// The digits of a scaled number as a fixed-point text.
QByteArray ScaledText(const ScaledFixed &n, int decimals) {
    QByteArray digits = QByteArray::number(static_cast<qulonglong>(n.scaled));
    if (digits.size() <= decimals)
        digits.prepend(QByteArray(decimals + 1 - digits.size(), '0'));
    if (decimals > 0)
        digits.insert(digits.size() - decimals, '.');
    return n.negative ? "-" + digits : digits;
}

class ReportWriters : public ::testing::Test {
protected:
    void TearDown() override { ReadDecimalSeparator(UserLocale{}); }
};

TEST_F(ReportWriters, ScaledNumbersGiveTheFixedPointTextsDigits) {
    Random random(17);
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        const double value = i < static_cast<int>(std::size(kHardValues)) * 18 ? kHardValues[i / 18]
                                                                               : random.Value();
        const int decimals = i % 18;
        ScaledFixed scaled;
        if (!ScaleFixed(value, decimals, scaled))
            continue;
        const auto fixed = FormatFixed(value, decimals);
        ASSERT_TRUE(fixed) << value;
        ASSERT_EQ(ScaledText(scaled, decimals), *fixed) << value << " " << decimals;
        ++compared;
    }
    // The writers take most values, the general way the rest.
    EXPECT_GT(compared, 100000);
    ScaledFixed unused;
    EXPECT_FALSE(ScaleFixed(1e17, 2, unused));
    EXPECT_FALSE(ScaleFixed(Limits::max(), 2, unused));
    EXPECT_FALSE(ScaleFixed(Limits::quiet_NaN(), 2, unused));
    EXPECT_FALSE(ScaleFixed(1.0, 18, unused));
}

TEST_F(ReportWriters, RowsAndMoneyMatchTheGeneralTextsByteForByte) {
    Random random(22);
    for (int i = 0; i < 30000; ++i) {
        const ReportSettings settings{random.Int(0, 3), random.Text(random.Int(0, 1) ? 2 : 40),
                                      random.Locale()};
        ReadDecimalSeparator(settings.locale);
        RevisionReport report;
        RowTexts expected;
        for (int r = random.Int(1, 4); r > 0; --r) {
            const RevisionRow row{random.Date(), random.Value(), random.Value()};
            report.AppendReportRow(row, settings);
            const RowTexts texts = GeneralRow(row, settings);
            expected.table += texts.table;
            expected.tabs += texts.tabs;
            ASSERT_EQ(MoneyText(row.rent, settings.symbol), GeneralMoney(row.rent, settings.symbol))
                << row.rent;
            // Locale number texts of any count of decimals.
            const int decimals = random.Int(0, 20);
            const auto fixed = FormatFixed(row.index, decimals);
            const auto general =
                fixed ? GetNumberFormat(*fixed, {decimals, 1, 0,
                                                 settings.locale.decimalSeparator.isEmpty()
                                                     ? QStringLiteral(".")
                                                     : settings.locale.decimalSeparator,
                                                 QString(), 1})
                      : std::nullopt;
            ASSERT_EQ(FormatNumber(row.index, decimals), general.value_or(QString()))
                << row.index << " " << decimals;
        }
        ASSERT_EQ(report.Table(), expected.table) << i;
        ASSERT_EQ(report.Tabs(), expected.tabs) << i;
    }
}

TEST_F(ReportWriters, WholeReportsMatchTheGeneralRows) {
    Random random(2026);
    int compared = 0;
    for (int i = 0; i < 3000; ++i) {
        const ReportSettings settings{random.Int(0, 3), random.Text(3), random.Locale()};
        ReadDecimalSeparator(settings.locale);
        CalcDocument doc;
        const int firstYear = random.Int(1971, 2100);
        doc.signature = PackedDate::FromParts(1, 1, 1970);
        doc.firstRevision = PackedDate::FromParts(static_cast<unsigned>(random.Int(1, 28)),
                                                  static_cast<unsigned>(random.Int(1, 12)),
                                                  static_cast<unsigned>(firstYear));
        doc.lastRevision =
            PackedDate::FromParts(28, 12, static_cast<unsigned>(random.Int(firstYear, 2106)));
        doc.referenceDate.MakeQuarterDate(static_cast<unsigned>(random.Int(0, 3)), 1970);
        doc.rent = std::fabs(random.Value());
        IndexTable indices;
        for (int p = 0; p < IndexTable::kSize; ++p)
            indices.Set(p, static_cast<float>(random.Int(1, 300000)) / 100.0f);
        const RevisionOutcome outcome = CheckAndWalk(doc, indices);
        if (outcome.Refused())
            continue;
        const PackedDate today = random.Date();

        const RevisionReport report = BuildRevisionReport(doc, outcome, today, settings);
        RevisionReport expected;
        expected.AppendReportHeader(doc, outcome.referenceValue, today, settings);
        QByteArray table = expected.Table();
        QByteArray tabs = expected.Tabs();
        for (const RevisionRow &row : outcome.rows) {
            const RowTexts texts = GeneralRow(row, settings);
            table += texts.table;
            tabs += texts.tabs;
        }
        RevisionReport closing;
        closing.AppendReportClosing(settings.cible);
        ASSERT_EQ(report.Table(), table + closing.Table()) << i;
        ASSERT_EQ(report.Tabs(), tabs + closing.Tabs()) << i;
        ++compared;
    }
    EXPECT_GT(compared, 2000);
}

} // namespace
