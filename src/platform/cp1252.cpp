#include "platform/cp1252.h"

#include <charconv>

namespace {

// Unicode of the bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

int Cp1252ByteOf(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<int>(ch);
    for (int i = 0; i < 32; ++i) {
        // An unassigned byte stands for the C1 control of its own value.
        const char32_t mapped = kHighControls[i] != 0 ? kHighControls[i] : char32_t(0x80 + i);
        if (mapped == ch)
            return 0x80 + i;
    }
    return -1;
}

char16_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t mapped = kHighControls[byte - 0x80];
        return mapped != 0 ? mapped : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

QByteArray ToCp1252(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append('?');
            ++i;
            continue;
        }
        const int b = Cp1252ByteOf(unit);
        out.append(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

QString FromCp1252(QByteArrayView bytes) {
    // Sized once and written through a pointer: the index file's 548 lines
    // are read through here at every start.
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *p = out.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *p++ = QChar(byte < 0x80 || byte >= 0xA0 ? char16_t(byte) : Cp1252ToUnicode(byte));
    }
    return out;
}

int WriteCp1252RtfChar(char16_t unit, char *out) {
    const int b = QChar::isSurrogate(unit) ? -1 : Cp1252ByteOf(unit);
    if (b >= 0) {
        out[0] = static_cast<char>(b);
        return 1;
    }
    out[0] = '\\';
    out[1] = 'u';
    char *end = std::to_chars(out + 2, out + kRtfCharMaxBytes - 1, static_cast<qint16>(unit)).ptr;
    *end++ = '?';
    return static_cast<int>(end - out);
}
