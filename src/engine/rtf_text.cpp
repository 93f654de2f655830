#include "engine/rtf_text.h"

#include "platform/cp1252.h"

QByteArray RtfPlainText(QStringView text) {
    QByteArray out;
    AppendRtfPlainText(out, text);
    return out;
}

void AppendRtfPlainText(QByteArray &out, QStringView text) {
    // Room for the longest escapes at once, then written through a pointer
    // and cut back to what was written.
    const qsizetype size = out.size();
    out.resize(size + text.size() * kRtfPlainTextMaxBytesPerUnit);
    char *end = WriteRtfPlainText(out.data() + size, text);
    out.resize(end - out.constData());
}

void AppendRtfPlainText(RtfBytes &out, QStringView text) {
    const qsizetype size = out.size();
    out.resize(size + text.size() * kRtfPlainTextMaxBytesPerUnit);
    char *end = WriteRtfPlainText(out.data() + size, text);
    out.resize(end - out.constData());
}

namespace {

// A unit that goes in as its own single byte: printable ASCII other than
// the three characters Rich Text gives a meaning, and Latin-1's letters and
// signs (U+00A0 to U+00FF, the same bytes in Windows-1252).
bool IsRawByte(char16_t c) {
    return (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'{' && c != u'}') ||
           (c >= 0xA0 && c <= 0xFF);
}

} // namespace

char *WriteRtfPlainText(char *out, QStringView text) {
    static const char kHexDigits[] = "0123456789abcdef";
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (IsRawByte(c)) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (c == u'\\' || c == u'{' || c == u'}') {
            *out++ = '\\';
            *out++ = static_cast<char>(c);
            continue;
        }
        // A control character (a NUL, a line break, a tab typed into a
        // setting) goes in as the escape of its byte: raw, a NUL would cut
        // the text short for readers of C strings, and a line break or a tab
        // would be dropped or taken for layout by a reader.
        if (c < 0x20 || c == 0x7F) {
            *out++ = '\\';
            *out++ = '\'';
            *out++ = kHexDigits[c >> 4];
            *out++ = kHexDigits[c & 0xF];
            continue;
        }
        out += WriteCp1252RtfChar(c, out);
    }
    return out;
}

void AppendBytes(RtfBytes &out, QByteArrayView bytes) {
    out.append(bytes.data(), bytes.size());
}
