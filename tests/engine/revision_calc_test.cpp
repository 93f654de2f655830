#include "engine/revision_calc.h"

#include "platform/string_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

static void PrintTo(const PackedDate &d, std::ostream *os) {
    *os << d.Day() << '/' << d.Month() << '/' << d.Year();
}

namespace {

PackedDate D(unsigned day, unsigned month, unsigned year) {
    return PackedDate::FromParts(day, month, year);
}

PackedDate Quarter(unsigned quarter, unsigned year) {
    PackedDate d;
    d.MakeQuarterDate(quarter, year);
    return d;
}

// Every quarter has its own non-zero index: 100 + its position.
IndexTable DistinctIndices() {
    IndexTable t;
    for (int p = 0; p < IndexTable::kSize; ++p)
        t.Set(p, static_cast<float>(100 + p));
    return t;
}

CalcDocument Doc(PackedDate first, PackedDate last, PackedDate reference, double rent = 1000.0) {
    CalcDocument doc;
    doc.signature = D(1, 1, 1990);
    doc.firstRevision = first;
    doc.lastRevision = last;
    doc.referenceDate = reference;
    doc.rent = rent;
    return doc;
}

std::vector<PackedDate> Dates(const RevisionOutcome &outcome) {
    std::vector<PackedDate> dates;
    for (const RevisionRow &row : outcome.rows)
        dates.push_back(row.date);
    return dates;
}

TEST(CheckAndWalk, RevisionDatesFollowTheFirstAndEndOnTheLast) {
    struct Case {
        const char *name;
        PackedDate first;
        PackedDate last;
        std::vector<PackedDate> dates;
    };
    const Case cases[] = {
        {"last row carries the last date",
         D(15, 3, 2001),
         D(10, 6, 2005),
         {D(15, 3, 2001), D(15, 3, 2002), D(15, 3, 2003), D(15, 3, 2004), D(10, 6, 2005)}},
        {"January keeps 31 days",
         D(31, 1, 2001),
         D(31, 1, 2004),
         {D(31, 1, 2001), D(31, 1, 2002), D(31, 1, 2003), D(31, 1, 2004)}},
        {"29 February falls back and comes back",
         D(29, 2, 2004),
         D(1, 3, 2009),
         {D(29, 2, 2004), D(28, 2, 2005), D(28, 2, 2006), D(28, 2, 2007), D(29, 2, 2008),
          D(1, 3, 2009)}},
        {"2100 counts as a leap year",
         D(29, 2, 2096),
         D(1, 1, 2101),
         {D(29, 2, 2096), D(28, 2, 2097), D(28, 2, 2098), D(28, 2, 2099), D(29, 2, 2100),
          D(1, 1, 2101)}},
        {"same day: one row", D(10, 6, 2005), D(10, 6, 2005), {D(10, 6, 2005)}},
        {"same year: one row, the first date", D(10, 2, 2005), D(20, 11, 2005), {D(10, 2, 2005)}},
        {"earliest accepted start", D(1, 4, 1970), D(1, 4, 1971), {D(1, 4, 1970), D(1, 4, 1971)}},
    };
    const IndexTable indices = DistinctIndices();
    for (const Case &c : cases) {
        const RevisionOutcome out = CheckAndWalk(Doc(c.first, c.last, Quarter(1, 1970)), indices);
        EXPECT_EQ(out.refusal, 0u) << c.name;
        EXPECT_FALSE(out.stoppedAtZeroIndex) << c.name;
        EXPECT_EQ(Dates(out), c.dates) << c.name;
    }
}

TEST(CheckAndWalk, RowsUseTheReferenceQuarterOfTheFollowingYears) {
    const IndexTable indices = DistinctIndices();
    const RevisionOutcome out =
        CheckAndWalk(Doc(D(15, 3, 2001), D(10, 6, 2005), Quarter(1, 2000)), indices);
    ASSERT_EQ(out.rows.size(), 5u);
    EXPECT_EQ(out.referenceValue, indices.At(IndexTable::PositionOf(2000, 1)));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(out.rows[static_cast<std::size_t>(i)].index,
                  indices.At(IndexTable::PositionOf(2001 + i, 1)))
            << i;
    }
}

