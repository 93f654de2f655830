#include "engine/number_text.h"

#include "engine/fixed_point.h"
#include "platform/cp1252.h"
#include "platform/dialog_items.h"
#include "platform/number_format.h"
#include "platform/user_locale.h"

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

NumberFormatView LocaleNumberFormat(int decimals) {
    // Shown as "." until the user's separator has been read.
    const QString &separator = SeparatorStorage();
    return {decimals, 1, 0, separator.isEmpty() ? QStringView(u".") : QStringView(separator),
            {},       1};
}

NumberFormatView MoneyFormat() {
    return {2, 1, 3, u",", u" ", 1};
}

// Every count of decimals a fixed-point text accepts can be shown.
static_assert(kMaxFixedDecimals <= kMaxFormatDigits);

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// White space as the C library's isspace sees it in the "C" locale.
bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Locale number text of a value into `out`; false when it has none.
bool RenderLocaleNumber(double value, int decimals, int capacity, NumberTextBuffer &out) {
    // Most values: the digits of one scaled integer, written straight out
    // (the index table lists 544 of them).
    ScaledFixed scaled;
    if (ScaleFixed(value, decimals, scaled)) {
        char digits[24];
        const auto count = static_cast<int>(
            std::to_chars(digits, digits + sizeof digits, scaled.scaled).ptr - digits);
        const int integerDigits = std::max(count - decimals, 0);
        const QStringView separator = LocaleNumberFormat(decimals).decimalSeparator;
        out.resize((scaled.negative ? 1 : 0) + std::max(integerDigits, 1) +
                   (decimals > 0 ? separator.size() + decimals : 0));
        QChar *p = out.data();
        if (scaled.negative)
            *p++ = u'-';
        if (integerDigits == 0)
            *p++ = u'0';
        for (int d = 0; d < integerDigits; ++d)
            *p++ = QLatin1Char(digits[d]);
        if (decimals > 0) {
            p = std::copy(separator.begin(), separator.end(), p);
            for (int d = count - decimals; d < count; ++d)
                *p++ = d < 0 ? QChar(u'0') : QLatin1Char(digits[d]);
        }
        return out.size() + 1 <= capacity;
    }
    char fixed[kFixedBufferSize];
    const int length = WriteFixed(value, decimals, fixed);
    if (length < 0)
        return false;
    return RenderNumber(QByteArrayView(fixed, length), LocaleNumberFormat(decimals), capacity, out);
}

} // namespace

void ReadDecimalSeparator(const UserLocale &locale) {
    SeparatorStorage() = locale.decimalSeparator;
}

QString DecimalSeparator() {
    return SeparatorStorage();
}

QString FormatNumber(double value, int decimals) {
    NumberTextBuffer out;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, out))
        return {};
    return QString(out.constData(), out.size());
}

qsizetype WriteNumberText(QChar *out, double value, int decimals) {
    NumberTextBuffer rendered;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, rendered))
        return -1;
    std::copy(rendered.cbegin(), rendered.cend(), out);
    return rendered.size();
}

bool FormatNumberInto(QString &text, double value, int decimals) {
    NumberTextBuffer out;
    if (!RenderLocaleNumber(value, decimals, kNumberTextCapacity, out))
        return false;
    text = QString(out.constData(), out.size());
    return true;
}

