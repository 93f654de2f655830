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
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append('\\');
            out.append(static_cast<char>(c));
            continue;
        }
        char bytes[kRtfCharMaxBytes];
        out.append(bytes, WriteCp1252RtfChar(c, bytes));
    }
}

void AppendBytes(RtfBytes &out, QByteArrayView bytes) {
    out.append(bytes.data(), bytes.size());
}
