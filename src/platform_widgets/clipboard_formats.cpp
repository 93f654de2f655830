#include "platform_widgets/clipboard_formats.h"

#include <QMimeData>
#include <QStringList>

namespace {

constexpr qsizetype kMaxFormatName = 255;

// A token of a MIME type's name: letters, digits and "!#$&-^_.+".
bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           QStringView(u"!#$&-^_.+").contains(QChar(c));
}

bool IsImage(const QString &format) {
    return format.startsWith(QLatin1String("image/"), Qt::CaseInsensitive);
}

// The formats to fetch, in `formats`' order: kept ones only, and of the
// pictures only the PNG one when there is one, or else the first.
QStringList FormatsToFetch(const QStringList &formats) {
    QString picture;
    for (const QString &format : formats) {
        if (!IsKeptClipboardFormat(format) || !IsImage(format))
            continue;
        if (picture.isEmpty() ||
            format.compare(QLatin1String("image/png"), Qt::CaseInsensitive) == 0)
            picture = format;
    }
    QStringList fetched;
    for (const QString &format : formats) {
        if (IsKeptClipboardFormat(format) && (!IsImage(format) || format == picture) &&
            !fetched.contains(format))
            fetched.append(format);
    }
    return fetched;
}

} // namespace

bool IsKeptClipboardFormat(const QString &format) {
    if (format.size() > kMaxFormatName ||
        format.compare(QLatin1String("application/x-qt-image"), Qt::CaseInsensitive) == 0)
        return false;
    // type "/" subtype, each a token, then parameters: printable text after
    // a ";" (or a space before it).
    qsizetype i = 0;
    for (int part = 0; part < 2; ++part) {
        const qsizetype start = i;
        while (i < format.size() && IsNameChar(format[i].unicode()))
            ++i;
        if (i == start)
            return false;
        if (part == 0) {
            if (i == format.size() || format[i] != u'/')
                return false;
            ++i;
        }
    }
    if (i < format.size() && format[i] != u';' && format[i] != u' ')
        return false;
    for (; i < format.size(); ++i) {
        if (format[i].unicode() < 0x20 || format[i].unicode() > 0x7E)
            return false;
    }
    return true;
}

qsizetype CopyKeptClipboardFormats(const QMimeData &from, QMimeData &to, qsizetype budget) {
    qsizetype kept = 0;
    for (const QString &format : FormatsToFetch(from.formats())) {
        const QByteArray bytes = from.data(format);
        if (bytes.size() > budget - kept)
            continue;
        to.setData(format, bytes);
        kept += bytes.size();
    }
    return kept;
}
