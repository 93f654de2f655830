#include "support/test_locales.h"

namespace TestLocale {

UserLocale French() {
    return {QStringLiteral(","),
            QStringLiteral("€"),
            {QStringLiteral("janvier"), QStringLiteral("février"), QStringLiteral("mars"),
             QStringLiteral("avril"), QStringLiteral("mai"), QStringLiteral("juin"),
             QStringLiteral("juillet"), QStringLiteral("août"), QStringLiteral("septembre"),
             QStringLiteral("octobre"), QStringLiteral("novembre"), QStringLiteral("décembre")},
            QStringLiteral("dd/MM/yyyy")};
}

UserLocale English() {
    return {QStringLiteral("."),
            QStringLiteral("$"),
            {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
             QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
             QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
             QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")},
            QStringLiteral("M/d/yyyy")};
}

UserLocale German() {
    return {QStringLiteral(","),
            QStringLiteral("€"),
            {QStringLiteral("Januar"), QStringLiteral("Februar"), QStringLiteral("März"),
             QStringLiteral("April"), QStringLiteral("Mai"), QStringLiteral("Juni"),
             QStringLiteral("Juli"), QStringLiteral("August"), QStringLiteral("September"),
             QStringLiteral("Oktober"), QStringLiteral("November"), QStringLiteral("Dezember")},
            QStringLiteral("dd.MM.yyyy")};
}

} // namespace TestLocale
