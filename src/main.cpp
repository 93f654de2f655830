#include "app/command_line.h"
#include "app/revision_app.h"
#include "platform/clock.h"
#include "platform/qsettings_store.h"
#include "platform/user_locale.h"
#include "platform_widgets/clipboard_keeper.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"
#include "platform_widgets/qt_downloader.h"
#include "platform_widgets/qt_services.h"
#include "ui/loop_dialogs.h"
#include "ui/main_menu_dlg.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace {

// The text after the program's name on its command line (see command_line.h).
QString CommandLineAsGiven([[maybe_unused]] int argc, [[maybe_unused]] char *argv[]) {
#ifdef Q_OS_WIN
    return CommandLineTail(RawCommandLine());
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return CommandLineFromArguments(arguments);
#endif
}

} // namespace

int main(int argc, char *argv[]) {
    if (IsClipboardKeeperRun(argc, argv))
        return RunClipboardKeeper(argc, argv);

    // The document path is taken from the command line as it was given,
    // before Qt removes the options it understands.
    const QString commandLine = CommandLineAsGiven(argc, argv);

    // A command-line run needs no window and goes on without a display; an
    // interactive one cannot, and says so in one line.
    const bool commandLineMode = !commandLine.isEmpty();
    const DisplayChoice display = ChooseDisplay(DisplayEnvironment::Current(), commandLineMode);
    if (display.unavailable) {
        WriteStandardErrorLine(NoDisplayText());
        return 1;
    }
    if (!display.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", display.platform);

    QApplication application(argc, argv);
    // The programs this one starts (the word processor, the clipboard
    // keeper) see the user's own environment.
    if (!display.platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    const bool windowless = IsWindowless(QGuiApplication::platformName());
    if (display.checkAfterStart && windowless) {
        WriteStandardErrorLine(NoDisplayText());
        return 1;
    }
    // The names give the user's data folder (MORVA/Calvor, as the settings);
    // the desktop file name ties the windows to the installed menu entry.
    QCoreApplication::setOrganizationName(QStringLiteral("MORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("Calvor"));
    QGuiApplication::setDesktopFileName(QStringLiteral(CALVOR_APP_ID));
    LoadFrameworkTranslations(QLocale::system());
    QApplication::setWindowIcon(CDialog::ApplicationIcon());
    CDialog::SetRichEditFactory(&CreateRichTextControl);

    QtMessageBoxService messageBoxes(MessageBoxAudience{windowless, commandLineMode});
    SystemClock clock;
    QSettingsStore settings;
    QtClipboard clipboard;
    QtShell shell;
    QtFileDialogs fileDialogs;
    QtDownloader downloader;
    const AppServices services{&messageBoxes, &clock,       &settings,  &clipboard,
                               &shell,        &fileDialogs, &downloader};

    CRevisionApp app(services, UserLocale::System(), QCoreApplication::applicationDirPath());
    app.SetLoopDialogFactory(&CreateLoopDialogs);
    app.SetUserDataFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    app.InitInstance(commandLine);
    const int status = app.ExitInstance();
    // What this program put on the clipboard outlives it: a detached keeper
    // takes it over and serves it until another program copies something.
    HandClipboardToKeeper(QCoreApplication::applicationFilePath());
    return status;
}
