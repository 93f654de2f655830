// The series the program knows, their published values as the build took
// them from data/insee, and which series a user's table holds.

#include "engine/index_series.h"

#include "engine/number_text.h"
#include "platform/file_io.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

TEST(IndexSeries, PublishedValuesAreTheShippedFiles) {
    for (const IndexSeriesInfo &info : KnownIndexSeries()) {
        SCOPED_TRACE(info.shortName.toStdString());
        IndexTable shipped;
        ASSERT_EQ(shipped.ReadIndexFile(QDir(QStringLiteral(CALVOR_INDEX_DIR))
                                            .filePath(info.shortName + QStringLiteral(".txt"))),
                  ReadStatus::Ok);
        EXPECT_EQ(PublishedValues(info.series).Values(), shipped.Values());
        EXPECT_EQ(SeriesFromShortName(info.shortName.toLower()), info.series);
    }
    EXPECT_EQ(SeriesFromShortName(QStringLiteral("IRLX")), std::nullopt);
}

// A table is a series when at least 8 of its quarters are published ones,
// at least 95 % of them equal to the hundredth.
TEST(IndexSeries, ATableIsTheSeriesItMostlyEquals) {
    ReadDecimalSeparator(TestLocale::French());
    const IndexTable &irl = PublishedValues(IndexSeries::Irl);
    const int last = LastPublishedPosition(IndexSeries::Irl);
    // The IRL's last `kept` quarters (0: all), `count` of them (every other
    // one from the last back) `delta` more.
    const auto irlWith = [&](int count, float delta, int kept = 0) {
        IndexTable t;
        for (int p = kept == 0 ? 0 : last - kept + 1; p <= last; ++p)
            t.Set(p, irl.At(p) + (p > last - 2 * count && (last - p) % 2 == 0 ? delta : 0.0f));
        return t;
    };
    const struct {
        const char *name;
        IndexTable table;
        std::optional<IndexSeries> series;
        int compared, differing;
    } cases[] = {
        {"the shipped IRL", irl, IndexSeries::Irl, 95, 0},
        {"the shipped ICC", PublishedValues(IndexSeries::Icc), IndexSeries::Icc, 110, 0},
        {"4 of 95 differ (95.8 % equal)", irlWith(4, 0.01f), IndexSeries::Irl, 95, 4},
        {"5 of 95 differ (94.7 % equal)", irlWith(5, 0.01f), std::nullopt, 0, 0},
        {"8 quarters", irlWith(0, 0.0f, 8), IndexSeries::Irl, 8, 0},
        {"7 quarters", irlWith(0, 0.0f, 7), std::nullopt, 0, 0},
        {"a value at 3 decimals rounds as written", irlWith(1, 0.004f), IndexSeries::Irl, 95, 0},
        {"empty", IndexTable(), std::nullopt, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const SeriesIdentification id = IdentifyIndexSeries(c.table);
        EXPECT_EQ(id.series, c.series);
        EXPECT_EQ(id.compared, c.compared);
        EXPECT_EQ(id.differing, c.differing);
    }
}

} // namespace
