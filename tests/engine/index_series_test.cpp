// The series the program knows, their published values as the build took
// them from data/insee, and which series a user's table holds.

#include "engine/index_series.h"

#include "engine/number_text.h"
#include "platform/file_io.h"
#include "support/fakes.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>

#include <functional>

namespace {

TEST(IndexSeries, KnownSeriesAndTheirPublishedValuesAreTheShippedFiles) {
    const struct {
        IndexSeries series;
        const char *name, *idbank;
        int decimals;
    } cases[] = {
        {IndexSeries::Irl, "IRL", "001515333", 2},
        {IndexSeries::Ilc, "ILC", "001532540", 2},
        {IndexSeries::Ilat, "ILAT", "001617112", 2},
        {IndexSeries::Icc, "ICC", "000008630", 0},
    };
    ASSERT_EQ(KnownIndexSeries().size(), 4u);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const IndexSeriesInfo &info = SeriesInfo(c.series);
        EXPECT_EQ(info.series, c.series);
        EXPECT_EQ(info.shortName, QString::fromLatin1(c.name));
        EXPECT_EQ(info.idbank, QString::fromLatin1(c.idbank));
        EXPECT_EQ(info.decimals, c.decimals);
        EXPECT_FALSE(info.title.isEmpty());
        EXPECT_EQ(SeriesFromShortName(QString::fromLatin1(c.name).toLower()), c.series);
        // The values compiled in are those of the index file the build wrote
        // from the same CSV.
        IndexTable shipped;
        ASSERT_EQ(shipped.ReadIndexFile(
                      QDir(QStringLiteral(CALVOR_INDEX_DIR))
                          .filePath(QString::fromLatin1(c.name) + QStringLiteral(".txt"))),
                  ReadStatus::Ok);
        EXPECT_EQ(PublishedValues(c.series).Values(), shipped.Values());
        // Every series ends at 2026 Q2.
        EXPECT_EQ(LastPublishedPosition(c.series), IndexTable::PositionOf(2026, 1));
    }
    EXPECT_EQ(SeriesFromShortName(QStringLiteral("IRLX")), std::nullopt);
    EXPECT_EQ(SeriesFromShortName(QString()), std::nullopt);
}

TEST(IndexSeries, ATableIsTheSeriesItMostlyEquals) {
    ReadDecimalSeparator(TestLocale::French());
    const IndexTable &irl = PublishedValues(IndexSeries::Irl);
    const int last = LastPublishedPosition(IndexSeries::Irl);
    // The last `n` published IRL quarters, the rest 0.
    const auto lastQuarters = [&](int n) {
        IndexTable t;
        for (int p = last - n + 1; p <= last; ++p)
            t.Set(p, irl.At(p));
        return t;
    };
    const auto edited = [](IndexTable t, const std::function<void(IndexTable &)> &edit) {
        edit(t);
        return t;
    };
    const auto typo = [&](int count) {
        return [&irl, last, count](IndexTable &t) {
            for (int i = 0; i < count; ++i)
                t.Set(last - 2 * i, irl.At(last - 2 * i) + 0.01f);
        };
    };
    struct Case {
        const char *name;
        IndexTable table;
        std::optional<IndexSeries> series;
        int compared, differing;
    };
    const int irlCount = static_cast<int>(last - IndexTable::PositionOf(2002, 3) + 1);
    const Case cases[] = {
        {"the shipped IRL", irl, IndexSeries::Irl, irlCount, 0},
        {"the shipped ILC", PublishedValues(IndexSeries::Ilc), IndexSeries::Ilc, 86, 0},
        {"the shipped ILAT", PublishedValues(IndexSeries::Ilat), IndexSeries::Ilat, 86, 0},
        {"the shipped ICC", PublishedValues(IndexSeries::Icc), IndexSeries::Icc, 110, 0},
        {"three typos", edited(irl, typo(3)), IndexSeries::Irl, irlCount, 3},
        {"4 of 95 differ (95.8 % equal)", edited(irl, typo(4)), IndexSeries::Irl, irlCount, 4},
        {"5 of 95 differ (94.7 % equal)", edited(irl, typo(5)), std::nullopt, 0, 0},
        {"8 quarters", lastQuarters(8), IndexSeries::Irl, 8, 0},
        {"7 quarters", lastQuarters(7), std::nullopt, 0, 0},
        {"a value at 3 decimals rounds as written",
         edited(irl, [&](IndexTable &t) { t.Set(last, irl.At(last) + 0.004f); }), IndexSeries::Irl,
         irlCount, 0},
        {"later quarters typed beyond the series",
         edited(irl, [&](IndexTable &t) { t.Set(last + 1, 200.0f); }), IndexSeries::Irl, irlCount,
         0},
        {"empty", IndexTable(), std::nullopt, 0, 0},
        {"the user's own values",
         edited(IndexTable(),
                [](IndexTable &t) {
                    for (int p = 0; p < 200; ++p)
                        t.Set(p, 100.0f + static_cast<float>(p));
                }),
         std::nullopt, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const SeriesIdentification id = IdentifyIndexSeries(c.table);
        EXPECT_EQ(id.series, c.series);
        EXPECT_EQ(id.compared, c.compared);
        EXPECT_EQ(id.differing, c.differing);
        EXPECT_EQ(id.lastPublishedPosition, c.series ? last : -1);
    }
}

} // namespace
