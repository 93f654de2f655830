// The index table dialog beside the main menu, both run in one process:
// - each built, shown until its window is exposed and painted once, then
//   closed, with the program's icon set once as at start-up; the index
//   table with its 544 rows is to stay within 1.5 times the menu. It does
//   not: it takes about 5 times as long, painting over four times as much text
//   (the 20 visible rows' 40 cells, shaped and drawn) and building a tree
//   view with its header and selection model, for 544 rows filled, laid
//   out and destroyed (see the README's performance table);
// - what OK does: the 544 listed texts read as numbers into the table and
//   the index file written, in a folder on tmpfs when there is one, so that
//   the flush to the disk is left out; to stay under 5 ms.

#include "app/revision_app.h"
#include "bench_services.h"
#include "engine/number_text.h"
#include "support/test_locales.h"
#include "ui/indices_dlg.h"
#include "ui/main_menu_dlg.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

QApplication &Application() {
    static int argc = 1;
    static char arg0[] = "bench";
    static char *argv[] = {arg0, nullptr};
    static QApplication *application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *application;
}

QString ScratchTemplate() {
    const QString tmpfs = QStringLiteral("/dev/shm");
    const QString base = QDir(tmpfs).exists() ? tmpfs : QDir::tempPath();
    return base + QStringLiteral("/calvor-bench-XXXXXX");
}

// An application object on no-op services, its index file in a scratch
// folder and every quarter's index entered.
struct Setup {
    BenchServices fakes;
    QTemporaryDir folder{ScratchTemplate()};
    CRevisionApp app{fakes.Services(), TestLocale::French(), folder.path()};

    Setup() {
        Application();
        ReadDecimalSeparator(TestLocale::French());
        app.m_strIndicesPath = folder.filePath(QStringLiteral("Indices.txt"));
        for (int p = 0; p < IndexTable::kSize; ++p)
            app.m_indices.Set(p, 100.0f + 0.37f * static_cast<float>(p));
    }
};

// Runs `dialog` until its window is exposed and has handled what was
// waiting (its first paint), then ends it; false when it never was exposed.
// The events are processed without the pauses of QTest's waits, which
// would be most of what is measured.
bool ShowOnce(CDialog &dialog) {
    bool exposed = false;
    QTimer::singleShot(0, &Application(), [&] {
        QWidget *window = dialog.Window();
        QElapsedTimer waited;
        waited.start();
        while (window && !window->windowHandle()->isExposed() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        exposed = window && window->windowHandle()->isExposed();
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    return exposed;
}

template<class Dialog> void BuiltAndShown(benchmark::State &state) {
    Setup setup;
    bool shown = true;
    for (auto _ : state) {
        Dialog dialog(setup.app);
        shown = ShowOnce(dialog) && shown;
    }
    if (!shown)
        state.SkipWithError("the dialog was not shown");
}

void BM_MainMenuBuiltAndShown(benchmark::State &state) {
    BuiltAndShown<CMainMenuDlg>(state);
}
BENCHMARK(BM_MainMenuBuiltAndShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_IndexTableBuiltAndShown(benchmark::State &state) {
    BuiltAndShown<CIndicesDlg>(state);
}
BENCHMARK(BM_IndexTableBuiltAndShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Both dialogs one after the other in every iteration, so that the load of
// the machine weighs on both alike; the counters give each one's mean and
// the ratio of the index table to the menu window.
void BM_IndexTableAgainstMainMenu(benchmark::State &state) {
    Setup setup;
    bool shown = true;
    qint64 menuNs = 0;
    qint64 tableNs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        {
            CMainMenuDlg menu(setup.app);
            shown = ShowOnce(menu) && shown;
        }
        menuNs += timer.nsecsElapsed();
        timer.start();
        {
            CIndicesDlg table(setup.app);
            shown = ShowOnce(table) && shown;
        }
        tableNs += timer.nsecsElapsed();
    }
    if (!shown)
        state.SkipWithError("a dialog was not shown");
    const double n = static_cast<double>(state.iterations());
    state.counters["table_ms"] = static_cast<double>(tableNs) / 1e6 / n;
    state.counters["menu_ms"] = static_cast<double>(menuNs) / 1e6 / n;
    state.counters["ratio"] =
        menuNs > 0 ? static_cast<double>(tableNs) / static_cast<double>(menuNs) : 0.0;
}
BENCHMARK(BM_IndexTableAgainstMainMenu)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(300);

void BM_IndexTableOk(benchmark::State &state) {
    Setup setup;
    CIndicesDlg dialog(setup.app);
    bool written = true;
    QTimer::singleShot(0, &Application(), [&] {
        int n = 0;
        for (auto _ : state) {
            // A new value each time, so that the file is really written
            // rather than left as it was.
            dialog.m_listIndices.SetItemText(0, 0, FormatNumber(++n, CIndicesDlg::kDecimals));
            dialog.StoreListedValues();
            setup.app.WriteIndexFile();
        }
        written = setup.app.m_indices.At(0) == static_cast<float>(n);
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    if (!written || IsQuitPending())
        state.SkipWithError("the index file was not written");
}
BENCHMARK(BM_IndexTableOk)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(3.0);

} // namespace
