#include "engine/number_text.h"

#include "platform/user_locale.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void UseSeparator(const QString &separator) {
    UserLocale locale = UserLocale::French();
    locale.decimalSeparator = separator;
    ReadDecimalSeparator(locale);
}

class NumberText : public ::testing::Test {
protected:
    void SetUp() override { UseSeparator(QStringLiteral(",")); }
    void TearDown() override { UseSeparator(QString()); }
};

QByteArray Zeros(int count) {
    return QByteArray(count, '0');
}

struct FixedCase {
    double value;
    int decimals;
    QByteArray text;
};

TEST(FormatFixed, RoundsTheSeventeenDigitExpansionHalvesAwayFromZero) {
    const FixedCase cases[] = {
        {0.125, 2, "0.13"},
        {-0.125, 2, "-0.13"},
        {1000.125, 2, "1000.13"},
        {2.675, 2, "2.67"},   // 2.67499999999999982...: the 17 digits keep the 4
        {1.075, 2, "1.08"},   // 1.07499999999999995...: the 18th digit 5 rounds up
        {0.0115, 3, "0.012"}, // 0.01149999999999999980...: the 18th digit 8
        {9.995, 2, "9.99"},
        {999.999, 2, "1000.00"},
        {0.9999999999999999, 2, "1.00"},
        {0.004, 2, "0.00"},
        {0.005, 2, "0.01"},
        {0.5, 0, "1"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {0.1, 20, "0.10000000000000001000"}, // 0.1000000000000000055...: cut at 17
        {123.456, 5, "123.45600"},
        {5e-324, 2, "0.00"},
        {1e300, 2, "10000000000000001" + Zeros(284) + ".00"},
        {1.7976931348623157e308, 0, "17976931348623157" + Zeros(292)},
        {9007199254740993.0, 0, "9007199254740992"},
        // Negative values that round to zero have no sign.
        {-0.004, 2, "0.00"},
        {-0.0, 2, "0.00"},
        {-0.4, 0, "0"},
        {-0.005, 2, "-0.01"},
    };
    for (const FixedCase &c : cases) {
        const std::optional<QByteArray> text = FormatFixed(c.value, c.decimals);
        ASSERT_TRUE(text.has_value()) << c.value;
        EXPECT_EQ(*text, c.text) << c.value << " with " << c.decimals << " decimals";
    }
}

TEST(FormatFixed, HasNoTextForNonFiniteValuesOrBadDecimals) {
    for (const double v : {kInf, -kInf, kNaN})
        EXPECT_FALSE(FormatFixed(v, 2).has_value()) << v;
    EXPECT_FALSE(FormatFixed(1.0, -1).has_value());
    EXPECT_FALSE(FormatFixed(1.0, kMaxFixedDecimals + 1).has_value());
    EXPECT_TRUE(FormatFixed(1.0, kMaxFixedDecimals).has_value());
}

// The rounding rule applied to the exact expansion, which the standard
// library writes when asked for more digits than any double has.
// Optimising GCC 12 sees an impossible overlap in the inlined copy of
// `const char * + std::string &&` (a known false -Wrestrict); only here.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
std::string ReferenceFixed(double v, int decimals) {
    char buffer[800];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v),
                                       std::chars_format::scientific, 770);
    const std::string s(buffer, written.ptr);
    const std::size_t e = s.find('e');
    int exp10 = std::stoi(s.substr(e + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
    const auto increment = [](std::string &d) {
        for (std::size_t i = d.size(); i-- > 0;) {
            if (d[i] != '9') {
                ++d[i];
                return false;
            }
            d[i] = '0';
        }
        return true;
    };
    std::string d17 = digits.substr(0, 17);
    if (v != 0.0 && digits[17] >= '5' && increment(d17)) {
        d17 = "1" + d17.substr(0, 16);
        ++exp10;
    }
    if (v == 0.0)
        d17 = std::string(17, '0');
    std::string all;
    for (int p = std::max(exp10, 0); p >= -(decimals + 1); --p) {
        const int index = exp10 - p;
        all += index >= 0 && index < 17 ? d17[static_cast<std::size_t>(index)] : '0';
    }
    const bool up = all.back() >= '5';
    all.pop_back();
    if (up && increment(all))
        all.insert(all.begin(), '1');
    while (all.size() > static_cast<std::size_t>(decimals + 1) && all[0] == '0')
        all.erase(all.begin());
    const bool zero = all.find_first_not_of('0') == std::string::npos;
    if (decimals > 0)
        all.insert(all.size() - static_cast<std::size_t>(decimals), ".");
    return (std::signbit(v) && !zero ? "-" : "") + all;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

TEST(FormatFixed, AgreesWithTheExactExpansionForRandomValues) {
    std::mt19937_64 random(20260712);
    std::uniform_int_distribution<int> decimalsOf(0, 12);
    for (int i = 0; i < 4000; ++i) {
        double v = 0.0;
        switch (i % 3) {
        case 0: // any finite bit pattern, subnormals and the extremes included
            do {
                const std::uint64_t bits = random();
                std::memcpy(&v, &bits, sizeof v);
            } while (!std::isfinite(v));
            break;
        case 1: // amounts
            v = std::uniform_real_distribution<double>(-1e7, 1e7)(random);
            break;
        default: // decimal halves, where the rule matters
            v = static_cast<double>(random() % 100000000) / 1000.0 + 0.0005;
            break;
        }
        const int decimals = std::fabs(v) > 1e30 ? 1 : decimalsOf(random);
        const std::optional<QByteArray> text = FormatFixed(v, decimals);
        ASSERT_TRUE(text.has_value());
        ASSERT_EQ(text->toStdString(), ReferenceFixed(v, decimals))
            << "bits of the value: " << std::hex << std::bit_cast<std::uint64_t>(v);
    }
}

TEST(FormatFixed, AgreesWithTheExactExpansionAroundPowersOfTwoAndTen) {
    // Where the first digit's decimal exponent is hardest to guess.
    std::vector<double> values;
    for (int n = -1074; n <= 1023; ++n)
        values.push_back(std::ldexp(1.0, n));
    for (int n = -300; n <= 300; ++n)
        values.push_back(std::pow(10.0, n));
    for (const double v : values) {
        for (const double w : {v, std::nextafter(v, 0.0), std::nextafter(v, kInf)}) {
            if (!std::isfinite(w) || w == 0.0)
                continue;
            const int decimals = w > 1e30 ? 0 : 4;
            ASSERT_EQ(FormatFixed(w, decimals)->toStdString(), ReferenceFixed(w, decimals)) << w;
        }
    }
}

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

TEST_F(NumberText, FormatMoneyGroupsByThreeWithADecimalComma) {
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
        EXPECT_EQ(FormatMoney(c.amount, QString::fromUtf16(c.symbol)), c.text) << c.amount;
    EXPECT_EQ(FormatMoney(1.0, QString(QChar(u'\0')) + u'F'), "1,00\\~\\'00F");
}

struct FormatCase {
    QByteArray fixed;
    NumberFormat format;
    int capacity;
    const char16_t *text; // nullptr: refused
};

TEST(GetNumberFormat, RendersOnlyPlainNumbers) {
    const NumberFormat plain{2, 1, 0, QStringLiteral(","), QString(), 1};
    const NumberFormat grouped{2, 1, 3, QStringLiteral(","), QStringLiteral(" "), 1};
    const NumberFormat noLeadingZero{2, 0, 0, QStringLiteral(","), QString(), 1};
    const auto order = [&](int n) {
        NumberFormat f = plain;
        f.negativeOrder = n;
        return f;
    };
    const NumberFormat noDecimals{0, 1, 0, QStringLiteral(","), QString(), 1};
    const FormatCase cases[] = {
        {"1234.5", plain, 64, u"1234,50"},
        {"1234567.5", grouped, 64, u"1 234 567,50"},
        {"-123456", grouped, 64, u"-123 456,00"},
        {"0.995", plain, 64, u"1,00"}, // extra decimals are rounded
        {"9.999", noDecimals, 64, u"10"},
        {".5", plain, 64, u"0,50"},
        {"0.5", noLeadingZero, 64, u",50"},
        {"0", noLeadingZero, 64, u",00"},
        {"007", plain, 64, u"7,00"},
        {"-1.5", order(0), 64, u"(1,50)"},
        {"-1.5", order(2), 64, u"- 1,50"},
        {"-1.5", order(3), 64, u"1,50-"},
        {"-1.5", order(4), 64, u"1,50 -"},
        {"-1.5", order(5), 64, nullptr},
        {"12.34", plain, 6, u"12,34"}, // five characters and the terminator
        {"12.34", plain, 5, nullptr},
        {"", plain, 64, nullptr},
        {"-", plain, 64, nullptr},
        {".", plain, 64, nullptr},
        {"1..2", plain, 64, nullptr},
        {"1e5", plain, 64, nullptr},
        {" 1", plain, 64, nullptr},
        {"+1", plain, 64, nullptr},
        {"1,5", plain, 64, nullptr},
        {"inf", plain, 64, nullptr},
        {"nan", plain, 64, nullptr},
    };
    for (const FormatCase &c : cases) {
        const std::optional<QString> text = GetNumberFormat(c.fixed, c.format, c.capacity);
        if (c.text == nullptr) {
            EXPECT_FALSE(text.has_value()) << c.fixed.constData();
        } else {
            ASSERT_TRUE(text.has_value()) << c.fixed.constData();
            EXPECT_EQ(*text, QString::fromUtf16(c.text)) << c.fixed.constData();
        }
    }
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
