#include "platform/date_picture.h"
#include "platform/user_locale.h"

#include <gtest/gtest.h>

namespace {

TEST(UserLocale, ShortDatesAreWrittenWithFourDigitYears) {
    struct Case {
        const char16_t *picture;
        const char16_t *result;
    };
    const Case cases[] = {
        {u"dd.MM.yy", u"dd.MM.yyyy"},   {u"dd/MM/yyyy", u"dd/MM/yyyy"},   {u"y-M-d", u"yyyy-M-d"},
        {u"d 'yy' yy", u"d 'yy' yyyy"}, {u"'it''s' yy", u"'it''s' yyyy"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(WithFourDigitYears(QStringView(c.picture)), QString::fromUtf16(c.result))
            << QString::fromUtf16(c.picture).toStdString();
    }
    // As read from the locales: French keeps its pattern.
    const struct {
        const char *locale;
        const char16_t *pattern;
    } locales[] = {{"fr_FR", u"dd/MM/yyyy"}, {"de_DE", u"dd.MM.yyyy"}, {"en_US", u"M/d/yyyy"}};
    for (const auto &l : locales) {
        EXPECT_EQ(UserLocale::FromQLocale(QLocale(QLatin1String(l.locale))).shortDatePattern,
                  QString::fromUtf16(l.pattern))
            << l.locale;
    }
}

} // namespace
