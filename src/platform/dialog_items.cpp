#include "platform/dialog_items.h"

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

int ParseDlgItemInt(const QString &text, bool *ok, bool isSigned) {
    if (ok)
        *ok = false;
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (isSigned && i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype digitsStart = i;
    unsigned long long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + static_cast<unsigned>(text[i].unicode() - u'0');
        if (value > 0xFFFFFFFFull)
            return 0;
        ++i;
    }
    if (i == digitsStart)
        return 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return 0;
    if (isSigned) {
        if ((!negative && value > 0x7FFFFFFFull) || (negative && value > 0x80000000ull))
            return 0;
        if (ok)
            *ok = true;
        return negative ? static_cast<int>(-static_cast<long long>(value))
                        : static_cast<int>(value);
    }
    if (ok)
        *ok = true;
    return static_cast<int>(static_cast<unsigned>(value));
}