TEST(CheckAndWalk, RentsChainFromTheUnroundedPreviousRent) {
    IndexTable indices;
    indices.Set(IndexTable::PositionOf(2000, 0), 100.0f);
    indices.Set(IndexTable::PositionOf(2001, 0), 110.0f);
    indices.Set(IndexTable::PositionOf(2002, 0), 121.0f);
    indices.Set(IndexTable::PositionOf(2003, 0), 107.0f);
    const RevisionOutcome out =
        CheckAndWalk(Doc(D(1, 5, 2001), D(1, 5, 2003), Quarter(0, 2000), 500.0), indices);
    ASSERT_EQ(out.rows.size(), 3u);
    EXPECT_EQ(out.rows[0].rent, 550.0);
    EXPECT_EQ(out.rows[1].rent, 605.0);
    EXPECT_EQ(out.rows[2].rent, (107.0 * 605.0) / 121.0); // not rounded to cents

    // A negative rent is accepted and revised like any other.
    const RevisionOutcome negative =
        CheckAndWalk(Doc(D(1, 5, 2001), D(1, 5, 2001), Quarter(0, 2000), -500.0), indices);
    ASSERT_EQ(negative.rows.size(), 1u);
    EXPECT_EQ(negative.rows[0].rent, -550.0);
}

TEST(CheckAndWalk, RefusalsComeInTheirOrder) {
    const IndexTable indices = DistinctIndices();
    const CalcDocument good = Doc(D(1, 5, 2001), D(1, 5, 2003), Quarter(0, 2000));
    using Change = void (*)(CalcDocument &);
    struct Case {
        const char *name;
        Change change;
        unsigned refusal;
        const char16_t *dateName;
    };
    const Case cases[] = {
        {"empty lease date before zero rent",
         [](CalcDocument &d) {
             d.signature = PackedDate();
             d.rent = 0.0;
         },
         IDS_BAD_DATE, u"de signature du bail"},
        {"empty first revision", [](CalcDocument &d) { d.firstRevision = PackedDate(); },
         IDS_BAD_DATE, u"de début de calcul"},
        {"empty last revision", [](CalcDocument &d) { d.lastRevision = PackedDate(0xF0000000u); },
         IDS_BAD_DATE, u"de fin de calcul"},
        {"empty reference", [](CalcDocument &d) { d.referenceDate = {}; }, IDS_BAD_DATE,
         u"de l'indice de référence"},
        {"zero rent", [](CalcDocument &d) { d.rent = 0.0; }, IDS_NO_RENT, u""},
        {"negative zero rent", [](CalcDocument &d) { d.rent = -0.0; }, IDS_NO_RENT, u""},
        {"start a day after the end",
         [](CalcDocument &d) {
             d.firstRevision = D(2, 5, 2003);
             d.lastRevision = D(1, 5, 2003);
         },
         IDS_START_AFTER_END, u""},
        {"start in the first quarter of 1970",
         [](CalcDocument &d) { d.firstRevision = D(31, 3, 1970); }, IDS_START_IN_FIRST_QUARTER_1970,
         u""},
        // Documents the data dialog never makes, opened from a file.
        {"reference before the table", [](CalcDocument &d) { d.referenceDate = Quarter(0, 1969); },
         IDS_BAD_DATE, u"de l'indice de référence"},
        {"reference beyond the table", [](CalcDocument &d) { d.referenceDate = Quarter(0, 2107); },
         IDS_BAD_DATE, u"de l'indice de référence"},
        {"every bit set", [](CalcDocument &d) { d.firstRevision = PackedDate(0xFFFFFFFFu); },
         IDS_BAD_DATE, u"de début de calcul"},
        {"day 0", [](CalcDocument &d) { d.signature = D(0, 3, 2001); }, IDS_BAD_DATE,
         u"de signature du bail"},
        {"31 February", [](CalcDocument &d) { d.lastRevision = D(31, 2, 2003); }, IDS_BAD_DATE,
         u"de fin de calcul"},
        {"31 April, once walked as it is",
         [](CalcDocument &d) { d.firstRevision = D(31, 4, 2001); }, IDS_BAD_DATE,
         u"de début de calcul"},
        {"reference month 13", [](CalcDocument &d) { d.referenceDate = D(1, 13, 2000); },
         IDS_BAD_DATE, u"de l'indice de référence"},
        {"reference on no quarter's first day",
         [](CalcDocument &d) { d.referenceDate = D(2, 4, 2000); }, IDS_BAD_DATE,
         u"de l'indice de référence"},
        {"reference in a quarter's second month",
         [](CalcDocument &d) { d.referenceDate = D(1, 5, 2000); }, IDS_BAD_DATE,
         u"de l'indice de référence"},
        {"rent not a number", [](CalcDocument &d) { d.rent = std::nan(""); }, IDS_NO_RENT, u""},
        {"infinite rent", [](CalcDocument &d) { d.rent = -HUGE_VAL; }, IDS_NO_RENT, u""},
    };
    for (const Case &c : cases) {
        CalcDocument doc = good;
        c.change(doc);
        const RevisionOutcome out = CheckAndWalk(doc, indices);
        EXPECT_EQ(out.refusal, c.refusal) << c.name;
        EXPECT_EQ(out.badDateName, QString::fromUtf16(c.dateName)) << c.name;
        EXPECT_TRUE(out.rows.empty()) << c.name;
    }

    IndexTable noReference = indices;
    noReference.Set(IndexTable::PositionOf(2000, 0), 0.0f);
    EXPECT_EQ(CheckAndWalk(good, noReference).refusal, unsigned{IDS_NO_REFERENCE_INDEX});
}

