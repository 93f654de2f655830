// A thousand documents computed in one run of the program, against:
// - one document in one run (the start-up every run pays once): the cost
//   of each further document is (T(1000) - T(1)) / 999, counter
//   "ms_per_document", to stay within 2 ms;
// - the same thousand calculations writing no report (their rows on
//   standard output, --csv): counter "times_rows_only", to stay within 1.5.
// Each run starts from an empty report folder. The program is found one
// folder up from this benchmark, or where CALVOR_BINARY says.

#include "bench_fixtures.h"
#include "document/calc_document_file.h"
#include "engine/index_table.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

constexpr int kDocuments = 1000;

QString ProgramPath() {
    const QString fromEnv = qEnvironmentVariable("CALVOR_BINARY");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString self =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    return self + QStringLiteral("/../calvor");
}

// The program beside its index file, a thousand leases in "baux", settings
// choosing "Cible" 3 so that the one-document run exports nothing either.
struct BatchSetup : ProgramFolder {
    QStringList documents;

    bool Prepare(const QString &binary) {
        if (!ProgramFolder::Prepare(binary))
            return false;
        const QDir dir(root.path());
        dir.mkpath(QStringLiteral("baux"));
        for (int i = 0; i < kDocuments; ++i) {
            CalcDocument doc;
            doc.signature = PackedDate::FromParts(1, 6, 1999);
            doc.firstRevision = PackedDate::FromParts(1 + static_cast<unsigned>(i % 28), 3, 2001);
            doc.lastRevision = PackedDate::FromParts(10, 6, 2025);
            doc.referenceDate = PackedDate::FromParts(1, 4, 2000);
            doc.rent = 500.0 + i;
            const QString path =
                dir.filePath(QStringLiteral("baux/bail%1.clv").arg(i, 4, 10, QLatin1Char('0')));
            if (!WriteDocument(path, doc))
                return false;
            documents.append(path);
        }
        return true;
    }

    // One run into an emptied report folder; its time in milliseconds, or
    // a negative value when it failed.
    double Run(const QStringList &arguments) const {
        QDir reports(QDir(root.path()).filePath(QStringLiteral("rapports")));
        reports.removeRecursively();
        QProcess child;
        child.setProcessEnvironment(env);
        child.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        child.start(program, arguments);
        const bool ended = child.waitForFinished(600000);
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        return ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
                   ? elapsed
                   : -1.0;
    }
    QString Reports() const { return QDir(root.path()).filePath(QStringLiteral("rapports/")); }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_ThousandDocumentsInOneRun(benchmark::State &state) {
    BatchSetup setup;
    if (!setup.Prepare(ProgramPath())) {
        state.SkipWithError("calvor not found; set CALVOR_BINARY");
        return;
    }
    const QStringList one = {QStringLiteral("-o"), setup.Reports(), setup.documents.first()};
    const QStringList reports =
        QStringList{QStringLiteral("-o"), setup.Reports()} + setup.documents;
    const QStringList rows = QStringList{QStringLiteral("--csv")} + setup.documents;
    std::vector<double> single, batch, rowsOnly;
    for (auto _ : state) {
        const double t1 = setup.Run(one);
        const double tReports = setup.Run(reports);
        const double tRows = setup.Run(rows);
        if (t1 < 0 || tReports < 0 || tRows < 0) {
            state.SkipWithError("a run failed");
            return;
        }
        single.push_back(t1);
        batch.push_back(tReports);
        rowsOnly.push_back(tRows);
        state.SetIterationTime(tReports / 1000.0);
    }
    const double t1 = Median(single);
    const double tReports = Median(batch);
    const double tRows = Median(rowsOnly);
    state.counters["one_document_ms"] = t1;
    state.counters["ms_per_document"] = (tReports - t1) / (kDocuments - 1);
    state.counters["rows_only_ms_per_document"] = (tRows - t1) / (kDocuments - 1);
    state.counters["times_rows_only"] = tReports / tRows;
    state.counters["times_rows_only_beyond_start"] = (tReports - t1) / (tRows - t1);
}
BENCHMARK(BM_ThousandDocumentsInOneRun)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

} // namespace
