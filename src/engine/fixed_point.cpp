#include "engine/fixed_point.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------
// Exact leading digits of a double.
//
// A finite double is m x 2^e with integers m < 2^53 and -1074 <= e <= 971,
// so its decimal expansion is finite. The rounding rule needs its first 18
// significant digits, truncated: floor(v x 10^(17 - k)) with k the decimal
// exponent of the first digit. Amounts get them from 128-bit integer
// arithmetic; other values from the standard library's exact expansion.

constexpr std::array<std::uint64_t, 19> kPow10 = {1ull,
                                                  10ull,
                                                  100ull,
                                                  1000ull,
                                                  10000ull,
                                                  100000ull,
                                                  1000000ull,
                                                  10000000ull,
                                                  100000000ull,
                                                  1000000000ull,
                                                  10000000000ull,
                                                  100000000000ull,
                                                  1000000000000ull,
                                                  10000000000000ull,
                                                  100000000000000ull,
                                                  1000000000000000ull,
                                                  10000000000000000ull,
                                                  100000000000000000ull,
                                                  1000000000000000000ull};

std::uint64_t Pow10(int n) {
    return kPow10[static_cast<std::size_t>(n)];
}

// ---------------------------------------------------------------------------
// Fixed-point text.

// floor(m x 10^scale / 2^shift) when it fits 64 bits (scale at most 19): the
// quick way for amounts between about 0.01 and 2^53, where the product fits
// 128 bits.
bool ScaledFloor(std::uint64_t m, int scale, int shift, std::uint64_t &out) {
    const std::uint64_t f = scale == 19 ? 10000000000000000000ull : Pow10(scale);
    const std::uint64_t mLow = m & 0xFFFFFFFFu;
    const std::uint64_t mHigh = m >> 32;
    const std::uint64_t fLow = f & 0xFFFFFFFFu;
    const std::uint64_t fHigh = f >> 32;
    const std::uint64_t p0 = mLow * fLow;
    const std::uint64_t p1 = mLow * fHigh;
    const std::uint64_t p2 = mHigh * fLow;
    const std::uint64_t p3 = mHigh * fHigh;
    const std::uint64_t middle = (p0 >> 32) + (p1 & 0xFFFFFFFFu) + (p2 & 0xFFFFFFFFu);
    const std::uint64_t low = (middle << 32) | (p0 & 0xFFFFFFFFu);
    const std::uint64_t high = p3 + (p1 >> 32) + (p2 >> 32) + (middle >> 32);
    if (shift >= 128) {
        out = 0;
        return true;
    }
    if (shift >= 64) {
        out = high >> (shift - 64);
        return true;
    }
    if (shift == 0) {
        if (high != 0)
            return false;
        out = low;
        return true;
    }
    if ((high >> shift) != 0)
        return false;
    out = (low >> shift) | (high << (64 - shift));
    return true;
}

// x / 10^n for n from 0 to 18, each case a division by a constant that the
// compiler turns into a multiplication.
std::uint64_t DividePow10(std::uint64_t x, int n) {
    switch (n) {
    case 0:
        return x;
    case 1:
        return x / 10ull;
    case 2:
        return x / 100ull;
    case 3:
        return x / 1000ull;
    case 4:
        return x / 10000ull;
    case 5:
        return x / 100000ull;
    case 6:
        return x / 1000000ull;
    case 7:
        return x / 10000000ull;
    case 8:
        return x / 100000000ull;
    case 9:
        return x / 1000000000ull;
    case 10:
        return x / 10000000000ull;
    case 11:
        return x / 100000000000ull;
    case 12:
        return x / 1000000000000ull;
    case 13:
        return x / 10000000000000ull;
    case 14:
        return x / 100000000000000ull;
    case 15:
        return x / 1000000000000000ull;
    case 16:
        return x / 10000000000000000ull;
    case 17:
        return x / 100000000000000000ull;
    default:
        return x / 1000000000000000000ull;
    }
}

struct LeadingDigits {
    std::uint64_t digits = 0; // 18 significant digits (17 once cut)
    int exponent = 0;         // decimal exponent of the first digit
};

// A double has at most 767 significant digits (the largest subnormal,
// (2^52 - 1) x 2^-1074), so its scientific text with 766 digits after the
// point is its exact expansion, nothing rounded.
constexpr int kExactPrecision = 766;

// The first 18 digits of a positive finite `a` read from its exact expansion
// "d.ddd...e-324".
LeadingDigits ExactEighteenDigits(double a) {
    char text[1 + 1 + kExactPrecision + 6];
    const char *end =
        std::to_chars(text, text + sizeof text, a, std::chars_format::scientific, kExactPrecision)
            .ptr;
    std::uint64_t digits = static_cast<std::uint64_t>(text[0] - '0');
    for (int i = 2; i < 19; ++i)
        digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    const char *exponentText = text + 2 + kExactPrecision + 1; // after the "e"
    if (*exponentText == '+')
        ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, end, exponent);
    return {digits, exponent};
}

// floor(a x 10^(17 - k)) for a positive finite `a`, as 18 digits, with k the
// decimal exponent of a's first significant digit.
LeadingDigits EighteenDigits(double a) {
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t mantissa = biased == 0 ? fraction : (fraction | (std::uint64_t{1} << 52));
    const int binaryExponent = (biased == 0 ? 1 : biased) - 1075;
    if (binaryExponent > 0)
        return ExactEighteenDigits(a);

    // a lies in [2^(bitLength - 1), 2^bitLength), so k is (bitLength - 1) x
    // log10(2) or one more, rounded down. The estimate uses 1233 / 4096, a
    // little below log10(2): it may come out a digit or two low (the extra
    // digits are dropped exactly by dividing, a floor of a floor being the
    // floor) or, for tiny values, one high (computed again).
    const int bitLength = static_cast<int>(std::bit_width(mantissa)) + binaryExponent;
    int k = ((bitLength - 1) * 1233) >> 12;
    for (;;) {
        const int scale = 17 - k;
        std::uint64_t quick = 0;
        if (scale < 0 || scale > 19 || !ScaledFloor(mantissa, scale, -binaryExponent, quick))
            return ExactEighteenDigits(a);
        while (quick >= Pow10(18)) {
            quick /= 10;
            ++k;
        }
        if (quick >= Pow10(17))
            return {quick, k};
        --k;
    }
}

