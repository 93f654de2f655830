// Start-up times, each against a bare Qt program doing the least it can:
// - a whole command-line run of the program (start, one calculation, report
//   written, end) against starting and ending a bare QApplication;
// - in one process, building the QApplication, the application object and
//   its start-up until the main menu is on screen, against building a
//   QApplication and showing the same window built straight with Qt.
// The programs are found beside this benchmark (bare_qt) and one folder up
// (calvor), or where CALVOR_BINARY and CALVOR_BARE_QT say.

#include "app/revision_app.h"
#include "bench_fixtures.h"
#include "bench_services.h"
#include "document/calc_document_file.h"
#include "platform_widgets/dialog.h"
#include "ui/loop_dialogs.h"
#include "ui/main_menu_dlg.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

namespace {

QString SelfFolder() {
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

QString ProgramPath(const char *variable, const QString &fallback) {
    const QString fromEnv = qEnvironmentVariable(variable);
    return fromEnv.isEmpty() ? fallback : fromEnv;
}

// A scratch folder with the program, an index file, a document and
// settings choosing "Cible" 3, so that the run exports nothing.
struct CommandLineSetup : ProgramFolder {
    QString document;

    bool Prepare(const QString &binary) {
        if (!ProgramFolder::Prepare(binary))
            return false;
        CalcDocument doc;
        doc.signature = PackedDate::FromParts(1, 6, 1999);
        doc.firstRevision = PackedDate::FromParts(15, 3, 2001);
        doc.lastRevision = PackedDate::FromParts(10, 6, 2025);
        doc.referenceDate = PackedDate::FromParts(1, 4, 2000);
        doc.rent = 1234.5;
        document = QDir(root.path()).filePath(QStringLiteral("a.clv"));
        return WriteDocument(document, doc);
    }
};

bool RunOnce(const QString &program, const QStringList &arguments, const QProcessEnvironment &env) {
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(program, arguments);
    return child.waitForFinished(30000) && child.exitStatus() == QProcess::NormalExit &&
           child.exitCode() == 0;
}

void BM_CommandLineRun(benchmark::State &state) {
    CommandLineSetup setup;
    if (!setup.Prepare(ProgramPath("CALVOR_BINARY", SelfFolder() + QStringLiteral("/../calvor")))) {
        state.SkipWithError("calvor not found; set CALVOR_BINARY");
        return;
    }
    for (auto _ : state) {
        if (!RunOnce(setup.program, {setup.document}, setup.env)) {
            state.SkipWithError("the command-line run failed");
            return;
        }
    }
}
BENCHMARK(BM_CommandLineRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_BareQtProgram(benchmark::State &state) {
    const QString program =
        ProgramPath("CALVOR_BARE_QT", SelfFolder() + QStringLiteral("/bare_qt"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!QFileInfo::exists(program)) {
        state.SkipWithError("bare_qt not found; set CALVOR_BARE_QT");
        return;
    }
    for (auto _ : state) {
        if (!RunOnce(program, {}, env)) {
            state.SkipWithError("the bare program failed");
            return;
        }
    }
}
BENCHMARK(BM_BareQtProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// A QApplication for one iteration, with the arguments it may keep.
struct Application {
    int argc = 1;
    char arg0[8] = "bench";
    char *argv[2] = {arg0, nullptr};
    std::unique_ptr<QApplication> app;

    Application() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }
};

// One process start to main menu shown, in-process: false when the menu was
// not shown.
bool MainMenuShownOnce(const AppServices &services, const QString &folder) {
    bool shown = true;
    Application application;
    CRevisionApp app(services, UserLocale::System(), folder);
    app.SetLoopDialogFactory(&CreateLoopDialogs);
    // Once the menu is on screen, "Quitter" ends the run.
    QTimer::singleShot(0, application.app.get(), [&shown] {
        QWidget *menu = QApplication::activeModalWidget();
        shown = menu && QTest::qWaitForWindowExposed(menu);
        if (menu)
            QMetaObject::invokeMethod(menu, "reject", Qt::QueuedConnection);
    });
    app.InitInstance(QString());
    app.ExitInstance();
    return shown;
}

// The same window built straight with Qt: five buttons, two labels.
bool BareDialogShownOnce() {
    Application application;
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Calvor"));
    dialog.setFixedSize(292, 293);
    const char *texts[] = {"&Commencer un calcul", "&Ouvrir un calcul...", "O&ptions...",
                           "&Indices de l'INSEE...", "Quitter"};
    int y = 16;
    for (const char *text : texts) {
        auto *button = new QPushButton(QString::fromUtf8(text), &dialog);
        button->setGeometry(26, y, 245, 32);
        y += 49;
    }
    (new QLabel(QStringLiteral("MORVA"), &dialog))->setGeometry(26, 263, 63, 13);
    (new QLabel(QStringLiteral("Version 1.0"), &dialog))->setGeometry(105, 263, 166, 13);
    dialog.show();
    return QTest::qWaitForWindowExposed(&dialog);
}

void BM_MainMenuShown(benchmark::State &state) {
    QTemporaryDir folder;
    BenchServices fakes;
    const AppServices services = fakes.Services();
    bool shown = true;
    for (auto _ : state)
        shown = MainMenuShownOnce(services, folder.path()) && shown;
    if (!shown)
        state.SkipWithError("the main menu was not shown");
}
BENCHMARK(BM_MainMenuShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_BareDialogShown(benchmark::State &state) {
    bool shown = true;
    for (auto _ : state)
        shown = BareDialogShownOnce() && shown;
    if (!shown)
        state.SkipWithError("the dialog was not shown");
}
BENCHMARK(BM_BareDialogShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Pairs run one after the other in every iteration, so that the load of the
// machine (other builds on its two cores) weighs on both alike; the counters
// give each one's mean and the ratio of the program to its bare reference.
using Clock = std::chrono::steady_clock;

void SetPairCounters(benchmark::State &state, Clock::duration program, Clock::duration bare) {
    const double n = static_cast<double>(state.iterations());
    const auto ms = [n](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / n;
    };
    state.counters["program_ms"] = ms(program);
    state.counters["bare_ms"] = ms(bare);
    state.counters["ratio"] = bare.count() > 0 ? ms(program) / ms(bare) : 0.0;
}

// Runs `program` then `bare` once per iteration, one right after the
// other, and sets the pair's counters; a failed run ends the benchmark
// with `failure`.
template<class Program, class Bare>
void TimePair(benchmark::State &state, Program program, Bare bare, const char *failure) {
    Clock::duration programTime{};
    Clock::duration bareTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool ran = program();
        const auto t1 = Clock::now();
        const bool bareRan = bare();
        const auto t2 = Clock::now();
        if (!ran || !bareRan) {
            state.SkipWithError(failure);
            return;
        }
        programTime += t1 - t0;
        bareTime += t2 - t1;
    }
    SetPairCounters(state, programTime, bareTime);
}

void BM_CommandLineRunAgainstBareQt(benchmark::State &state) {
    CommandLineSetup setup;
    const QString bare = ProgramPath("CALVOR_BARE_QT", SelfFolder() + QStringLiteral("/bare_qt"));
    if (!setup.Prepare(ProgramPath("CALVOR_BINARY", SelfFolder() + QStringLiteral("/../calvor"))) ||
        !QFileInfo::exists(bare)) {
        state.SkipWithError("calvor or bare_qt not found; set CALVOR_BINARY, CALVOR_BARE_QT");
        return;
    }
    TimePair(
        state, [&] { return RunOnce(setup.program, {setup.document}, setup.env); },
        [&] { return RunOnce(bare, {}, setup.env); }, "a run failed");
}
BENCHMARK(BM_CommandLineRunAgainstBareQt)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(40);

void BM_MainMenuAgainstBareDialog(benchmark::State &state) {
    QTemporaryDir folder;
    BenchServices fakes;
    const AppServices services = fakes.Services();
    TimePair(
        state, [&] { return MainMenuShownOnce(services, folder.path()); },
        [] { return BareDialogShownOnce(); }, "a window was not shown");
}
BENCHMARK(BM_MainMenuAgainstBareDialog)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(100);

} // namespace
