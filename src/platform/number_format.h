#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <optional>

// The platform's number formatter: re-renders a plain fixed-point number
// text ("-1234.5") with a number format record.

// Largest count of digits after the separator a format may ask for.
inline constexpr int kMaxFormatDigits = 400;

// Output capacity, terminator included, of GetNumberFormat when the caller
// gives none.
inline constexpr int kDefaultFormatCapacity = 64;

// The number formatter's record.
struct NumberFormat {
    int numDigits = 2;   // digits after the decimal separator
    int leadingZero = 1; // a zero before the separator for values below 1
    int grouping = 0;    // 0: no grouping; n: groups of n digits
    QString decimalSeparator;
    QString thousandSeparator;
    int negativeOrder = 1; // 0 "(1)", 1 "-1", 2 "- 1", 3 "1-", 4 "1 -"
};

// The same record with the separators as views, so that formatting a number
// copies no string.
struct NumberFormatView {
    int numDigits = 2;
    int leadingZero = 1;
    int grouping = 0;
    QStringView decimalSeparator;
    QStringView thousandSeparator;
    int negativeOrder = 1;
};

// Where a rendered number is written; room for any text of the usual
// capacity without allocating.
using NumberTextBuffer = QVarLengthArray<QChar, 96>;

// Re-renders a plain fixed-point number text with a format: the decimals
// padded with zeros or rounded (halves away from zero) to `numDigits`.
// Nothing when the text is not a plain number, the format is out of range,
// or the result would not fit `capacity` characters with its terminator.
std::optional<QString> GetNumberFormat(QByteArrayView fixedText, const NumberFormat &format,
                                       int capacity = kDefaultFormatCapacity);

// The same into `out`; false when GetNumberFormat gives nothing (`out` then
// holds no meaningful text).
bool RenderNumber(QByteArrayView fixedText, const NumberFormatView &format, int capacity,
                  NumberTextBuffer &out);
