#include "engine/fixed_point.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

// Values outside amounts and the oracle above both read the standard
// library's scientific text with 766 decimals and more; that it is the exact
// expansion is checked here against the C library's own conversion.
TEST(FormatFixed, StandardLibraryWritesTheExactExpansion) {
    const double values[] = {std::numeric_limits<double>::denorm_min(),
                             std::bit_cast<double>((std::uint64_t{1} << 52) - 1), // 767 digits
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::max(),
                             0.1,
                             0.001234,
                             1e23,
                             9007199254740993.0};
    for (const double v : values) {
        for (const int precision : {766, 770}) {
            char library[800];
            char c[800];
            const auto written = std::to_chars(library, library + sizeof library, v,
                                               std::chars_format::scientific, precision);
            const int length = std::snprintf(c, sizeof c, "%.*e", precision, v);
            EXPECT_EQ(std::string(library, written.ptr), std::string(c, c + length))
                << v << " with " << precision << " decimals";
        }
    }
}

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

} // namespace
