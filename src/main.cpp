#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/command_line_options.h"
#include "app/quiet_logging.h"
#include "app/revision_app.h"
#include "platform/clock.h"
#include "platform/qsettings_store.h"
#include "platform/system_path.h"
#include "platform/user_locale.h"
#include "platform_widgets/clipboard_keeper.h"
#include "platform_widgets/clipboard_manager.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"
#include "platform_widgets/process_end.h"
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

// The program's arguments as text, the program's name first: the one place
// where the system's bytes become text.
QStringList ArgumentsAsGiven(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(DecodeSystemPath(argv[i]));
    return arguments;
}

// Which run the command line asks for; the one-document form keeps the
// text after the program's name as it was given (see command_line.h).
CommandLineChoice CommandLineAsGiven(int argc, char *argv[]) {
    CommandLineChoice choice = ChooseCommandLine(ArgumentsAsGiven(argc, argv));
#ifdef Q_OS_WIN
    if (choice.kind == CommandLineChoice::SingleDocument)
        choice.document = CommandLineTail(RawCommandLine());
#endif
    return choice;
}

} // namespace

int main(int argc, char *argv[]) {
    if (IsClipboardKeeperRun(argc, argv))
        return RunClipboardKeeper(argc, argv);

    // The command line is read as it was given, before Qt removes the
    // options it understands; help, version and mistakes end here.
    const CommandLineChoice choice = CommandLineAsGiven(argc, argv);
    if (const int status = FinishWithoutRunning(choice); status >= 0)
        return status;
    const bool withOptions = choice.kind == CommandLineChoice::Options;
    const QString commandLine = choice.document;

    // A command-line run needs no window and goes on without a display; an
    // interactive one cannot, and says so in one line.
    const bool commandLineMode = choice.kind != CommandLineChoice::Interactive;
    if (commandLineMode)
        QuietQtMessages();
    const DisplayEnvironment environment = DisplayEnvironment::Current();
    const DisplayChoice display = ChooseDisplay(environment, commandLineMode);
    if (display.unavailable) {
        WriteStandardErrorLine(NoDisplayText());
        return 1;
    }
    if (!display.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", display.platform);

    QApplication application(argc, argv);
    // The programs this one starts (the word processor, the clipboard
    // keeper) see the user's own environment.
    if (!display.platform.isEmpty() && environment.qpaPlatform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    else if (!display.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", environment.qpaPlatform);
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
    if (commandLineMode)
        SetApplicationIconOnFirstWindow(&CDialog::ApplicationIcon);
    else
        QApplication::setWindowIcon(CDialog::ApplicationIcon());
    CDialog::SetRichEditFactory(&CreateRichTextControl);

    QtMessageBoxService messageBoxes(MessageBoxAudience{windowless, commandLineMode});
    DocumentMessageBoxes documentMessages(RunStreams::Standard().writeErrorLine);
    SystemClock clock;
    QSettingsStore settings;
    QtClipboard clipboard;
    QtShell shell;
    QtFileDialogs fileDialogs;
    QtDownloader downloader;
    IMessageBoxService *boxes =
        withOptions ? static_cast<IMessageBoxService *>(&documentMessages) : &messageBoxes;
    const AppServices services{boxes,  &clock,       &settings,  &clipboard,
                               &shell, &fileDialogs, &downloader};

    CRevisionApp app(services, UserLocale::System(), QCoreApplication::applicationDirPath());
    app.SetLoopDialogFactory(&CreateLoopDialogs);
    app.SetUserDataFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    int status = 0;
    if (withOptions) {
        status =
            RunCommandLineOptions(app, choice.options, documentMessages, RunStreams::Standard());
    } else {
        app.InitInstance(commandLine);
        status = app.ExitInstance();
    }
    // Every file of the run has been written, flushed where it holds the
    // user's data, and closed: a command-line run that owns no clipboard ends
    // here, without Qt's teardown.
    if (commandLineMode)
        EndCommandLineRunNow(status);
    // What this program put on the clipboard outlives it: a clipboard
    // manager takes it as Qt's application ends, or else a detached keeper
    // takes it over and serves it until another program copies something.
    if (!ClipboardManagerRuns())
        HandClipboardToKeeper(QCoreApplication::applicationFilePath());
    return status;
}
