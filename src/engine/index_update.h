#pragma once

#include "engine/index_table.h"

#include <QString>

struct SdmxReadOutcome;

#include <vector>

// One quarter an update would change: its table position, the value it
// holds and the published one.
struct IndexChange {
    int position;
    float from;
    float to;
};

// What published values would change in a table, over the listed quarters
// (1970 Q1 to 2105 Q4): quarters at 0 that get a value, and quarters whose
// value differs from the published one at two decimals.
struct IndexUpdatePlan {
    std::vector<IndexChange> fills;
    std::vector<IndexChange> differing;
    bool IsEmpty() const { return fills.empty() && differing.empty(); }
};

// `published` holds 0 where nothing is published.
IndexUpdatePlan PlanIndexUpdate(const IndexTable &table, const IndexTable &published);

// Fills the quarters at 0, and replaces the differing values too when
// `replaceDiffering`.
void ApplyIndexUpdate(IndexTable &table, const IndexUpdatePlan &plan, bool replaceDiffering);

// "2024 - Trim 3 : 142,10 → 144,51", the values as locale number text with
// two decimals.
QString IndexChangeText(const IndexChange &change);
// "2024 - Trim 3" of a table position.
QString QuarterName(int position);

// What the user reads of the observations a reply held that could not be
// read; empty when there were none.
QString UnreadableObservationsText(const SdmxReadOutcome &outcome);
