#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// What the program asks of the user's regional settings. Filled once at
// start-up.
struct UserLocale {
    QString decimalSeparator; // the user's decimal separator, e.g. ","
    QString currencySymbol;   // e.g. "€"
    QStringList monthNames;   // twelve long month names, January first
    QString shortDatePattern; // picture of the short date, e.g. "dd/MM/yyyy"

    static UserLocale FromQLocale(const QLocale &locale);
    static UserLocale System();
};
