#pragma once

#include "engine/calc_types.h"
#include "engine/index_table.h"
#include "engine/revision_report.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A scratch folder for the benchmarks that run the program itself: a copy
// of the program beside an index file, settings choosing "Cible" 3 so that
// a run exports nothing, and the environment that points the program at
// them.
struct ProgramFolder {
    QTemporaryDir root;
    QString program;
    QProcessEnvironment env;

    // Copies `binary` in and writes the files; false when anything failed.
    bool Prepare(const QString &binary);
};

// Writes `doc` as a calculation document at `path`.
bool WriteDocument(const QString &path, const CalcDocument &doc);

// 136 revisions, 1971 to 2106, every quarter's index entered, with the
// report's settings in `locale` (whose decimal separator is put in use).
struct LongCalculation {
    explicit LongCalculation(const UserLocale &locale);

    CalcDocument doc;
    IndexTable indices;
    ReportSettings settings;
    PackedDate today = PackedDate::FromParts(7, 12, 2026);
};
