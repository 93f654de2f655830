#include "engine/rtf_text.h"

#include "platform/cp1252.h"

#include <charconv>

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
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append('\\');
            out.append(static_cast<char>(c));
            continue;
        }
        if (c < 0x80) {
            out.append(static_cast<char>(c));
            continue;
        }
        const int byte = QChar::isSurrogate(c) ? -1 : Cp1252ByteOf(c);
        if (byte >= 0) {
            out.append(static_cast<char>(byte));
            continue;
        }
        char escape[12];
        const auto end = std::to_chars(escape, escape + sizeof escape, static_cast<qint16>(c)).ptr;
        out.append("\\u", 2);
        out.append(escape, end - escape);
        out.append('?');
    }
}

void AppendBytes(RtfBytes &out, QByteArrayView bytes) {
    out.append(bytes.data(), bytes.size());
}
