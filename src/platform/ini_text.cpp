#include "platform/ini_text.h"

#include <QByteArrayView>
#include <QStringList>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The number of `count` hex digits at `at`, or -1.
int HexNumber(QByteArrayView text, qsizetype at, int count) {
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (!IsHexDigit(static_cast<unsigned char>(c)))
            return -1;
        value = value * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
}

// A section or key name as QSettings writes it: letters, digits, "_", "-"
// and "." as they are, "/" as "\", other characters as %XX or %UXXXX.
QByteArray EscapedName(const QString &name) {
    QByteArray out;
    for (const QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out += '\\';
        } else if (IsAsciiLetterOrDigit(c) || c == u'_' || c == u'-' || c == u'.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += kHexDigits[c / 16];
            out += kHexDigits[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHexDigits[(c >> shift) & 0xF];
        }
    }
    return out;
}

// A name read from the file, its escapes undone; other bytes are UTF-8, as
// in a file edited by hand.
QString UnescapedName(QByteArrayView raw) {
    QString out;
    QByteArray plain;
    const auto flush = [&] {
        out += QString::fromUtf8(plain);
        plain.clear();
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\') {
            flush();
            out += u'/';
        } else if (c == '%' && i + 1 < raw.size() && raw[i + 1] == 'U' &&
                   HexNumber(raw, i + 2, 4) >= 0) {
            flush();
            out += QChar(static_cast<char16_t>(HexNumber(raw, i + 2, 4)));
            i += 5;
        } else if (c == '%' && HexNumber(raw, i + 1, 2) >= 0) {
            flush();
            out += QChar(static_cast<char16_t>(HexNumber(raw, i + 1, 2)));
            i += 2;
        } else {
            plain += c;
        }
    }
    flush();
    return out;
}

// The unescaped name of the section a "[name]" line opens.
QString SectionNameOf(QByteArrayView content) {
    const qsizetype close = content.indexOf(']');
    return UnescapedName(content.sliced(1, (close < 0 ? content.size() : close) - 1));
}

void AppendEscapedText(QByteArray &out, const QString &text) {
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u';' || c == u',' || c == u'=')
            needsQuotes = true;
        // After a "\x" escape a hex digit would be read as part of it.
        if (escapeNextIfHexDigit && IsHexDigit(c)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (c) {
        case u'\0':
            out += "\\0";
            escapeNextIfHexDigit = true;
            break;
        case u'\a':
            out += "\\a";
            break;
        case u'\b':
            out += "\\b";
            break;
        case u'\f':
            out += "\\f";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'\v':
            out += "\\v";
            break;
        case u'"':
        case u'\\':
            out += '\\';
            out += static_cast<char>(c);
            break;
        default:
            if (c <= 0x1F) {
                out += "\\x" + QByteArray::number(c, 16);
                escapeNextIfHexDigit = true;
            } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                       QChar::isLowSurrogate(text[i + 1].unicode())) {
                out += text.mid(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(c)).toUtf8();
            }
        }
    }
    if (needsQuotes ||
        (out.size() > start && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

QByteArrayView Trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return text.sliced(begin, end - begin);
}

// True when the line's content ends with an odd number of backslashes: the
// value goes on on the next line.
bool ContinuesOnNextLine(QByteArrayView content) {
    qsizetype count = 0;
    while (count < content.size() && content[content.size() - 1 - count] == '\\')
        ++count;
    return count % 2 == 1;
}

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;  // before the line's end ("\r\n" or "\n")
    qsizetype next = 0; // after it
};

Line LineAt(const QByteArray &text, qsizetype begin) {
    Line line;
    line.begin = begin;
    const qsizetype newline = text.indexOf('\n', begin);
    line.next = newline < 0 ? text.size() : newline + 1;
    line.end = newline < 0 ? text.size() : newline;
    if (line.end > begin && text[line.end - 1] == '\r')
        --line.end;
    return line;
}

// A line's text without its line end and surrounding blanks.
QByteArrayView TrimmedContent(const QByteArray &text, const Line &line) {
    return Trimmed(QByteArrayView(text).sliced(line.begin, line.end - line.begin));
}

} // namespace

