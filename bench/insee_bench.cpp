// The published series' checks, each to stay under 1 ms:
// - what opening the index table dialog adds: the series the table holds
//   identified, and each of the 544 listed texts read and compared with the
//   published value, the differing rows marked in the list's cells (the
//   dialog's own work, without its window);
// - an INSEE reply of 250 quarters read, its values those of the shipped
//   series.

#include "engine/index_series.h"
#include "engine/number_text.h"
#include "engine/sdmx_reader.h"
#include "platform_widgets/list_view_model.h"
#include "support/sdmx_replies.h"
#include "support/test_locales.h"

#include <benchmark/benchmark.h>

#include <QObject>

namespace {

// The shipped IRL with three quarters typed wrong.
IndexTable UsersTable() {
    IndexTable table = PublishedValues(IndexSeries::Irl);
    const int last = LastPublishedPosition(IndexSeries::Irl);
    for (int i = 0; i < 3; ++i)
        table.Set(last - 5 * i, table.At(last - 5 * i) + 1.0f);
    return table;
}

void BM_IdentifyAndMark(benchmark::State &state) {
    ReadDecimalSeparator(TestLocale::French());
    const IndexTable table = UsersTable();
    QObject owner;
    ListViewModel cells(&owner);
    cells.SetColumn(0, QStringLiteral("Indices"), Qt::AlignLeft);
    for (int row = 0; row < IndexTable::kListedSize; ++row)
        cells.InsertRow(row, FormatNumber(static_cast<double>(table.At(row)), 2));
    int marked = 0;
    for (auto _ : state) {
        const SeriesIdentification held = IdentifyIndexSeries(table);
        const IndexTable &published = PublishedValues(held.series.value_or(IndexSeries::Irl));
        marked = 0;
        for (int row = 0; row < IndexTable::kListedSize; ++row) {
            QString note;
            const float value = published.At(row);
            const double typed = ParseNumber(cells.Text(row, 0));
            if (value != 0.0f && typed != 0.0 &&
                !SameIndexValue(static_cast<double>(NarrowIndexValue(typed)),
                                static_cast<double>(value))) {
                note = QStringLiteral("Valeur publiée par l'INSEE : ") +
                       FormatNumber(static_cast<double>(value), 2);
                ++marked;
            }
            cells.SetRowMark(row, note);
        }
        benchmark::DoNotOptimize(held);
    }
    state.counters["marked"] = marked;
}
BENCHMARK(BM_IdentifyAndMark)->Unit(benchmark::kMicrosecond);

void BM_ReadReplyOf250Quarters(benchmark::State &state) {
    // 250 quarters from 1970 Q1 on, the shipped IRL's values in turn.
    const std::vector<ReplyObservation> published = PublishedObservations(IndexSeries::Irl);
    std::vector<ReplyObservation> observations;
    for (int p = 0; p < 250; ++p) {
        observations.push_back(
            {QString::number(1970 + p / 4) + QStringLiteral("-Q") + QString::number(p % 4 + 1),
             published[static_cast<std::size_t>(p) % published.size()].value});
    }
    const QString idbank = SeriesInfo(IndexSeries::Irl).idbank;
    const QByteArray reply = SdmxReply(idbank, observations);
    int quarters = 0;
    for (auto _ : state) {
        const SdmxReadOutcome outcome = ReadSdmxSeries(reply, idbank);
        quarters = outcome.quarters;
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["quarters"] = quarters;
    state.counters["bytes"] = static_cast<double>(reply.size());
}
BENCHMARK(BM_ReadReplyOf250Quarters)->Unit(benchmark::kMicrosecond);

} // namespace
