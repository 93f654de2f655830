#include "platform/system_path.h"

#include <QDir>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

constexpr char32_t kEscapeBase = 0xDC00; // + byte, for the bytes 0x80 to 0xFF
constexpr char32_t kReplacement = 0xFFFD;

// Length of the valid UTF-8 sequence at `i`, with its code point; 0 when the
// byte there does not begin one (overlong forms, encoded surrogates and
// values past U+10FFFF are not valid).
int ValidSequenceAt(QByteArrayView bytes, qsizetype i, char32_t &code) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(QByteArray &out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

QString DecodeSystemPath(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += QChar(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        char32_t code = 0;
        const int length = ValidSequenceAt(bytes, i, code);
        if (length == 0) {
            out += QChar(static_cast<char16_t>(kEscapeBase + lead));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

QByteArray EncodeSystemPath(const QString &path) {
    QByteArray out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
            QChar::isLowSurrogate(path[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out += static_cast<char>(unit - kEscapeBase);
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

QString AbsoluteSystemPath(const QString &path) {
#ifdef Q_OS_WIN
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().filePath(path));
#else
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    char buffer[4096];
    const QString current =
        ::getcwd(buffer, sizeof buffer) ? DecodeSystemPath(buffer) : QDir::currentPath();
    return QDir::cleanPath(current + u'/' + path);
#endif
}

QString SystemPathFolder(const QString &path) {
    const QString absolute = AbsoluteSystemPath(path);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    return slash <= 0 ? absolute.left(slash + 1) : absolute.left(slash);
}

QString SystemPathName(const QString &path) {
    const QString absolute = AbsoluteSystemPath(path);
    return absolute.mid(absolute.lastIndexOf(u'/') + 1);
}
