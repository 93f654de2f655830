// ParseNumber on arbitrary text: it must never fail, and a text that is
// nothing but a plain number must read exactly as the standard library's
// correctly rounded conversion reads it.
#include "engine/number_text.h"
#include "platform/user_locale.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Optional "-", digits, optional "." and digits, optional exponent: the
// whole text and nothing else.
bool IsPlainNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    if (i == start)
        return false;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        if (i == fraction)
            return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t exponent = i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        if (i == exponent)
            return false;
    }
    return i == s.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the user's separator and how the rest is decoded.
    static const char16_t *const separators[] = {u",", u".", u"'", u"\u066B", u""};
    UserLocale locale;
    locale.decimalSeparator = QString::fromUtf16(separators[data[0] % 5]);
    ReadDecimalSeparator(locale);
    const char *text = reinterpret_cast<const char *>(data + 1);
    const auto length = static_cast<qsizetype>(size - 1);
    const QString decoded =
        (data[0] & 0x80) != 0 ? QString::fromUtf8(text, length) : QString::fromLatin1(text, length);

    const double value = ParseNumber(decoded);
    if (std::isnan(value))
        std::abort(); // no text reads as not-a-number

    // Numbers written back never fail for a finite value that fits.
    const QString shown = FormatNumber(value, 2);
    if (std::isfinite(value) && std::fabs(value) < 1e50 && shown.isEmpty())
        std::abort();
    (void)MoneyText(value, QStringLiteral("F"));

    // A plain number with "." as its point (the separator "." or none).
    const std::string_view plain(text, static_cast<std::size_t>(length));
    if ((data[0] % 5 == 1 || data[0] % 5 == 4) && IsPlainNumber(plain)) {
        double expected = 0.0;
        const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), expected);
        if (result.ec == std::errc()) {
            if (value != expected || std::signbit(value) != std::signbit(expected))
                std::abort();
        } else if (result.ec == std::errc::result_out_of_range) {
            if (!std::isinf(value) && value != 0.0)
                std::abort();
            if (std::signbit(value) != (plain[0] == '-'))
                std::abort();
        } else {
            std::abort();
        }
    }
    return 0;
}
