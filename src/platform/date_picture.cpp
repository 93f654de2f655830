#include "platform/date_picture.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>

namespace {

// The text is gathered here and made a string once: the report formats a
// date on every row.
using DateBuffer = QVarLengthArray<QChar, 64>;

void Append(DateBuffer &out, QStringView text) {
    out.append(text.data(), text.size());
}

QString MonthName(int month, const UserLocale &locale, bool abbreviated) {
    if (month < 1 || month > 12 || locale.monthNames.size() < month)
        return QString::number(month);
    const QString &name = locale.monthNames.at(month - 1);
    return abbreviated ? name.left(3) : name;
}

// Appends a number in decimal, padded with zeros after its sign to `width`
// characters.
void AppendNumber(DateBuffer &out, int value, int width) {
    char16_t digits[12];
    int count = 0;
    unsigned rest = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0)
        out.append(QChar(u'-'));
    for (int i = count + (value < 0 ? 1 : 0); i < width; ++i)
        out.append(QChar(u'0'));
    while (count > 0)
        out.append(QChar(digits[--count]));
}

// Reads a date picture: quoted text (a doubled quote standing for one quote)
// and characters other than d, M and y are literal text, given to
// `literal`; each run of d, M or y is given to `field` with its length.
template<class Literal, class Field>
void ReadDatePicture(QStringView picture, Literal literal, Field field) {
    qsizetype i = 0;
    while (i < picture.size()) {
        const QChar c = picture[i];
        if (c == u'\'') {
            ++i;
            if (i < picture.size() && picture[i] == u'\'') {
                literal(picture.mid(i, 1));
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == u'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                        literal(picture.mid(i, 1));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(picture.mid(i, 1));
                ++i;
            }
            continue;
        }
        qsizetype run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (c == u'd' || c == u'M' || c == u'y')
            field(c, run);
        else
            literal(picture.mid(i, run));
        i += run;
    }
}

} // namespace

QString FormatDatePicture(int day, int month, int year, QStringView picture,
                          const UserLocale &locale) {
    DateBuffer out;
    ReadDatePicture(
        picture, [&](QStringView text) { Append(out, text); },
        [&](QChar c, qsizetype run) {
            if (c == u'd') {
                // Day names (ddd, dddd) are not used by the program; print the day.
                AppendNumber(out, day, run == 1 ? 1 : 2);
            } else if (c == u'M') {
                if (run <= 2)
                    AppendNumber(out, month, static_cast<int>(run));
                else
                    Append(out, MonthName(month, locale, run == 3));
            } else if (run <= 2) {
                AppendNumber(out, year % 100, static_cast<int>(run));
            } else {
                AppendNumber(out, year, 4);
            }
        });
    return QString(out.constData(), out.size());
}

