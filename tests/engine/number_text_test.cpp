#include "engine/number_text.h"

#include "engine/fixed_point.h"
#include "platform/user_locale.h"
#include "support/fakes.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void UseSeparator(const QString &separator) {
    UserLocale locale = TestLocale::French();
    locale.decimalSeparator = separator;
    ReadDecimalSeparator(locale);
}

class NumberText : public ::testing::Test {
protected:
    void SetUp() override { UseSeparator(QStringLiteral(",")); }
    void TearDown() override { UseSeparator(QString()); }
};

struct NumberCase {
    const char16_t *separator;
    double value;
    int decimals;
    const char16_t *text; // nullptr: no text
};

TEST_F(NumberText, FormatNumberUsesTheUserSeparatorWithoutGrouping) {
    const NumberCase cases[] = {
        {u",", 1234.5, 2, u"1234,50"},
        {u",", 0.5, 2, u"0,50"},
        {u",", -3.0, 2, u"-3,00"},
        {u",", -0.5, 2, u"-0,50"},
        {u",", 0.004, 2, u"0,00"},
        {u",", 1000.125, 2, u"1000,13"},
        {u",", 7.0, 0, u"7"},
        {u".", 12.5, 2, u"12.50"},
        {u"\u066B", 1.5, 2, u"1\u066B50"}, // a separator outside Latin-1
        {u"::", 1.5, 2, u"1::50"},         // several characters are shown whole
        {u"", 1.5, 2, u"1.50"},            // not read yet
        // 63 characters at most: 60 integer digits, 59 when negative.
        {u",", std::ldexp(1.0, 200), 2, nullptr}, // 61 integer digits
        {u",", -std::ldexp(1.0, 196), 2, nullptr},
        {u",", 1.0, 62, nullptr},
        {u",", kInf, 2, nullptr},
        {u",", kNaN, 2, nullptr},
    };
    for (const NumberCase &c : cases) {
        UseSeparator(QString::fromUtf16(c.separator));
        const QString expected = c.text ? QString::fromUtf16(c.text) : QString();
        EXPECT_EQ(FormatNumber(c.value, c.decimals), expected) << c.value;

        QString into = QStringLiteral("before");
        EXPECT_EQ(FormatNumberInto(into, c.value, c.decimals), c.text != nullptr) << c.value;
        EXPECT_EQ(into, c.text ? expected : QStringLiteral("before")) << c.value;
    }
}

TEST_F(NumberText, FormatNumberFitsSixtyThreeCharacters) {
    const double widest[] = {std::ldexp(1.0, 196), std::ldexp(1.0, 199), -std::ldexp(1.0, 193)};
    for (const double v : widest) {
        const QString text = FormatNumber(v, 2);
        EXPECT_EQ(text.size(), 63) << v;
        EXPECT_EQ(text, QString::fromLatin1(*FormatFixed(v, 2)).replace(u'.', u',')) << v;
    }
    EXPECT_EQ(FormatNumber(1.0, 61).size(), 63);
}

TEST_F(NumberText, FormatNumberBufferRespectsTheCapacity) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(FormatNumberBuffer(buffer, 8, 1234.5, 2)); // 7 characters and the terminator
    EXPECT_STREQ(buffer, "1234,50");

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(FormatNumberBuffer(buffer, 7, 1234.5, 2));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(FormatNumberBuffer(buffer, 64, kNaN, 2));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(FormatNumberBuffer(nullptr, 64, 1.0, 2));
    EXPECT_FALSE(FormatNumberBuffer(buffer, 0, 1.0, 2));

    UseSeparator(QStringLiteral("\u00B7")); // middle dot, one Windows-1252 byte
    ASSERT_TRUE(FormatNumberBuffer(buffer, 64, 1.5, 1));
    EXPECT_STREQ(buffer, "1\xB7"
                         "5");
}

struct MoneyCase {
    double amount;
    const char16_t *symbol;
    QByteArray text;
};

TEST_F(NumberText, MoneyTextGroupsByThreeWithADecimalComma) {
    UseSeparator(QStringLiteral(".")); // the money text ignores the user's separator
    const MoneyCase cases[] = {
        {1234567.891, u"F", "1 234 567,89\\~F"},
        {0.5, u"F", "0,50\\~F"},
        {-1234.5, u"F", "-1 234,50\\~F"},
        {999.999, u"F", "1 000,00\\~F"},
        {100.0, u"F", "100,00\\~F"},
        {123456.0, u"F", "123 456,00\\~F"},
        {-100.0, u"F", "-100,00\\~F"},
        // 45 integer digits fit after grouping, 46 do not.
        {std::ldexp(1.0, 147), u"F",
         "178 405 961 588 244 990 000 000 000 000 000 000 000 000 000,00\\~F"},
        {std::ldexp(1.0, 150), u"F", "\\~F"},
        {kInf, u"F", "\\~F"},
        {kNaN, u"F", "\\~F"},
        // The symbol: Rich Text specials escaped, other characters unchanged.
        {1.0, u"\u20AC", "1,00\\~\x80"},
        {1.0, u"\\", "1,00\\~\\\\"},
        {1.0, u"{x}", "1,00\\~\\{x\\}"},
        {1.0, u"%s%d", "1,00\\~%s%d"},
        {1.0, u"\u20BD", "1,00\\~\\u8381?"},
        {1.0, u"", "1,00\\~"},
        // Control characters as escapes, never raw.
        {1.0, u"a\tb", "1,00\\~a\\'09b"},
        {1.0, u"\r\n\x7F", "1,00\\~\\'0d\\'0a\\'7f"},
    };
    for (const MoneyCase &c : cases)
        EXPECT_EQ(MoneyText(c.amount, QString::fromUtf16(c.symbol)), c.text) << c.amount;
    EXPECT_EQ(MoneyText(1.0, QString(QChar(u'\0')) + u'F'), "1,00\\~\\'00F");
}

