#include "engine/packed_date.h"

#include "platform/clock.h"
#include "platform/user_locale.h"
#include "support/fakes.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const PackedDate &d, std::ostream *os) {
    *os << d.Day() << '/' << d.Month() << '/' << d.Year() << " reserved " << d.Reserved();
}

namespace {

PackedDate D(unsigned day, unsigned month, unsigned year) {
    return PackedDate::FromParts(day, month, year);
}

PackedDate WithReserved(PackedDate d, unsigned reserved) {
    return PackedDate((d.Word() & 0x0FFFFFFFu) | (reserved << 28));
}

TEST(PackedDate, FieldsSitInTheirBits) {
    const PackedDate d = D(15, 7, 2001);
    EXPECT_EQ(d.Word(), 15u | (7u << 7) | (2001u << 14));
    EXPECT_EQ(d.Reserved(), 0u);

    // Wider values are cut to their fields; the reserved bits are kept.
    PackedDate r(0xB0000000u);
    r.SetParts(128 + 5, 128 + 6, 16384 + 1999);
    EXPECT_EQ(r.Day(), 5u);
    EXPECT_EQ(r.Month(), 6u);
    EXPECT_EQ(r.Year(), 1999u);
    EXPECT_EQ(r.Reserved(), 0xBu);

    r.MakeQuarterDate(2, 2010);
    EXPECT_EQ(r, WithReserved(D(1, 7, 2010), 0xB));
}

TEST(PackedDate, ValidateChecksDayThenMonthThenYear) {
    struct Case {
        PackedDate date;
        int result;
    };
    const Case cases[] = {
        {D(29, 2, 2004), PackedDate::DateOk},
        {D(29, 2, 2100), PackedDate::DateOk}, // 2100 counts as a leap year
        {D(29, 2, 2001), PackedDate::BadDay},
        {D(29, 2, 1900), PackedDate::BadYear}, // the day passes, 1900 being divisible by 4
        {D(31, 4, 2001), PackedDate::BadDay},
        {D(0, 5, 2001), PackedDate::BadDay},
        {D(15, 13, 2001), PackedDate::BadMonth},
        {D(15, 0, 2001), PackedDate::BadMonth},
        {D(31, 13, 2001), PackedDate::BadDay}, // month 13 has 30 days
        {D(30, 13, 2001), PackedDate::BadMonth},
        {D(31, 14, 2001), PackedDate::BadMonth}, // month 14 has 31
        {D(31, 0, 2001), PackedDate::BadDay},
        {D(15, 5, 1969), PackedDate::BadYear},
        {D(1, 1, 2107), PackedDate::BadYear},
        {D(1, 1, 1970), PackedDate::DateOk},
        {D(31, 12, 2106), PackedDate::DateOk},
        {PackedDate(), PackedDate::BadDay},
        {WithReserved(D(31, 12, 2106), 0xF), PackedDate::DateOk},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.date.Validate(), c.result) << ::testing::PrintToString(c.date);
}

TEST(PackedDate, DaysInMonthForEveryMonthNumber) {
    //                            0   1   2   3   4   5   6   7   8   9  10  11  12  13  14
    const unsigned common[15] = {30, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 30, 31};
    const unsigned years[] = {2001, 2004, 2100, 1900, 16383};
    for (const unsigned year : years) {
        for (unsigned month = 0; month <= 14; ++month) {
            unsigned expected = common[month];
            if (month == 2 && year % 4 == 0)
                expected = 29;
            EXPECT_EQ(DaysInMonth(month, year), expected) << month << "/" << year;
        }
    }
}

TEST(PackedDate, EmptyMeansNoDayMonthOrYear) {
    struct Case {
        PackedDate date;
        bool empty;
    };
    const Case cases[] = {
        {PackedDate(), true}, {PackedDate(0xF0000000u), true}, {D(1, 0, 0), false},
        {D(0, 1, 0), false},  {D(0, 0, 1970), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.date.IsEmpty(), c.empty) << ::testing::PrintToString(c.date);
}

TEST(PackedDate, CalendarOrderIgnoresReservedBits) {
    struct Case {
        PackedDate a;
        PackedDate b;
        bool earlier;
        bool later;
    };
    const Case cases[] = {
        {D(31, 12, 2000), D(1, 1, 2001), true, false},
        {D(1, 2, 2001), D(31, 1, 2001), false, true},
        {D(14, 6, 2001), D(15, 6, 2001), true, false},
        {D(15, 6, 2001), D(15, 6, 2001), false, false},
        {WithReserved(D(15, 6, 2001), 0x5), WithReserved(D(15, 6, 2001), 0xA), false, false},
        {WithReserved(D(14, 6, 2001), 0xF), D(15, 6, 2001), true, false},
        {D(1, 13, 2001), D(31, 12, 2001), false, true}, // fields compared as stored
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.a.IsEarlierThan(c.b), c.earlier) << ::testing::PrintToString(c.a);
        EXPECT_EQ(c.a.IsLaterThan(c.b), c.later) << ::testing::PrintToString(c.a);
        EXPECT_EQ(c.b.IsEarlierThan(c.a), c.later) << ::testing::PrintToString(c.a);
    }
}

TEST(PackedDate, ReadFromEditsCutsAndKeepsReservedBits) {
    struct Case {
        const char *day;
        const char *month;
        const char *year;
        PackedDate expected;
    };
    const Case cases[] = {
        {"15", "07", "2001", D(15, 7, 2001)}, {"", "", "", PackedDate()},
        {"x", "7", "2001", D(0, 7, 2001)},    {" 3 ", "4", "1999", D(3, 4, 1999)},
        {"1", "1", "20000", D(1, 1, 3616)},   {"-1", "1", "2001", D(127, 1, 2001)},
        {"1.5", "1", "2001", D(0, 1, 2001)},
    };
    for (const Case &c : cases) {
        FakeDialogItems items;
        items.texts[1123] = QString::fromUtf8(c.day);
        items.texts[1124] = QString::fromUtf8(c.month);
        items.texts[1125] = QString::fromUtf8(c.year);
        PackedDate d(0x30000000u);
        d.ReadFromEdits(items, 1123);
        EXPECT_EQ(d, WithReserved(c.expected, 0x3)) << c.day << "/" << c.month << "/" << c.year;
    }
}

TEST(PackedDate, WriteToEditsOnlyForCompleteDates) {
    struct Case {
        PackedDate date;
        const char16_t *day; // nullptr: the controls are left alone
        const char16_t *month;
        const char16_t *year;
    };
    const Case cases[] = {
        {D(5, 3, 2001), u"05", u"03", u"2001"},     {D(31, 12, 801), u"31", u"12", u"0801"},
        {D(5, 0, 2001), nullptr, nullptr, nullptr}, {D(0, 3, 2001), nullptr, nullptr, nullptr},
        {D(5, 3, 0), nullptr, nullptr, nullptr},
    };
    for (const Case &c : cases) {
        FakeDialogItems items;
        items.texts[1126] = QStringLiteral("a");
        items.texts[1127] = QStringLiteral("b");
        items.texts[1128] = QStringLiteral("c");
        c.date.WriteToEdits(items, 1126);
        if (c.day == nullptr) {
            EXPECT_TRUE(items.setOrder.empty()) << ::testing::PrintToString(c.date);
            EXPECT_EQ(items.texts.value(1126), QStringLiteral("a"));
            continue;
        }
        EXPECT_EQ(items.setOrder, (std::vector<int>{1126, 1127, 1128}));
        EXPECT_EQ(items.texts.value(1126), QString::fromUtf16(c.day));
        EXPECT_EQ(items.texts.value(1127), QString::fromUtf16(c.month));
        EXPECT_EQ(items.texts.value(1128), QString::fromUtf16(c.year));
    }
}

TEST(PackedDate, BrokenDownTimeAndTodayKeepTheReservedBitsWithoutNormalising) {
    const PackedDate source = WithReserved(D(31, 2, 2005), 0x1);
    const std::tm tm = source.ToTm();
    EXPECT_EQ(tm.tm_mday, 31);
    EXPECT_EQ(tm.tm_mon, 1);
    EXPECT_EQ(tm.tm_year, 105);
    EXPECT_EQ(tm.tm_hour + tm.tm_min + tm.tm_sec + tm.tm_wday + tm.tm_yday, 0);
    EXPECT_EQ(tm.tm_isdst, -1);

    PackedDate target = WithReserved(D(1, 1, 1990), 0xC);
    target.AssignDate(source);
    EXPECT_EQ(target, WithReserved(D(31, 2, 2005), 0xC)); // not 3 March; own reserved bits

    std::tm wide{};
    wide.tm_mday = 200;
    wide.tm_mon = 12;
    wide.tm_year = 20000 - 1900;
    target.FromTm(wide);
    EXPECT_EQ(target, WithReserved(D(200 - 128, 13, 3616), 0xC));

    target.SetToday(FixedClock({2026, 12, 7}));
    EXPECT_EQ(target, WithReserved(D(7, 12, 2026), 0xC));
}

TEST(PackedDate, FormatWithPictureUsesTheLocalesMonthNames) {
    struct Case {
        PackedDate date;
        UserLocale locale;
        const char16_t *picture;
        const char16_t *text;
    };
    const UserLocale fr = TestLocale::French();
    const UserLocale en = TestLocale::English();
    const UserLocale de = TestLocale::German();
    const Case cases[] = {
        {D(15, 7, 2001), fr, u"d MMMM yyyy", u"15 juillet 2001"},
        {D(1, 7, 1999), fr, u" MMMM yyyy", u" juillet 1999"},
        {D(29, 2, 2100), fr, u"d MMMM yyyy", u"29 février 2100"},
        {D(29, 2, 2100), en, u"d MMMM yyyy", u"29 February 2100"},
        {D(7, 12, 2026), fr, u"dd/MM/yyyy", u"07/12/2026"},
        {D(7, 12, 2026), en, u"M/d/yy", u"12/7/26"},
        {D(7, 12, 2026), de, u"dd.MM.yy", u"07.12.26"},
        {D(7, 12, 2026), fr, u"d 'de' MMM", u"7 de déc"},
        {D(7, 12, 2026), fr, u"'d''M'", u"d'M"},
        {D(5, 13, 2001), fr, u"d MMMM yyyy", u"5 13 2001"}, // no name for month 13
        {D(5, 1, 801), fr, u"dd/MM/yyyy", u"05/01/0801"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.date.FormatWithPicture(QStringView(c.picture), c.locale),
                  QString::fromUtf16(c.text))
            << QString::fromUtf16(c.text).toStdString();
    }
    EXPECT_EQ(D(7, 12, 2026).FormatForLocale(fr), QStringLiteral("07/12/2026"));
    EXPECT_EQ(D(7, 12, 2026).FormatForLocale(en), QStringLiteral("12/7/2026"));

    // At most 63 characters.
    const QString longPicture(70, u'x');
    EXPECT_EQ(D(7, 12, 2026).FormatWithPicture(longPicture, fr), QString(63, u'x'));
}

} // namespace