QString WithFourDigitYears(QStringView picture) {
    QString out;
    out.reserve(picture.size() + 2);
    bool quoted = false;
    qsizetype i = 0;
    while (i < picture.size()) {
        const QChar c = picture[i];
        // A doubled quote inside or outside a quoted text toggles twice,
        // which leaves the state as it was: both forms are copied as they are.
        if (c == u'\'') {
            quoted = !quoted;
            out.append(c);
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (!quoted && c == u'y' && run <= 2)
            out.append(QStringLiteral("yyyy"));
        else
            out.append(picture.mid(i, run));
        i += run;
    }
    return out;
}

CompiledDatePicture::CompiledDatePicture(QStringView picture, const UserLocale &locale,
                                         Encoder encode) {
    qsizetype longestName = 0;
    // A month without a name is written as its number; a number has at most
    // 11 characters, none of which is escaped.
    constexpr qsizetype kNumberBytes = 11;

    // The same reading of the picture as FormatDatePicture's.
    QString literal;
    auto flush = [&] {
        if (literal.isEmpty())
            return;
        Piece piece;
        piece.bytes = encode(literal);
        piece.characters = literal.size();
        m_maxBytes += piece.bytes.size();
        m_pieces.push_back(std::move(piece));
        literal.clear();
    };
    auto field = [&](Kind kind, int width, bool abbreviated = false) {
        flush();
        Piece piece;
        piece.kind = kind;
        piece.width = width;
        piece.abbreviated = abbreviated;
        m_maxBytes +=
            kind == Kind::MonthName ? longestName : std::max<qsizetype>(width, kNumberBytes);
        m_pieces.push_back(std::move(piece));
    };
    ReadDatePicture(
        picture, [&](QStringView text) { literal.append(text); },
        [&](QChar c, qsizetype run) {
            if (c == u'd')
                field(Kind::Day, run == 1 ? 1 : 2);
            else if (c == u'M' && run <= 2)
                field(Kind::Month, static_cast<int>(run));
            else if (c == u'M')
                field(Kind::MonthName, 0, run == 3);
            else
                field(Kind::Year, run <= 2 ? static_cast<int>(run) : -4);
        });
    flush();

    // The month names, for a picture that writes them.
    const bool writesNames = std::any_of(m_pieces.begin(), m_pieces.end(),
                                         [](const Piece &p) { return p.kind == Kind::MonthName; });
    if (!writesNames)
        return;
    m_nameCount = static_cast<int>(std::min<qsizetype>(locale.monthNames.size(), 12));
    for (int m = 0; m < m_nameCount; ++m) {
        const QString &name = locale.monthNames.at(m);
        m_names[static_cast<std::size_t>(m)] = {encode(name), name.size()};
        const QString shortName = name.left(3);
        m_shortNames[static_cast<std::size_t>(m)] = {encode(shortName), shortName.size()};
        longestName = std::max(longestName, m_names[static_cast<std::size_t>(m)].bytes.size());
    }
    for (const Piece &piece : m_pieces) {
        if (piece.kind == Kind::MonthName)
            m_maxBytes += std::max(longestName, kNumberBytes);
    }
}

namespace {

// A non-negative number in decimal, padded with zeros to `width` digits;
// the usual one to four digits without a loop.
char *PutNumber(char *out, unsigned value, int width, qsizetype &characters) {
    if (value < 100 && width <= 2) {
        if (value >= 10 || width == 2) {
            out[0] = static_cast<char>('0' + value / 10);
            out[1] = static_cast<char>('0' + value % 10);
            characters += 2;
            return out + 2;
        }
        out[0] = static_cast<char>('0' + value);
        characters += 1;
        return out + 1;
    }
    if (value >= 1000 && value < 10000 && width <= 4) {
        out[0] = static_cast<char>('0' + value / 1000);
        out[1] = static_cast<char>('0' + value / 100 % 10);
        out[2] = static_cast<char>('0' + value / 10 % 10);
        out[3] = static_cast<char>('0' + value % 10);
        characters += 4;
        return out + 4;
    }
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i)
        *out++ = '0';
    characters += std::max(count, width);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

} // namespace

char *CompiledDatePicture::Write(char *out, int day, int month, int year,
                                 qsizetype maxCharacters) const {
    // Negative parts (which no packed date holds) take the general way.
    if (day < 0 || month < 0 || year < 0)
        return nullptr;
    qsizetype characters = 0;
    for (const Piece &piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Literal:
            // Most literals are one separator byte.
            if (piece.bytes.size() == 1)
                *out = piece.bytes.front();
            else
                std::memcpy(out, piece.bytes.constData(),
                            static_cast<std::size_t>(piece.bytes.size()));
            out += piece.bytes.size();
            characters += piece.characters;
            break;
        case Kind::Day:
            out = PutNumber(out, static_cast<unsigned>(day), piece.width, characters);
            break;
        case Kind::Month:
            out = PutNumber(out, static_cast<unsigned>(month), piece.width, characters);
            break;
        case Kind::MonthName:
            if (month >= 1 && month <= m_nameCount) {
                const Name &name =
                    (piece.abbreviated ? m_shortNames
                                       : m_names)[static_cast<std::size_t>(month - 1)];
                std::memcpy(out, name.bytes.constData(),
                            static_cast<std::size_t>(name.bytes.size()));
                out += name.bytes.size();
                characters += name.characters;
            } else {
                out = PutNumber(out, static_cast<unsigned>(month), 0, characters);
            }
            break;
        case Kind::Year:
            out = piece.width < 0
                      ? PutNumber(out, static_cast<unsigned>(year), 4, characters)
                      : PutNumber(out, static_cast<unsigned>(year % 100), piece.width, characters);
            break;
        }
    }
    return characters <= maxCharacters ? out : nullptr;
}
