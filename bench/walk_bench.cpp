#include "engine/revision_calc.h"

#include <benchmark/benchmark.h>

namespace {

// The checks and the walk alone for 136 revisions, 1971 to 2106.
void BM_CheckAndWalk136Rows(benchmark::State &state) {
    CalcDocument doc;
    doc.signature = PackedDate::FromParts(15, 5, 1970);
    doc.firstRevision = PackedDate::FromParts(15, 5, 1971);
    doc.lastRevision = PackedDate::FromParts(15, 5, 2106);
    doc.referenceDate.MakeQuarterDate(0, 1970);
    doc.rent = 3456.78;
    IndexTable indices;
    for (int p = 0; p < IndexTable::kSize; ++p)
        indices.Set(p, 100.0f + 0.37f * static_cast<float>(p));
    // A document the checks refuse would time the refusal instead.
    if (CheckAndWalk(doc, indices).rows.size() != 136) {
        state.SkipWithError("the document does not give 136 revisions");
        return;
    }
    for (auto _ : state) {
        RevisionOutcome outcome = CheckAndWalk(doc, indices);
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_CheckAndWalk136Rows)->Unit(benchmark::kMicrosecond);

} // namespace
