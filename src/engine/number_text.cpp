#include "engine/number_text.h"

#include "engine/fixed_point.h"
#include "platform/cp1252.h"
#include "platform/dialog_items.h"
#include "platform/user_locale.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

// ---------------------------------------------------------------------------
// The decimal separator.

QString &SeparatorStorage() {
    static QString separator;
    return separator;
}

// A number format as the renderer reads it: the separators as views, so that
// formatting a number copies no string.
struct FormatView {
    int numDigits = 2;
    int leadingZero = 1;
    int grouping = 0;
    QStringView decimalSeparator;
    QStringView thousandSeparator;
    int negativeOrder = 1;
};

FormatView ViewOf(const NumberFormat &f) {
    return {f.numDigits,        f.leadingZero,       f.grouping,
            f.decimalSeparator, f.thousandSeparator, f.negativeOrder};
}

FormatView LocaleNumberFormat(int decimals) {
    // Shown as "." until the user's separator has been read.
    const QString &separator = SeparatorStorage();
    return {decimals, 1, 0, separator.isEmpty() ? QStringView(u".") : QStringView(separator),
            {},       1};
}

FormatView MoneyFormat() {
    return {2, 1, 3, u",", u" ", 1};
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

using RenderBuffer = QVarLengthArray<QChar, 96>;

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

QChar *Put(QChar *p, QStringView text) {
    return std::copy(text.begin(), text.end(), p);
}

// Renders a plain fixed-point number text with a number format into `out`;
// false when the text is not a plain number or the format is out of range.
bool RenderNumber(QByteArrayView fixedText, const FormatView &format, RenderBuffer &out) {
    if (format.numDigits < 0 || format.numDigits > kMaxFixedDecimals || format.grouping < 0 ||
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
    return true;
}

// Locale number text of a value into `out`; false when it has none.
bool RenderLocaleNumber(double value, int decimals, int capacity, RenderBuffer &out) {
    char fixed[kFixedBufferSize];
    const int length = WriteFixed(value, decimals, fixed);
    if (length < 0)
        return false;
    if (!RenderNumber(QByteArrayView(fixed, length), LocaleNumberFormat(decimals), out))
        return false;
    return out.size() + 1 <= capacity;
}

} // namespace

std::optional<QString> GetNumberFormat(QByteArrayView fixedText, const NumberFormat &format,
                                       int capacity) {
    RenderBuffer out;
    if (!RenderNumber(fixedText, ViewOf(format), out) || out.size() + 1 > capacity)
        return std::nullopt;
    return QString(out.constData(), out.size());
}

void ReadDecimalSeparator(const UserLocale &locale) {
    SeparatorStorage() = locale.decimalSeparator;
}

QString DecimalSeparator() {
    return SeparatorStorage();
}

QString FormatNumber(double value, int decimals) {
    RenderBuffer out;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, out))
        return {};
    return QString(out.constData(), out.size());
}

qsizetype WriteNumberText(QChar *out, double value, int decimals) {
    RenderBuffer rendered;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, rendered))
        return -1;
    std::copy(rendered.cbegin(), rendered.cend(), out);
    return rendered.size();
}

bool FormatNumberInto(QString &text, double value, int decimals) {
    RenderBuffer out;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, out))
        return false;
    text = QString(out.constData(), out.size());
    return true;
}

bool FormatNumberBuffer(char *buffer, int capacity, double value, int decimals) {
    if (buffer == nullptr || capacity <= 0)
        return false;
    buffer[0] = '\0';
    RenderBuffer out;
    if (!RenderLocaleNumber(value, decimals, capacity, out))
        return false;
    const QByteArray bytes = ToCp1252(QStringView(out.constData(), out.size()));
    if (bytes.size() + 1 > capacity)
        return false;
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    buffer[bytes.size()] = '\0';
    return true;
}

double ParseNumber(QStringView text) {
    const QString separator = SeparatorStorage();
    const char16_t decimalChar = separator.isEmpty() ? u'.' : separator.at(0).unicode();
    const qsizetype n = text.size();
    auto at = [&](qsizetype i) -> char16_t {
        const char16_t c = text[i].unicode();
        return c == decimalChar ? u'.' : c;
    };

    qsizetype i = 0;
    while (i < n && IsCSpace(at(i)))
        ++i;
    bool negative = false;
    if (i < n && (at(i) == u'+' || at(i) == u'-')) {
        negative = at(i) == u'-';
        ++i;
    }
    const qsizetype start = i;
    qsizetype intDigits = 0;
    while (i < n && IsDigit(at(i))) {
        ++i;
        ++intDigits;
    }
    qsizetype fracDigits = 0;
    if (i < n && at(i) == u'.') {
        ++i;
        while (i < n && IsDigit(at(i))) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return 0.0;
    long long exponent = 0;
    if (i < n && (at(i) == u'e' || at(i) == u'E')) {
        qsizetype j = i + 1;
        bool negativeExponent = false;
        if (j < n && (at(j) == u'+' || at(j) == u'-')) {
            negativeExponent = at(j) == u'-';
            ++j;
        }
        if (j < n && IsDigit(at(j))) {
            while (j < n && IsDigit(at(j))) {
                if (exponent < 1000000000)
                    exponent = exponent * 10 + (at(j) - u'0');
                ++j;
            }
            if (negativeExponent)
                exponent = -exponent;
            i = j;
        }
    }

    QVarLengthArray<char, 128> ascii(i - start);
    for (qsizetype k = start; k < i; ++k)
        ascii[k - start] = static_cast<char>(at(k));
    double value = 0.0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range: infinite when the first significant digit
        // stands at 10^0 or above, else too small and zero.
        long long firstDigitExponent = 0;
        qsizetype position = 0;
        bool found = false;
        for (qsizetype k = start; k < i && !found; ++k) {
            const char16_t c = at(k);
            if (c == u'.')
                continue;
            if (c == u'e' || c == u'E')
                break;
            if (c != u'0') {
                firstDigitExponent = intDigits - position - 1;
                found = true;
            }
            ++position;
        }
        value = found && exponent + firstDigitExponent >= 0
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

void SetWindowNumber(IDialogItems &dialog, int id, double value, int decimals) {
    // A value without a text (infinite, not a number, too long) empties the
    // field rather than showing a stale number.
    dialog.SetDlgItemText(id, FormatNumber(value, decimals));
}

double GetWindowNumber(const IDialogItems &dialog, int id) {
    return ParseNumber(dialog.GetDlgItemText(id).left(kNumberTextCapacity - 1));
}

QString FormatInteger(int value) {
    return QString::number(value);
}

void AppendMoney(RtfBytes &out, double amount, const QString &symbol) {
    char fixed[kFixedBufferSize];
    const int fixedLength = WriteFixed(amount, 2, fixed);
    RenderBuffer rendered;
    if (fixedLength >= 0 &&
        RenderNumber(QByteArrayView(fixed, fixedLength), MoneyFormat(), rendered) &&
        rendered.size() + 1 <= kNumberTextCapacity) {
        for (const QChar c : rendered)
            out.append(c.toLatin1()); // digits, ",", " " and "-" only
    }
    out.append("\\~", 2);
    AppendRtfPlainText(out, symbol);
}

QByteArray FormatMoney(double amount, const QString &symbol) {
    RtfBytes bytes;
    AppendMoney(bytes, amount, symbol);
    return QByteArray(bytes.constData(), bytes.size());
}
