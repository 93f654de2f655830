#include "platform/number_format.h"

#include <algorithm>
#include <cstring>

namespace {

NumberFormatView ViewOf(const NumberFormat &f) {
    return {f.numDigits,        f.leadingZero,       f.grouping,
            f.decimalSeparator, f.thousandSeparator, f.negativeOrder};
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

QChar *Put(QChar *p, QStringView text) {
    return std::copy(text.begin(), text.end(), p);
}

} // namespace

bool RenderNumber(QByteArrayView fixedText, const NumberFormatView &format, int capacity,
                  NumberTextBuffer &out) {
    if (format.numDigits < 0 || format.numDigits > kMaxFormatDigits || format.grouping < 0 ||
        format.negativeOrder < 0 || format.negativeOrder > 4)
        return false;

    // A plain number: optional "-", digits, optional "." and digits.
    qsizetype i = 0;
    const qsizetype n = fixedText.size();
    const bool negative = n > 0 && fixedText[0] == '-';
    if (negative)
        ++i;
    const qsizetype intStart = i;
    while (i < n && IsAsciiDigit(fixedText[i]))
        ++i;
    const qsizetype intLength = i - intStart;
    qsizetype fracStart = i;
    if (i < n && fixedText[i] == '.') {
        fracStart = ++i;
        while (i < n && IsAsciiDigit(fixedText[i]))
            ++i;
    }
    const qsizetype fracLength = i - fracStart;
    if (i != n || intLength + fracLength == 0)
        return false;

    // The integer digits, then exactly the requested count of decimals: more
    // are rounded (halves away from zero), fewer padded with zeros.
    QVarLengthArray<char, 96> digits;
    const qsizetype numDigits = format.numDigits;
    digits.resize(1 + intLength + numDigits);
    digits[0] = '0'; // room for a carry out of the integer digits
    std::memcpy(digits.data() + 1, fixedText.data() + intStart,
                static_cast<std::size_t>(intLength));
    char *fraction = digits.data() + 1 + intLength;
    if (fracLength > numDigits) {
        std::memcpy(fraction, fixedText.data() + fracStart, static_cast<std::size_t>(numDigits));
        if (fixedText[fracStart + numDigits] >= '5') {
            char *d = fraction + numDigits - 1;
            for (; *d == '9'; --d)
                *d = '0';
            ++*d;
        }
    } else {
        std::memcpy(fraction, fixedText.data() + fracStart, static_cast<std::size_t>(fracLength));
        std::memset(fraction + fracLength, '0', static_cast<std::size_t>(numDigits - fracLength));
    }
    const char *first = digits.data();
    while (first < fraction && *first == '0')
        ++first;
    const auto integerDigits = static_cast<qsizetype>(fraction - first);

    // Room for everything at once, then written through a pointer.
    const qsizetype groups = format.grouping > 0 ? integerDigits / format.grouping : 0;
    out.resize(4 + integerDigits + 1 + groups * format.thousandSeparator.size() +
               format.decimalSeparator.size() + numDigits);
    QChar *p = out.data();
    if (negative) {
        if (format.negativeOrder == 0)
            *p++ = u'(';
        if (format.negativeOrder == 1 || format.negativeOrder == 2)
            *p++ = u'-';
        if (format.negativeOrder == 2)
            *p++ = u' ';
    }
    if (integerDigits == 0 && (format.leadingZero != 0 || numDigits == 0))
        *p++ = u'0';
    for (qsizetype d = 0; d < integerDigits; ++d) {
        if (format.grouping > 0 && d > 0 && (integerDigits - d) % format.grouping == 0)
            p = Put(p, format.thousandSeparator);
        *p++ = QLatin1Char(first[d]);
    }
    if (numDigits > 0) {
        p = Put(p, format.decimalSeparator);
        for (qsizetype d = 0; d < numDigits; ++d)
            *p++ = QLatin1Char(fraction[d]);
    }
    if (negative) {
        if (format.negativeOrder == 0)
            *p++ = u')';
        if (format.negativeOrder == 4)
            *p++ = u' ';
        if (format.negativeOrder == 3 || format.negativeOrder == 4)
            *p++ = u'-';
    }
    out.resize(p - out.data());
    return out.size() + 1 <= capacity;
}

std::optional<QString> GetNumberFormat(QByteArrayView fixedText, const NumberFormat &format,
                                       int capacity) {
    NumberTextBuffer out;
    if (!RenderNumber(fixedText, ViewOf(format), capacity, out))
        return std::nullopt;
    return QString(out.constData(), out.size());
}
