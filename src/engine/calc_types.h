#pragma once

#include "engine/packed_date.h"

// The data of one calculation, in the order of the document file.
struct CalcDocument {
    PackedDate signature;     // lease signature
    PackedDate firstRevision; // start of the calculation
    PackedDate lastRevision;  // end of the calculation
    PackedDate referenceDate; // reference index date, a quarter date
    double rent = 0.0;

    void Clear();
};

// One revised rent.
struct RevisionRow {
    PackedDate date;
    double index = 0.0;
    double rent = 0.0;
};
