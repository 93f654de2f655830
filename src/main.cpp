#include "app/command_line.h"
#include "app/revision_app.h"
#include "platform/clock.h"
#include "platform/qsettings_store.h"
#include "platform/user_locale.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"
#include "platform_widgets/qt_services.h"
#include "ui/loop_dialogs.h"
#include "ui/main_menu_dlg.h"

#include <QApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

int main(int argc, char *argv[]) {
    // The document path is taken from the command line as it was given,
    // before Qt removes the options it understands.
#ifdef Q_OS_WIN
    const QString commandLine = CommandLineTail(RawCommandLine());
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString commandLine = CommandLineFromArguments(arguments);
#endif

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
    const bool windowless = IsWindowless(QGuiApplication::platformName());
    if (display.checkAfterStart && windowless) {
        WriteStandardErrorLine(NoDisplayText());
        return 1;
    }
    LoadFrameworkTranslations(QLocale::system());
    const QIcon icon = LoadCalvorIcon();
    QApplication::setWindowIcon(icon);
    CDialog::SetApplicationIcon(icon);
    CDialog::SetRichEditFactory(&CreateRichTextControl);

    QtMessageBoxService messageBoxes(MessageBoxAudience{windowless, commandLineMode});
    SystemClock clock;
    QSettingsStore settings;
    QtClipboard clipboard;
    QtShell shell;
    QtFileDialogs fileDialogs;
    const AppServices services{&messageBoxes, &clock, &settings, &clipboard, &shell, &fileDialogs};

    CRevisionApp app(services, UserLocale::System(), QCoreApplication::applicationDirPath());
    app.SetLoopDialogFactory(&CreateLoopDialogs);
    app.InitInstance(commandLine);
    // Returning normally destroys the application object last, which hands
    // what this program put on the clipboard over to the desktop's
    // clipboard keeper, so that it outlives the program.
    return app.ExitInstance();
}
