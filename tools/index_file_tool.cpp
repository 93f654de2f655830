// Build tool: writes the index file of one published INSEE series with the
// program's own writer, so that the shipped files are exactly what the
// program itself would write for those values.
//
//   calvor_index_file SERIES.csv INDEX.txt
//
// The CSV has the header "year,quarter,value" and one row per published
// quarter (quarter 1 to 4, the value with a decimal point). Quarters it does
// not name stay 0. A malformed or repeated row stops the tool with exit
// status 1, and so the build: no index file is written from doubtful data.

#include "engine/index_table.h"
#include "engine/packed_date.h"
#include "platform/file_io.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdio>
#include <set>

namespace {

int Fail(const QString &csv, int line, const char *what) {
    std::fprintf(stderr, "%s:%d: %s\n", qPrintable(csv), line, what);
    return 1;
}

// Fills `table` from the CSV's rows; 0 on success, else the exit status.
int ReadSeries(const QString &csv, const QByteArray &text, IndexTable &table) {
    const QList<QByteArray> lines = text.split('\n');
    std::set<int> seen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const QByteArray line = lines[i].trimmed();
        if (i == 0) {
            if (line != "year,quarter,value")
                return Fail(csv, number, "the header is not \"year,quarter,value\"");
            continue;
        }
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() != 3)
            return Fail(csv, number, "a row has three fields: year,quarter,value");
        bool yearOk = false;
        bool quarterOk = false;
        bool valueOk = false;
        const int year = fields[0].toInt(&yearOk);
        const int quarter = fields[1].toInt(&quarterOk);
        const double value = fields[2].toDouble(&valueOk);
        if (!yearOk || year < PackedDate::kFirstYear || year > PackedDate::kLastYear)
            return Fail(csv, number, "the year lies outside 1970-2106");
        if (!quarterOk || quarter < 1 || quarter > 4)
            return Fail(csv, number, "the quarter is not 1 to 4");
        if (!valueOk || !std::isfinite(value) || value <= 0.0)
            return Fail(csv, number, "the value is not a positive number");
        const int position = IndexTable::PositionOf(year, quarter - 1);
        if (!seen.insert(position).second)
            return Fail(csv, number, "the quarter is given twice");
        table.Set(position, NarrowIndexValue(value));
    }
    if (seen.empty())
        return Fail(csv, 1, "the series holds no value");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SERIES.csv INDEX.txt\n", argv[0]);
        return 2;
    }
    const QString csv = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const ReadResult read = ReadWholeFile(csv);
    if (read.status != ReadStatus::Ok)
        return Fail(csv, 0, "cannot be read");
    IndexTable table;
    if (const int status = ReadSeries(csv, read.bytes, table); status != 0)
        return status;
    // A build output: written as the program writes the file, without the
    // backup the program keeps of a user's file.
    if (WriteWholeFile(output, table.IndexFileText()) != WriteStatus::Ok)
        return Fail(output, 0, "cannot be written");
    return 0;
}