TEST(CheckAndWalk, ZeroIndexStopsTheWalkAndKeepsTheRows) {
    struct Case {
        const char *name;
        PackedDate reference;
        PackedDate first;
        PackedDate last;
        int zeroPosition; // -1: none set to zero
        std::size_t rows;
        unsigned zeroYear;
    };
    const Case cases[] = {
        {"second row", Quarter(1, 2000), D(15, 3, 2001), D(10, 6, 2005),
         IndexTable::PositionOf(2002, 1), 1, 2002},
        {"first row", Quarter(1, 2000), D(15, 3, 2001), D(10, 6, 2005),
         IndexTable::PositionOf(2001, 1), 0, 2001},
        {"last row, named by the last revision's year", Quarter(1, 2000), D(15, 3, 2001),
         D(10, 6, 2005), IndexTable::PositionOf(2005, 1), 4, 2005},
        // The walk reaches past 2106: positions outside the table read as 0.
        {"past the end of the table", Quarter(3, 2105), D(1, 1, 2105), D(1, 1, 2106), -1, 1, 2106},
        {"reference in the last quarter", Quarter(3, 2106), D(1, 1, 2106), D(1, 1, 2106), -1, 0,
         2106},
    };
    for (const Case &c : cases) {
        IndexTable indices = DistinctIndices();
        if (c.zeroPosition >= 0)
            indices.Set(c.zeroPosition, 0.0f);
        const RevisionOutcome out = CheckAndWalk(Doc(c.first, c.last, c.reference), indices);
        EXPECT_EQ(out.refusal, 0u) << c.name;
        EXPECT_TRUE(out.stoppedAtZeroIndex) << c.name;
        EXPECT_EQ(out.rows.size(), c.rows) << c.name;
        EXPECT_EQ(out.zeroIndexYear, c.zeroYear) << c.name;
    }
}

TEST(CheckAndWalk, FarYearsAreRefusedBeforeTheWalk) {
    // The year field wraps after 16383; such a year never reaches the walk.
    const IndexTable indices = DistinctIndices();
    const RevisionOutcome out =
        CheckAndWalk(Doc(D(1, 4, 1970), D(1, 1, 16383), Quarter(0, 1970)), indices);
    EXPECT_EQ(out.refusal, unsigned{IDS_BAD_DATE});
    EXPECT_TRUE(out.rows.empty());
}

TEST(CheckAndWalk, ReservedBitsOfTheFirstRevisionStayOnEveryRow) {
    const PackedDate first(D(29, 2, 2004).Word() | 0xA0000000u);
    const RevisionOutcome out =
        CheckAndWalk(Doc(first, D(1, 3, 2006), Quarter(0, 2003)), DistinctIndices());
    ASSERT_EQ(out.rows.size(), 3u);
    for (const RevisionRow &row : out.rows)
        EXPECT_EQ(row.date.Reserved(), 0xAu) << row.date.Day();
    EXPECT_EQ(out.rows[1].date.Day(), 28u);
    EXPECT_EQ(out.rows[2].date.Month(), 3u);
}

} // namespace