bool FormatNumberBuffer(char *buffer, int capacity, double value, int decimals) {
    if (buffer == nullptr || capacity <= 0)
        return false;
    buffer[0] = '\0';
    NumberTextBuffer out;
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

namespace {

// Two decimals of a scaled number: a "-" when it has one, the integer digits
// (a leading zero below 1; groups of three separated by `groupSeparator`
// unless it is 0), the decimal separator, two digits.
char *WriteTwoDecimals(char *out, const ScaledFixed &number, QByteArrayView decimalSeparator,
                       char groupSeparator) {
    if (number.negative)
        *out++ = '-';
    std::uint64_t integer = number.scaled / 100;
    const auto cents = static_cast<unsigned>(number.scaled % 100);
    if (integer < 1000) {
        // Most amounts and every index value: up to three digits, no group.
        const auto small = static_cast<unsigned>(integer);
        if (small >= 100)
            *out++ = static_cast<char>('0' + small / 100);
        if (small >= 10)
            *out++ = static_cast<char>('0' + small / 10 % 10);
        *out++ = static_cast<char>('0' + small % 10);
    } else {
        // At most 15 integer digits and 4 group separators, written backwards
        // three at a time.
        char digits[24];
        char *p = digits + sizeof digits;
        for (;;) {
            auto group = static_cast<unsigned>(integer % 1000);
            integer /= 1000;
            if (integer == 0) {
                // The leading group, without its zeros.
                do {
                    *--p = static_cast<char>('0' + group % 10);
                    group /= 10;
                } while (group != 0);
                break;
            }
            *--p = static_cast<char>('0' + group % 10);
            *--p = static_cast<char>('0' + group / 10 % 10);
            *--p = static_cast<char>('0' + group / 100);
            if (groupSeparator != 0)
                *--p = groupSeparator;
        }
        const auto length = static_cast<std::size_t>(digits + sizeof digits - p);
        std::memcpy(out, p, length);
        out += length;
    }
    if (decimalSeparator.size() == 1) {
        *out++ = decimalSeparator[0];
    } else {
        std::memcpy(out, decimalSeparator.data(),
                    static_cast<std::size_t>(decimalSeparator.size()));
        out += decimalSeparator.size();
    }
    *out++ = static_cast<char>('0' + cents / 10);
    *out++ = static_cast<char>('0' + cents % 10);
    return out;
}

// The longest WriteTwoDecimals text, separator aside: a sign, 16 digits, 5
// group separators, 2 decimals.
constexpr qsizetype kTwoDecimalsMaxBytes = 1 + 16 + 5 + 2;

} // namespace

ReportNumberWriter::ReportNumberWriter(const QString &symbol)
    : m_symbol(symbol)
    , m_separator(SeparatorStorage()) {
    m_symbolBytes = RtfPlainText(m_symbol);
    m_separatorBytes =
        RtfPlainText(m_separator.isEmpty() ? QStringView(u".") : QStringView(m_separator));
    // A scaled number has at most 15 integer digits with 2 decimals; with a
    // sign and the decimals, the separator may take the rest of the 63.
    m_separatorFits = m_separator.size() <= kNumberTextCapacity - 1 - 1 - 15 - 2;
}

bool ReportNumberWriter::Matches(const QString &symbol) const {
    // The same strings, shared with the ones the writer was made from; equal
    // texts held apart only cost a new writer.
    const auto same = [](const QString &a, const QString &b) {
        return a.constData() == b.constData() && a.size() == b.size();
    };
    return same(symbol, m_symbol) && same(SeparatorStorage(), m_separator);
}

qsizetype ReportNumberWriter::MaxIndexBytes() const {
    return kTwoDecimalsMaxBytes + m_separatorBytes.size();
}

qsizetype ReportNumberWriter::MaxMoneyBytes() const {
    return kTwoDecimalsMaxBytes + 1 + 2 + m_symbolBytes.size();
}

char *ReportNumberWriter::WriteIndex(char *out, double value) const {
    ScaledFixed number;
    if (!m_separatorFits || !ScaleFixed(value, 2, number))
        return nullptr;
    return WriteTwoDecimals(out, number, m_separatorBytes, 0);
}

char *ReportNumberWriter::WriteMoney(char *out, double amount) const {
    ScaledFixed number;
    if (!ScaleFixed(amount, 2, number))
        return nullptr;
    out = WriteTwoDecimals(out, number, ",", ' ');
    *out++ = '\\';
    *out++ = '~';
    if (m_symbolBytes.size() == 1)
        *out = m_symbolBytes.front();
    else
        std::memcpy(out, m_symbolBytes.constData(), static_cast<std::size_t>(m_symbolBytes.size()));
    return out + m_symbolBytes.size();
}

void AppendMoney(RtfBytes &out, double amount, const QString &symbol) {
    ScaledFixed number;
    if (ScaleFixed(amount, 2, number)) {
        const qsizetype size = out.size();
        out.resize(size + kTwoDecimalsMaxBytes + 1);
        char *end = WriteTwoDecimals(out.data() + size, number, ",", ' ');
        out.resize(end - out.constData());
        out.append("\\~", 2);
        AppendRtfPlainText(out, symbol);
        return;
    }
    // Beyond 17 digits, or no text at all: the general way.
    char fixed[kFixedBufferSize];
    const int fixedLength = WriteFixed(amount, 2, fixed);
    NumberTextBuffer rendered;
    if (fixedLength >= 0 && RenderNumber(QByteArrayView(fixed, fixedLength), MoneyFormat(),
                                         kNumberTextCapacity, rendered)) {
        for (const QChar c : rendered)
            out.append(c.toLatin1()); // digits, ",", " " and "-" only
    }
    out.append("\\~", 2);
    AppendRtfPlainText(out, symbol);
}

QByteArray MoneyText(double amount, const QString &symbol) {
    RtfBytes bytes;
    AppendMoney(bytes, amount, symbol);
    return QByteArray(bytes.constData(), bytes.size());
}
