#include "platform/date_picture.h"

namespace {

QString MonthName(int month, const UserLocale &locale, bool abbreviated)
{
    if (month < 1 || month > 12 || locale.monthNames.size() < month)
        return QString::number(month);
    const QString &name = locale.monthNames.at(month - 1);
    return abbreviated ? name.left(3) : name;
}

QString Padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

QString FormatDatePicture(int day, int month, int year, QStringView picture,
                          const UserLocale &locale)
{
    QString out;
    out.reserve(picture.size() + 16);
    qsizetype i = 0;
    while (i < picture.size()) {
        const QChar c = picture[i];
        if (c == u'\'') {
            ++i;
            if (i < picture.size() && picture[i] == u'\'') {
                out.append(u'\'');
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == u'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                        out.append(u'\'');
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
            out.append(run == 1 ? QString::number(day) : Padded(day, 2));
        } else if (c == u'M') {
            if (run == 1)
                out.append(QString::number(month));
            else if (run == 2)
                out.append(Padded(month, 2));
            else
                out.append(MonthName(month, locale, run == 3));
        } else if (c == u'y') {
            if (run == 1)
                out.append(QString::number(year % 100));
            else if (run == 2)
                out.append(Padded(year % 100, 2));
            else
                out.append(Padded(year, 4));
        } else {
            out.append(QStringView(picture).mid(i, run));
        }
        i += run;
    }
    return out;
}