// The first 17 significant digits of a positive value, cut from 18 (the
// 18th rounding the 17th), and the decimal exponent of the first.
LeadingDigits SeventeenDigits(double magnitude) {
    const LeadingDigits d18 = EighteenDigits(magnitude);
    LeadingDigits d17{d18.digits / 10 + (d18.digits % 10 >= 5 ? 1 : 0), d18.exponent};
    if (d17.digits == Pow10(17)) {
        d17.digits = Pow10(16);
        ++d17.exponent;
    }
    return d17;
}

} // namespace

int WriteFixed(double value, int decimals, char *out) {
    if (!std::isfinite(value) || decimals < 0 || decimals > kMaxFixedDecimals)
        return -1;

    // The value times 10^decimals, rounded, as a string of digits.
    char scaled[kFixedBufferSize];
    int length = 0;
    const double magnitude = std::fabs(value);
    if (magnitude != 0.0) {
        const auto [d17, exponent] = SeventeenDigits(magnitude);
        // How many of the 17 digits lie at or above the last decimal kept.
        const int keep = exponent + decimals + 1;
        if (keep >= 17) {
            std::to_chars(scaled, scaled + 17, d17);
            std::memset(scaled + 17, '0', static_cast<std::size_t>(keep - 17));
            length = keep;
        } else if (keep >= 0) {
            // Rounded at the first dropped digit, halves away from zero.
            const int drop = 17 - keep;
            std::uint64_t kept = DividePow10(d17, drop);
            if (DividePow10(d17, drop - 1) % 10 >= 5)
                ++kept;
            length = static_cast<int>(std::to_chars(scaled, scaled + 24, kept).ptr - scaled);
        } else {
            scaled[length++] = '0';
        }
    } else {
        scaled[length++] = '0';
    }
    // A value that rounds to zero is written without a sign.
    const bool negative = std::signbit(value) && !(length == 1 && scaled[0] == '0');

    char *p = out;
    if (negative)
        *p++ = '-';
    if (length > decimals) {
        std::memcpy(p, scaled, static_cast<std::size_t>(length - decimals));
        p += length - decimals;
    } else {
        *p++ = '0';
    }
    if (decimals > 0) {
        *p++ = '.';
        const int fractionDigits = std::min(length, decimals);
        std::memset(p, '0', static_cast<std::size_t>(decimals - fractionDigits));
        p += decimals - fractionDigits;
        std::memcpy(p, scaled + (length - fractionDigits),
                    static_cast<std::size_t>(fractionDigits));
        p += fractionDigits;
    }
    return static_cast<int>(p - out);
}

namespace {

// The quick way for up to 3 decimals: t = |value| x 10^decimals exactly, as
// an integer part and a binary fraction. Cutting the value to 17 significant
// digits moves t by less than 0.6 x t x 10^-16 (the cut at the 18th digit
// and the rounding of the 17th), so unless t's fraction lies that close to
// one half, rounding t itself half up gives what rounding the 17-digit
// expansion gives; an integer part of t near the 17th digit leaves no such
// room and takes the exact way. False when the quick way cannot tell.
bool QuickScaled(double magnitude, int decimals, std::uint64_t &out) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0)
        return false; // subnormal
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - biased; // magnitude = mantissa / 2^shift
    if (shift < 1 || shift > 63)
        return false;
    const std::uint64_t product = mantissa * Pow10(decimals); // below 2^63
    const std::uint64_t integer = product >> shift;
    const std::uint64_t fraction = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    // 0.6 x t x 10^-16 in units of 2^-shift, with room to spare.
    const std::uint64_t slack = product / 10000000000000000ull + 1;
    const std::uint64_t distance = fraction > half ? fraction - half : half - fraction;
    if (distance <= slack)
        return false;
    out = integer + (fraction > half ? 1 : 0);
    return true;
}

} // namespace

bool ScaleFixed(double value, int decimals, ScaledFixed &out) {
    if (!std::isfinite(value) || decimals < 0 || decimals > 17)
        return false;
    const double magnitude = std::fabs(value);
    std::uint64_t kept = 0;
    if (decimals <= 3 && magnitude != 0.0 && QuickScaled(magnitude, decimals, kept)) {
        out.scaled = kept;
        out.negative = std::signbit(value) && kept != 0;
        return true;
    }
    if (magnitude != 0.0) {
        // The same steps as WriteFixed, kept in the integer.
        const auto [d17, exponent] = SeventeenDigits(magnitude);
        const int keep = exponent + decimals + 1;
        if (keep > 17)
            return false;
        if (keep == 17) {
            kept = d17;
        } else if (keep >= 0) {
            const int drop = 17 - keep;
            kept = DividePow10(d17, drop);
            if (DividePow10(d17, drop - 1) % 10 >= 5)
                ++kept;
        }
    }
    out.scaled = kept;
    out.negative = std::signbit(value) && kept != 0;
    return true;
}

std::optional<QByteArray> FormatFixed(double value, int decimals) {
    char fixed[kFixedBufferSize];
    const int length = WriteFixed(value, decimals, fixed);
    if (length < 0)
        return std::nullopt;
    return QByteArray(fixed, length);
}