struct ParseCase {
    const char16_t *text;
    double value;
};

TEST_F(NumberText, ParseNumberReadsTheLeadingNumberOnly) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const ParseCase cases[] = {
        {u"", 0.0},
        {u"abc", 0.0},
        {u"    ", 0.0},
        {u"12,5abc", 12.5},
        {u"12.5", 12.5},
        {u"-7", -7.0},
        {u"+5", 5.0},
        {u"1e3", 1000.0},
        {u"1E2", 100.0},
        {u"1e-2", 0.01},
        {u"1e", 1.0},
        {u"1e+", 1.0},
        {u"1ex", 1.0},
        {u".5", 0.5},
        {u"5.", 5.0},
        {u"-,5", -0.5},
        {u",", 0.0},
        {u"-", 0.0},
        {u"+-1", 0.0},
        {u"--1", 0.0},
        {u"1 234,5", 1.0},
        {u"1,2.3", 1.2}, // both the separator and "." are the decimal point
        {u"123,45   ; 1970 - Trim 1", 123.45},
        {u" \t\n\v\f\r3", 3.0},
        {u"\u00A03", 0.0}, // a no-break space is not white space
        {u"\u0663", 0.0},  // nor are other digits digits
        {u"inf", 0.0},
        {u"nan", 0.0},
        {u"-infinity", 0.0},
        {u"0x10", 0.0},
        {u"00012", 12.0},
        {u"0.1", 0.1},
        {u"1e400", kInf},
        {u"-1e400", -kInf},
        {u"1e99999999999999999999", kInf},
        {u"1e-400", 0.0},
        {u"0e99999", 0.0},
        {u"4.9406564584124654e-324", tiny},
        {u"1.7976931348623157e308", 1.7976931348623157e308},
        {u"1.7976931348623159e308", kInf},
    };
    for (const ParseCase &c : cases)
        EXPECT_EQ(ParseNumber(QString::fromUtf16(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();

    EXPECT_TRUE(std::signbit(ParseNumber(u"-1e-400")));
    EXPECT_TRUE(std::signbit(ParseNumber(u"-0")));
}

TEST_F(NumberText, ParseNumberHandlesVeryLongDigitRuns) {
    const QString ones(400, u'1');
    EXPECT_EQ(ParseNumber(ones), kInf);
    EXPECT_EQ(ParseNumber(QStringLiteral("0,") + QString(400, u'0') + u'1'), 0.0);
    // Correctly rounded however many digits follow.
    EXPECT_EQ(ParseNumber(QStringLiteral("0,1") + QString(1000, u'0') + u'1'), 0.1);
    EXPECT_EQ(ParseNumber(QStringLiteral("1") + QString(300, u'0')), 1e300);
}

TEST_F(NumberText, ParseNumberTakesTheFirstCharacterOfTheSeparator) {
    UseSeparator(QStringLiteral("."));
    EXPECT_EQ(ParseNumber(u"12,5"), 12.0);
    EXPECT_EQ(ParseNumber(u"12.5"), 12.5);

    UseSeparator(QStringLiteral("'x"));
    EXPECT_EQ(ParseNumber(u"12'5"), 12.5);
    EXPECT_EQ(ParseNumber(u"12x5"), 12.0);

    UseSeparator(QString());
    EXPECT_EQ(ParseNumber(u"12.5"), 12.5);
    EXPECT_EQ(ParseNumber(u"12,5"), 12.0);
}

TEST_F(NumberText, WindowNumbersGoThroughTheSameTexts) {
    FakeDialogItems dialog;
    SetWindowNumber(dialog, 1040, 1234.5, 2);
    EXPECT_EQ(dialog.texts.value(1040), QStringLiteral("1234,50"));
    EXPECT_EQ(GetWindowNumber(dialog, 1040), 1234.5);

    SetWindowNumber(dialog, 1040, kInf, 2);
    EXPECT_EQ(dialog.texts.value(1040), QString());

    // Only the first 63 characters of the field are read.
    dialog.texts[1041] = QString(62, u' ') + QStringLiteral("75");
    EXPECT_EQ(GetWindowNumber(dialog, 1041), 7.0);
    dialog.texts[1042] = QString(61, u' ') + QStringLiteral("75");
    EXPECT_EQ(GetWindowNumber(dialog, 1042), 75.0);
}

TEST(FormatInteger, WritesSignedDecimal) {
    EXPECT_EQ(FormatInteger(-40), QStringLiteral("-40"));
    EXPECT_EQ(FormatInteger(0), QStringLiteral("0"));
    EXPECT_EQ(FormatInteger(std::numeric_limits<int>::min()), QStringLiteral("-2147483648"));
}

} // namespace
