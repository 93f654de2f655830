#include "support/sample_document.h"

CalcDocument SampleDocument(double rent) {
    CalcDocument doc;
    doc.signature = PackedDate::FromParts(1, 6, 1999);
    doc.firstRevision = PackedDate::FromParts(15, 3, 2001);
    doc.lastRevision = PackedDate::FromParts(10, 6, 2005);
    doc.referenceDate = PackedDate::FromParts(1, 4, 2000);
    doc.rent = rent;
    return doc;
}
