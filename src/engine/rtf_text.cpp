#include "engine/rtf_text.h"

#include "platform/cp1252.h"

QByteArray RtfPlainText(QStringView text) {
    QByteArray out;
    AppendRtfPlainText(out, text);
    return out;
}

void AppendRtfPlainText(QByteArray &out, QStringView text) {
    RtfBytes bytes;
    AppendRtfPlainText(bytes, text);
    out.append(bytes.constData(), bytes.size());
}

void AppendRtfPlainText(RtfBytes &out, QStringView text) {
    static const char kHexDigits[] = "0123456789abcdef";
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append('\\');
            out.append(static_cast<char>(c));
            continue;
        }
        // A control character (a NUL, a line break, a tab typed into a
        // setting) goes in as the escape of its byte: raw, a NUL would cut
        // the text short for readers of C strings, and a line break or a tab
        // would be dropped or taken for layout by a reader.
        if (c < 0x20 || c == 0x7F) {
            const char escape[] = {'\\', '\'', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
            out.append(escape, 4);
            continue;
        }
        char bytes[kRtfCharMaxBytes];
        out.append(bytes, WriteCp1252RtfChar(c, bytes));
    }
}

void AppendBytes(RtfBytes &out, QByteArrayView bytes) {
    out.append(bytes.data(), bytes.size());
}
