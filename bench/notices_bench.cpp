#include "bench_fixtures.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_notices.h"
#include "support/test_locales.h"

#include <benchmark/benchmark.h>

namespace {

// 136 revisions, 1971 to 2106, on a table taken as the IRL: the one-year
// rule, housing rated F or G, the capped quarters and the index used before
// it existed all speak, so every notice kind that can is written.
struct Calculation : LongCalculation {
    Calculation()
        : LongCalculation(TestLocale::French()) {}
    std::vector<RevisionNotice> Notices(const RevisionOutcome &outcome) const {
        return BuildRevisionNotices(
            {doc, outcome.rows, today, indices, IndexSeries::Irl, settings});
    }
};

void BM_Walk136Rows(benchmark::State &state) {
    const Calculation c;
    for (auto _ : state) {
        RevisionOutcome outcome = CheckAndWalk(c.doc, c.indices);
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_Walk136Rows)->Unit(benchmark::kMicrosecond);

void BM_WalkAndNotices136Rows(benchmark::State &state) {
    const Calculation c;
    const RevisionOutcome check = CheckAndWalk(c.doc, c.indices);
    if (check.rows.size() != 136 || c.Notices(check).size() < 4) {
        state.SkipWithError("the document does not give 136 revisions and their notices");
        return;
    }
    for (auto _ : state) {
        RevisionOutcome outcome = CheckAndWalk(c.doc, c.indices);
        std::vector<RevisionNotice> notices = c.Notices(outcome);
        benchmark::DoNotOptimize(outcome);
        benchmark::DoNotOptimize(notices);
    }
}
BENCHMARK(BM_WalkAndNotices136Rows)->Unit(benchmark::kMicrosecond);

// The same with every notice's text written, as the preview and
// command-line mode write them when they show the notices.
void BM_WalkNoticesAndTexts136Rows(benchmark::State &state) {
    const Calculation c;
    for (auto _ : state) {
        RevisionOutcome outcome = CheckAndWalk(c.doc, c.indices);
        std::vector<RevisionNotice> notices = c.Notices(outcome);
        for (const RevisionNotice &notice : notices) {
            QString text = notice.Text();
            benchmark::DoNotOptimize(text);
        }
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_WalkNoticesAndTexts136Rows)->Unit(benchmark::kMicrosecond);

} // namespace