QByteArray IniTextValue(const QString &value) {
    QString written = value;
    if (value.contains(QChar(u'\0')))
        written = QStringLiteral("@String(") + value + u')';
    else if (value.startsWith(u'@'))
        written.prepend(u'@');
    QByteArray out;
    AppendEscapedText(out, written);
    return out;
}

QByteArray IniIntValue(int value) {
    return QByteArray::number(value);
}

QByteArray SetIniValue(const QByteArray &text, const QString &section, const QString &key,
                       const QByteArray &value) {
    const QByteArray lineEnd = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray entry = EscapedName(key) + '=' + value;
    QByteArray out;
    out.reserve(text.size() + entry.size() + 32);
    bool inSection = false;
    bool sectionSeen = false;
    bool done = false;
    qsizetype insertAt = -1; // in `out`: after the section's last line that is not blank

    const auto insertEntry = [&] {
        if (insertAt < 0)
            return;
        QByteArray added = entry + lineEnd;
        if (insertAt > 0 && out[insertAt - 1] != '\n')
            added.prepend(lineEnd);
        out.insert(insertAt, added);
        done = true;
    };

    qsizetype pos = 0;
    while (pos < text.size()) {
        const Line line = LineAt(text, pos);
        const QByteArrayView content = TrimmedContent(text, line);
        pos = line.next;
        if (content.startsWith('[')) {
            if (inSection && !done)
                insertEntry();
            inSection = SectionNameOf(content) == section;
            sectionSeen = sectionSeen || inSection;
            out += QByteArrayView(text).sliced(line.begin, line.next - line.begin);
            if (inSection)
                insertAt = out.size();
            continue;
        }
        const qsizetype equals = content.indexOf('=');
        const bool keyLine = inSection && equals > 0 && !content.startsWith(';') &&
                             !content.startsWith('#') &&
                             UnescapedName(Trimmed(content.first(equals))) == key;
        if (!keyLine) {
            out += QByteArrayView(text).sliced(line.begin, line.next - line.begin);
            if (inSection && !content.isEmpty())
                insertAt = out.size();
            continue;
        }
        // The key's line and the lines that continue its value.
        Line last = line;
        QByteArrayView lastContent = content;
        while (ContinuesOnNextLine(lastContent) && pos < text.size()) {
            last = LineAt(text, pos);
            lastContent = TrimmedContent(text, last);
            pos = last.next;
        }
        if (done)
            continue; // a later copy of the key: only the first one stays
        const bool sameValue = last.begin == line.begin &&
                               Trimmed(content.sliced(equals + 1)) == QByteArrayView(value);
        if (sameValue)
            out += QByteArrayView(text).sliced(line.begin, line.next - line.begin);
        else
            out += entry + text.sliced(last.end, last.next - last.end);
        if (last.next == text.size() && last.end == last.next && !sameValue)
            out += lineEnd;
        insertAt = out.size();
        done = true;
    }
    if (inSection && !done)
        insertEntry();
    if (!sectionSeen) {
        if (!out.isEmpty()) {
            if (!out.endsWith('\n'))
                out += lineEnd;
            out += lineEnd;
        }
        out += '[' + EscapedName(section) + ']' + lineEnd + entry + lineEnd;
    }
    return out;
}

std::optional<QByteArray> FindIniValue(const QByteArray &text, const QString &section,
                                       const QString &key) {
    const QString wanted = section.isEmpty() ? QStringLiteral("General") : section;
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const Line line = LineAt(text, pos);
        const QByteArrayView content = TrimmedContent(text, line);
        pos = line.next;
        if (content.startsWith('[')) {
            inSection = SectionNameOf(content) == wanted;
            continue;
        }
        const qsizetype equals = content.indexOf('=');
        if (!inSection || equals <= 0 || content.startsWith(';') || content.startsWith('#') ||
            UnescapedName(Trimmed(content.first(equals))) != key)
            continue;
        // The raw bytes, line ends of continued lines included.
        const qsizetype start = content.data() - text.constData() + equals + 1;
        qsizetype end = line.end;
        QByteArrayView lastContent = content;
        while (ContinuesOnNextLine(lastContent) && pos < text.size()) {
            const Line next = LineAt(text, pos);
            lastContent = TrimmedContent(text, next);
            pos = next.next;
            end = next.end;
        }
        const QByteArray value = text.sliced(start, end - start);
        return value;
    }
    return std::nullopt;
}

