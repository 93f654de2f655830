#include "platform/date_picture.h"

#include <QVarLengthArray>

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

} // namespace

QString FormatDatePicture(int day, int month, int year, QStringView picture,
                          const UserLocale &locale) {
    DateBuffer out;
    qsizetype i = 0;
    while (i < picture.size()) {
        const QChar c = picture[i];
        if (c == u'\'') {
            ++i;
            if (i < picture.size() && picture[i] == u'\'') {
                out.append(QChar(u'\''));
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == u'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                        out.append(QChar(u'\''));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out.append(picture[i]);
                ++i;
            }
            continue;
        }
        qsizetype run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (c == u'd') {
            // Day names (ddd, dddd) are not used by the program; print the day.
            AppendNumber(out, day, run == 1 ? 1 : 2);
        } else if (c == u'M') {
            if (run <= 2)
                AppendNumber(out, month, static_cast<int>(run));
            else
                Append(out, MonthName(month, locale, run == 3));
        } else if (c == u'y') {
            if (run <= 2)
                AppendNumber(out, year % 100, static_cast<int>(run));
            else
                AppendNumber(out, year, 4);
        } else {
            Append(out, picture.mid(i, run));
        }
        i += run;
    }
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
