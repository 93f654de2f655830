#include "bench_fixtures.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "support/test_locales.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <string>

namespace {

void BM_FullCalculationWithBothReports(benchmark::State &state) {
    const LongCalculation calc(TestLocale::French());
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

// The floor the full calculation is held to: 300 fixed-point texts, written
// with std::to_chars with 2 decimals into one reserved buffer (about as many
// numbers as the report writes, and no more than the least any writer of
// them must do).
std::size_t FloorTexts(std::string &buffer, double first) {
    buffer.clear();
    char text[64];
    double value = first;
    for (int i = 0; i < 300; ++i) {
        const auto end =
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
        buffer.append(text, end.ptr);
        value += 12.3456;
    }
    return buffer.size();
}

void BM_FloorThreeHundredFixedTexts(benchmark::State &state) {
    std::string buffer;
    buffer.reserve(300 * 16);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FloorTexts(buffer, 3456.78));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloorThreeHundredFixedTexts)->Unit(benchmark::kMicrosecond);

// Both in one loop, one after the other in every iteration, so that the
// load of the machine weighs on both alike; the counters give each one's
// mean time and the ratio of the calculation to its floor (to stay at or
// under 1.0).
void BM_FullCalculationAgainstFloor(benchmark::State &state) {
    using Clock = std::chrono::steady_clock;
    const LongCalculation calc(TestLocale::French());
    std::string buffer;
    buffer.reserve(300 * 16);
    Clock::duration floorTime{};
    Clock::duration calcTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(FloorTexts(buffer, 3456.78));
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        const RevisionOutcome outcome = CheckAndWalk(calc.doc, calc.indices);
        RevisionReport report = BuildRevisionReport(calc.doc, outcome, calc.today, calc.settings);
        benchmark::DoNotOptimize(report);
        const auto t2 = Clock::now();
        floorTime += t1 - t0;
        calcTime += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const auto us = [n](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / n;
    };
    state.counters["floor_us"] = us(floorTime);
    state.counters["calc_us"] = us(calcTime);
    state.counters["ratio"] = floorTime.count() > 0 ? us(calcTime) / us(floorTime) : 0.0;
}
BENCHMARK(BM_FullCalculationAgainstFloor)->Unit(benchmark::kMicrosecond);

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