namespace {

// The items of a written value, its escapes undone; more than one when it is
// a list. As QSettings reads them: a "\" before any other character drops
// both, a "\" before a line end continues the value.
QStringList UnescapedItems(QByteArrayView text) {
    QStringList items;
    QString item;
    QByteArray plain; // UTF-8 bytes not yet added to `item`
    bool inQuotes = false;
    bool quoted = false; // the current item had quotes: its spaces stay
    qsizetype keep = 0;  // what an escape gave: trailing spaces before it stay
    const auto flush = [&] {
        item += QString::fromUtf8(plain);
        plain.clear();
    };
    const auto endItem = [&] {
        flush();
        if (!quoted) {
            qsizetype end = item.size();
            while (end > keep && (item[end - 1] == u' ' || item[end - 1] == u'\t'))
                --end;
            item.truncate(end);
        }
        items.append(item);
        item.clear();
        quoted = false;
        keep = 0;
    };
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipSpaces();
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '\\') {
            if (i >= text.size())
                break;
            const char e = text[i++];
            static constexpr char kEscapes[][2] = {
                {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool simple = false;
            for (const auto &escape : kEscapes) {
                if (e == escape[0]) {
                    plain += escape[1];
                    simple = true;
                    break;
                }
            }
            flush();
            if (!simple && (e == 'x' || (e >= '0' && e <= '7'))) {
                const int base = e == 'x' ? 16 : 8;
                auto value = char16_t(e == 'x' ? 0 : e - '0');
                bool digits = e != 'x';
                for (; i < text.size(); ++i) {
                    const char d = text[i];
                    int digit = -1;
                    if (d >= '0' && d <= (base == 8 ? '7' : '9'))
                        digit = d - '0';
                    else if (base == 16 && (d | 0x20) >= 'a' && (d | 0x20) <= 'f')
                        digit = (d | 0x20) - 'a' + 10;
                    if (digit < 0)
                        break;
                    value = char16_t(value * base + digit);
                    digits = true;
                }
                if (digits)
                    item += QChar(value);
            } else if (!simple && (e == '\n' || e == '\r') && i < text.size() &&
                       (text[i] == '\n' || text[i] == '\r') && text[i] != e) {
                ++i;
            }
            keep = item.size();
        } else if (c == '"') {
            inQuotes = !inQuotes;
            quoted = true;
            if (!inQuotes)
                skipSpaces();
        } else if (c == ',' && !inQuotes) {
            endItem();
            skipSpaces();
        } else if (c == ';' && !inQuotes) {
            break; // a comment follows
        } else {
            plain += c;
        }
    }
    // A list's last item counts even when empty.
    endItem();
    return items;
}

// One item as QSettings turns a text into a value, when it is a text.
std::optional<QString> PlainItem(const QString &item) {
    if (!item.startsWith(u'@'))
        return item;
    if (item.startsWith(QLatin1String("@@")))
        return item.mid(1);
    if (item.endsWith(u')')) {
        if (item.startsWith(QLatin1String("@String(")))
            return item.sliced(8).chopped(1);
        for (const char *kind :
             {"@ByteArray(", "@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("}) {
            if (item.startsWith(QLatin1String(kind)))
                return std::nullopt;
        }
        if (item == QLatin1String("@Invalid()"))
            return std::nullopt;
    }
    return item;
}

} // namespace

std::optional<QString> IniPlainText(QByteArrayView written) {
    const QStringList items = UnescapedItems(written);
    if (items.size() == 1)
        return PlainItem(items[0]);
    QStringList plain;
    for (const QString &item : items) {
        // A list with another kind of value in it is not a list of texts.
        if (item.startsWith(u'@') && !item.startsWith(QLatin1String("@@")))
            return std::nullopt;
        plain.append(item.startsWith(u'@') ? item.mid(1) : item);
    }
    return plain.join(QStringLiteral(", "));
}
