// The index files shipped with the program, as the build wrote them from the
// published INSEE series: read with the program's reader, each holds exactly
// the series' values at their quarters and 0 elsewhere, and is already in
// the canonical form, so that a first start leaves it byte for byte.

#include "engine/index_table.h"
#include "platform/file_io.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QMap>

namespace {

QString CsvPath(const char *series) {
    return QDir(QStringLiteral(CALVOR_INDEX_CSV_DIR))
        .filePath(QString::fromLatin1(series) + QStringLiteral(".csv"));
}

QString IndexPath(const QString &name) {
    return QDir(QStringLiteral(CALVOR_INDEX_DIR)).filePath(name);
}

// The series' rows, read here on their own: position -> value as written.
QMap<int, QByteArray> CsvValues(const char *series) {
    QMap<int, QByteArray> values;
    const QList<QByteArray> lines = ReadFileBytes(CsvPath(series)).trimmed().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].trimmed().split(',');
        if (f.size() == 3)
            values.insert(IndexTable::PositionOf(f[0].toInt(), f[1].toInt() - 1), f[2]);
    }
    return values;
}

TEST(ShippedIndices, EachFileHoldsExactlyItsSeriesInCanonicalForm) {
    // The published span of each series, quarter after quarter without a gap.
    const struct {
        const char *series;
        int firstYear, firstQuarter, lastYear, lastQuarter;
    } cases[] = {
        {"IRL", 2002, 4, 2026, 2},
        {"ICC", 1999, 1, 2026, 2},
        {"ILC", 2005, 1, 2026, 2},
        {"ILAT", 2005, 1, 2026, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.series);
        const QMap<int, QByteArray> csv = CsvValues(c.series);
        const int first = IndexTable::PositionOf(c.firstYear, c.firstQuarter - 1);
        const int last = IndexTable::PositionOf(c.lastYear, c.lastQuarter - 1);
        ASSERT_EQ(csv.size(), last - first + 1);
        EXPECT_EQ(csv.firstKey(), first);
        EXPECT_EQ(csv.lastKey(), last);

        const QString path = IndexPath(QString::fromLatin1(c.series) + QStringLiteral(".txt"));
        IndexTable table;
        ASSERT_EQ(table.ReadIndexFile(path), ReadStatus::Ok);
        const QByteArray bytes = ReadFileBytes(path);
        const QList<QByteArray> lines = bytes.split('\n');
        ASSERT_EQ(lines.size(), 2 + IndexTable::kSize + 1);
        for (int position = 0; position < IndexTable::kSize; ++position) {
            const QByteArray published = csv.value(position, "0.00");
            const QByteArray field = lines[2 + position].left(8).trimmed();
            EXPECT_EQ(table.At(position), published.toFloat()) << position;
            EXPECT_EQ(field, QByteArray(published).replace('.', ',')) << position;
        }
        IndexTable reread;
        reread.ReadIndexText(bytes);
        EXPECT_EQ(reread.IndexFileText(), bytes);
    }
    // The default index file is the IRL.
    EXPECT_EQ(ReadFileBytes(IndexPath(QStringLiteral("Indices.txt"))),
              ReadFileBytes(IndexPath(QStringLiteral("IRL.txt"))));
}

} // namespace
