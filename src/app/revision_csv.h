#pragma once

#include "engine/calc_types.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The revision rows as CSV (RFC 4180, UTF-8, lines ended by CR LF), for
// other programs: one header line, then one line per row with the
// document's name as given, the revision date (YYYY-MM-DD), the quarter of
// the index used (YYYY-Qn), the index and the rent, both with 2 decimals and
// "." as decimal separator whatever the user's settings.

QByteArray RevisionCsvHeader();

// The lines of the rows of `doc`'s walk: row k uses the reference quarter k + 1
// years after the reference date.
QByteArray RevisionCsvRows(const QString &document, const CalcDocument &doc,
                           const std::vector<RevisionRow> &rows);

// One field, in double quotes when it holds a comma, a double quote, a
// carriage return or a line feed (its double quotes then doubled).
QByteArray CsvField(const QString &text);
