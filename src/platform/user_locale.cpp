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
