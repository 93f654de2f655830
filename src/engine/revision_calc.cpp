#include "engine/revision_calc.h"

#include "platform/string_table.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStepBetweenRevisions = 4; // the same quarter one year later

// A quarter date: the first day of January, April, July or October.
bool IsQuarterDate(PackedDate date) {
    return date.Day() == 1 && date.Month() % 3 == 1;
}

// One revision step, kept inline in the walk.
double Revise(double rent, double index, double previousIndex) {
    return (index * rent) / previousIndex;
}

} // namespace

double RevisedRent(double rent, double index, double previousIndex) {
    return Revise(rent, index, previousIndex);
}

QString DateNameForMessage(int dateIndex) {
    switch (dateIndex) {
    case 0:
        return QStringLiteral("de signature du bail");
    case 1:
        return QStringLiteral("de début de calcul");
    case 2:
        return QStringLiteral("de fin de calcul");
    default:
        return QStringLiteral("de l'indice de référence");
    }
}

RevisionOutcome CheckAndWalk(const CalcDocument &doc, const IndexTable &indices) {
    RevisionOutcome out;
    const PackedDate dates[4] = {doc.signature, doc.firstRevision, doc.lastRevision,
                                 doc.referenceDate};
    for (int i = 0; i < 4; ++i) {
        const bool referenceDate = i == 3;
        if (dates[i].IsEmpty() || dates[i].Validate() != PackedDate::DateOk ||
            (referenceDate && !IsQuarterDate(dates[i]))) {
            out.refusal = IDS_BAD_DATE;
            out.badDateName = DateNameForMessage(i);
            return out;
        }
    }
    if (doc.rent == 0.0 || !std::isfinite(doc.rent)) {
        out.refusal = IDS_NO_RENT;
        return out;
    }
    if (doc.firstRevision.IsLaterThan(doc.lastRevision)) {
        out.refusal = IDS_START_AFTER_END;
        return out;
    }
    if (doc.firstRevision.IsEarlierThan(PackedDate::FromParts(1, 4, 1970))) {
        out.refusal = IDS_START_IN_FIRST_QUARTER_1970;
        return out;
    }

    int position = IndexTable::PositionOf(static_cast<int>(doc.referenceDate.Year()),
                                          static_cast<int>(doc.referenceDate.QuarterIndex()));
    out.referenceValue = static_cast<double>(indices.At(position));
    // A zero reference would divide by zero and print infinite rents.
    if (out.referenceValue == 0.0) {
        out.refusal = IDS_NO_REFERENCE_INDEX;
        return out;
    }

    const unsigned lastYear = doc.lastRevision.Year();
    const unsigned firstDay = doc.firstRevision.Day();
    out.rows.reserve(static_cast<std::size_t>(
        std::min(lastYear - doc.firstRevision.Year() + 1, unsigned{IndexTable::kSize / 4 + 1})));

    PackedDate current = doc.firstRevision;
    bool first = true;
    double rent = doc.rent;
    double previous = out.referenceValue;
    while (current.Year() <= lastYear) {
        if (first) {
            first = false;
        } else if (current.Year() == lastYear) {
            current.AssignDate(doc.lastRevision);
        } else {
            const unsigned day = std::min(DaysInMonth(current.Month(), current.Year()), firstDay);
            current.SetParts(day, current.Month(), current.Year());
        }
        position += kStepBetweenRevisions;
        const double index = static_cast<double>(indices.At(position));
        if (index == 0.0) {
            out.stoppedAtZeroIndex = true;
            out.zeroIndexYear = current.Year();
            break;
        }
        rent = Revise(rent, index, previous);
        out.rows.push_back({current, index, rent});
        previous = index;
        current.SetParts(current.Day(), current.Month(), current.Year() + 1);
    }
    return out;
}
