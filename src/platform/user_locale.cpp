#include "platform/user_locale.h"

#include "platform/date_picture.h"

UserLocale UserLocale::FromQLocale(const QLocale &locale) {
    UserLocale u;
    u.decimalSeparator = locale.decimalPoint();
    u.currencySymbol = locale.currencySymbol(QLocale::CurrencySymbol);
    for (int m = 1; m <= 12; ++m)
        u.monthNames.append(locale.monthName(m, QLocale::LongFormat));
    // Many locales' short pattern has a two-digit year (07.12.26); the
    // report's dates span decades, so they are written with four.
    u.shortDatePattern = WithFourDigitYears(locale.dateFormat(QLocale::ShortFormat));
    return u;
}

UserLocale UserLocale::System() {
    return FromQLocale(QLocale::system());
}

UserLocale UserLocale::French() {
    return {QStringLiteral(","),
            QStringLiteral("€"),
            {QStringLiteral("janvier"), QStringLiteral("février"), QStringLiteral("mars"),
             QStringLiteral("avril"), QStringLiteral("mai"), QStringLiteral("juin"),
             QStringLiteral("juillet"), QStringLiteral("août"), QStringLiteral("septembre"),
             QStringLiteral("octobre"), QStringLiteral("novembre"), QStringLiteral("décembre")},
            QStringLiteral("dd/MM/yyyy")};
}

UserLocale UserLocale::English() {
    return {QStringLiteral("."),
            QStringLiteral("$"),
            {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
             QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
             QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
             QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")},
            QStringLiteral("M/d/yyyy")};
}

UserLocale UserLocale::German() {
    return {QStringLiteral(","),
            QStringLiteral("€"),
            {QStringLiteral("Januar"), QStringLiteral("Februar"), QStringLiteral("März"),
             QStringLiteral("April"), QStringLiteral("Mai"), QStringLiteral("Juni"),
             QStringLiteral("Juli"), QStringLiteral("August"), QStringLiteral("September"),
             QStringLiteral("Oktober"), QStringLiteral("November"), QStringLiteral("Dezember")},
            QStringLiteral("dd.MM.yyyy")};
}
