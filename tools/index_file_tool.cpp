// Build tool: writes the index file of one published INSEE series with the
// program's own writer, so that the shipped files are exactly what the
// program itself would write for those values; or the C++ source of the
// published values the program compiles in, from the same files by the same
// checks.
//
//   calvor_index_file SERIES.csv INDEX.txt
//   calvor_index_file --source OUT.cpp Irl=IRL.csv Ilc=ILC.csv ...
//
// In the second form each argument names an IndexSeries enumerator and its
// CSV; the source defines PublishedQuarters (published_quarters.h).
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
#include <map>
#include <set>

namespace {

int Fail(const QString &csv, int line, const char *what) {
    std::fprintf(stderr, "%s:%d: %s\n", qPrintable(csv), line, what);
    return 1;
}

// Fills `table` from the CSV's rows, and `rows` with each row's position
// and value as read; 0 on success, else the exit status.
int ReadSeries(const QString &csv, const QByteArray &text, IndexTable &table,
               std::map<int, double> &rows) {
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
        rows[position] = value;
    }
    if (seen.empty())
        return Fail(csv, 1, "the series holds no value");
    return 0;
}

// Reads and checks one CSV; 0 on success, else the exit status.
int ReadCsv(const QString &csv, IndexTable &table, std::map<int, double> &rows) {
    const ReadResult read = ReadWholeFile(csv);
    if (read.status != ReadStatus::Ok)
        return Fail(csv, 0, "cannot be read");
    return ReadSeries(csv, read.bytes, table, rows);
}

// The C++ source of the published values: one array of (position, value)
// per series, the values printed so that they read back as the same double.
int WriteSource(const QString &output, int count, char *series[]) {
    QByteArray out = "// Written at build time by calvor_index_file from data/insee/*.csv.\n"
                     "#include \"engine/published_quarters.h\"\n\n"
                     "namespace {\n";
    QByteArray cases;
    for (int i = 0; i < count; ++i) {
        const QByteArray argument(series[i]);
        const qsizetype equals = argument.indexOf('=');
        if (equals <= 0)
            return Fail(QString::fromLocal8Bit(argument), 0, "expected Enumerator=SERIES.csv");
        const QByteArray name = argument.left(equals);
        const QString csv = QString::fromLocal8Bit(argument.mid(equals + 1));
        IndexTable table;
        std::map<int, double> rows;
        if (const int status = ReadCsv(csv, table, rows); status != 0)
            return status;
        out += "constexpr PublishedQuarter k" + name + "[] = {\n";
        for (const auto &[position, value] : rows) {
            char number[64];
            std::snprintf(number, sizeof number, "%.17g", value);
            out += "    {" + QByteArray::number(position) + ", " + number + "},\n";
        }
        out += "};\n";
        cases += "    case IndexSeries::" + name + ":\n        return k" + name + ";\n";
    }
    out += "} // namespace\n\n"
           "std::span<const PublishedQuarter> PublishedQuarters(IndexSeries series) {\n"
           "    switch (series) {\n" +
           cases + "    }\n    return {};\n}\n";
    if (WriteWholeFile(output, out) != WriteStatus::Ok)
        return Fail(output, 0, "cannot be written");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc >= 4 && QByteArrayView(argv[1]) == "--source")
        return WriteSource(QString::fromLocal8Bit(argv[2]), argc - 3, argv + 3);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SERIES.csv INDEX.txt\n", argv[0]);
        std::fprintf(stderr, "       %s --source OUT.cpp Enumerator=SERIES.csv...\n", argv[0]);
        return 2;
    }
    const QString csv = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    IndexTable table;
    std::map<int, double> rows;
    if (const int status = ReadCsv(csv, table, rows); status != 0)
        return status;
    // A build output: written as the program writes the file, without the
    // backup the program keeps of a user's file.
    if (WriteWholeFile(output, table.IndexFileText()) != WriteStatus::Ok)
        return Fail(output, 0, "cannot be written");
    return 0;
}
