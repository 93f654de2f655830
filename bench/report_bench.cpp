#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "support/test_locales.h"

#include <benchmark/benchmark.h>

namespace {

// 136 revisions, 1971 to 2106, every quarter's index entered.
struct LongCalculation {
    CalcDocument doc;
    IndexTable indices;
    ReportSettings settings{1, QStringLiteral("\u20AC"), TestLocale::French()};
    PackedDate today = PackedDate::FromParts(7, 12, 2026);

    LongCalculation() {
        doc.signature = PackedDate::FromParts(15, 5, 1970);
        doc.firstRevision = PackedDate::FromParts(15, 5, 1971);
        doc.lastRevision = PackedDate::FromParts(15, 5, 2106);
        doc.referenceDate.MakeQuarterDate(0, 1970);
        doc.rent = 3456.78;
        for (int p = 0; p < IndexTable::kSize; ++p)
            indices.Set(p, 100.0f + 0.37f * static_cast<float>(p));
        ReadDecimalSeparator(settings.locale);
    }
};

void BM_FullCalculationWithBothReports(benchmark::State &state) {
    const LongCalculation calc;
    // A document the checks refuse would time the refusal instead.
    if (CheckAndWalk(calc.doc, calc.indices).rows.size() != 136) {
        state.SkipWithError("the document does not give 136 revisions");
        return;
    }
    for (auto _ : state) {
        const RevisionOutcome outcome = CheckAndWalk(calc.doc, calc.indices);
        RevisionReport report = BuildRevisionReport(calc.doc, outcome, calc.today, calc.settings);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_FullCalculationWithBothReports)->Unit(benchmark::kMicrosecond);

void BM_MoneyText(benchmark::State &state) {
    double amount = 1234567.891;
    const QString symbol = QStringLiteral("F");
    for (auto _ : state) {
        benchmark::DoNotOptimize(MoneyText(amount, symbol));
        amount += 0.01;
    }
}
BENCHMARK(BM_MoneyText);

void BM_FormatNumber(benchmark::State &state) {
    ReadDecimalSeparator(TestLocale::French());
    double value = 123.456;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatNumber(value, 2));
        value += 0.01;
    }
}
BENCHMARK(BM_FormatNumber);

void BM_ParseNumber(benchmark::State &state) {
    ReadDecimalSeparator(TestLocale::French());
    const QString text = QStringLiteral("   123,45   ; 1970 - Trim 1");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseNumber(text));
}
BENCHMARK(BM_ParseNumber);

} // namespace
