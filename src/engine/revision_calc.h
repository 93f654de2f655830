#pragma once

#include "engine/calc_types.h"
#include "engine/index_table.h"

#include <QString>

#include <vector>

// The checks and the walk of a revision calculation, without any message,
// report or file: what the application shows and writes follows from this.
struct RevisionOutcome {
    // 0 when the input passed the checks; else the refusing message number:
    // 205 (a date that is empty or not a valid date, or a reference date
    // that is not the first day of a quarter; named by `badDateName`), 401
    // (no rent, or a rent that is not a finite number), 403 (start after
    // end), 405 (start before 1 April 1970) or 400 (no reference index: its
    // value is 0).
    unsigned refusal = 0;
    QString badDateName;

    double referenceValue = 0.0;
    std::vector<RevisionRow> rows;
    // True when a zero index stopped the walk; `zeroIndexYear` is then the
    // year of the revision date that could not be produced (message 404).
    bool stoppedAtZeroIndex = false;
    unsigned zeroIndexYear = 0;

    bool Refused() const { return refusal != 0; }
};

// The names of the four dates in message 205, in document order.
QString DateNameForMessage(int dateIndex);

// Checks the document and walks the revision years one by one. The data
// dialog only lets valid documents through; the checks of validity keep a
// document opened from a file, or given on the command line, from printing
// impossible dates and amounts.
RevisionOutcome CheckAndWalk(const CalcDocument &doc, const IndexTable &indices);

// One revision step of the walk: the rent times the new index, divided by the
// index of the step before, the product first, unrounded. Every figure
// derived from a revision goes through it, so that it rounds as the report.
double RevisedRent(double rent, double index, double previousIndex);
