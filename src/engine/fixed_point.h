#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// Fixed-point number text. Every fixed-point text rounds the same way: the
// value's decimal expansion is cut to 17 significant digits (the 18th
// rounding the 17th, halves up), then rounded to the requested decimals,
// halves away from zero. So 0.125 gives 0.13 and 2.675
// (2.67499999999999982...) gives 2.67.

// Largest count of decimals FormatFixed accepts.
inline constexpr int kMaxFixedDecimals = 400;

// Room for the fixed-point text of any double with up to kMaxFixedDecimals
// decimals: a sign, 309 integer digits, the point and the decimals.
inline constexpr int kFixedBufferSize = 1 + 309 + 1 + kMaxFixedDecimals + 8;

// "%.*f" under the rounding rule: "." as decimal point, "-" before a negative
// value, no grouping, every integer digit. A value that rounds to zero is
// written without a sign: -0.004 and -0.0 give "0.00". Nothing for an
// infinite value, not-a-number, or a count of decimals outside 0 to
// kMaxFixedDecimals.
std::optional<QByteArray> FormatFixed(double value, int decimals);

// The same into `out` (kFixedBufferSize bytes, not terminated) without
// allocating; its length, or -1 when the value has no text.
int WriteFixed(double value, int decimals, char *out);

// The fixed-point text's digits as one integer: the magnitude times
// 10^decimals under the same rounding rule, and whether a "-" goes before it
// (never for a value that rounds to zero). Only for counts of decimals from 0
// to 17 and magnitudes whose rounded text has at most 17 digits (below about
// 10^(17 - decimals)); false otherwise, and WriteFixed then gives the text.
struct ScaledFixed {
    std::uint64_t scaled = 0;
    bool negative = false;
};
bool ScaleFixed(double value, int decimals, ScaledFixed &out);
