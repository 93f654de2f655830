#include "platform/number_format.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
