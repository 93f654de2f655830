#pragma once

#include "app/command_line_options.h"
#include "engine/calc_types.h"
#include "engine/index_series.h"
#include "engine/index_table.h"
#include "engine/revision_notices.h"
#include "engine/revision_report.h"
#include "engine/sdmx_reader.h"
#include "platform/user_locale.h"
#include "platform_widgets/dialog.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

enum class OpenOutcome;
enum class ReadStatus;
enum class WriteStatus;
class IClipboard;
class IClock;
class IDownloader;
class IFileDialogs;
class IMessageBoxService;
class IShell;
class ISettingsStore;
class IWindowGeometry;

// Where a command-line calculation's result goes. The defaults are the
// one-document run's: the report in Calcul.rtf, then exported.
struct CommandLineDelivery {
    bool writeReport = true;
    QString reportPath; // empty: Calcul.rtf
    bool exportResult = true;
    ReportForm form = ReportForm::AsSettings;
    // False: a document that does not open is not calculated (its own
    // message says why); true: the cleared document is calculated and
    // refused with the calculation's message, as the one-document run does.
    bool calculateUnopened = true;
};

// What the application asks of its platform; tests give fakes.
struct AppServices {
    IMessageBoxService *messageBoxes = nullptr;
    const IClock *clock = nullptr;
    ISettingsStore *settings = nullptr;
    IClipboard *clipboard = nullptr;
    IShell *shell = nullptr;
    IFileDialogs *fileDialogs = nullptr;
    IDownloader *downloader = nullptr;
};

// The application object: owns every piece of shared state for the run, the
// start-up and shutdown steps, and the operations the dialogs call.
class CRevisionApp {
public:
    // The three dialogs of the loop: main menu (100), data dialog (101) and
    // preview (134), built once per run by `InitInstance`.
    struct LoopDialogs {
        std::unique_ptr<CDialog> mainMenu;
        std::unique_ptr<CDialog> dataDialog;
        std::unique_ptr<CDialog> preview;
    };
    using LoopDialogFactory = std::function<LoopDialogs(CRevisionApp &)>;

    enum LoopValue { kMainMenu = 100, kDataDialog = 101, kPreview = 134 };

    CRevisionApp(const AppServices &services, const UserLocale &locale,
                 const QString &executableFolder);
    ~CRevisionApp();
    CRevisionApp(const CRevisionApp &) = delete;
    CRevisionApp &operator=(const CRevisionApp &) = delete;

    void SetLoopDialogFactory(LoopDialogFactory factory);
    // The user's data folder for the program, where an installed copy keeps
    // Indices.txt and Calcul.rtf (see data_paths.h). Without one, the files
    // always lie beside the executable.
    void SetUserDataFolder(const QString &folder);

    // Start-up: reads the decimal separator, sets the paths of Indices.txt
    // and Calcul.rtf (beside the executable, or in the user's data folder
    // for an installed copy), removes what killed writes left beside the
    // files, reads the index file and writes it straight back in its
    // canonical form (unless it exists but could not be read: it is then
    // left as it is, and the run goes on with zeros; see
    // NormaliseIndexFile), clears the document and reads the settings; then
    // command-line mode when `commandLine` holds a path, else the dialog
    // loop. Always returns false, as the program has no message loop of its
    // own after it.
    bool InitInstance(const QString &commandLine);
    // The start-up steps of InitInstance without a mode after them, for a
    // command-line run of several documents. False when the index file
    // given for the run could not be read (its message has been shown).
    bool StartUp();
    // Before start-up: read the index values from `path` instead of
    // Indices.txt, and never write them anywhere; Indices.txt is left as it
    // is. Message 251 when it cannot be read.
    void SetIndexFileForRun(const QString &path);
    // Command-line mode for one document of a run (after StartUp): opens
    // it into a cleared document and calculates it, the result delivered
    // as `delivery` says. True when it opened and was calculated.
    bool CalculateDocument(const QString &path, const CommandLineDelivery &delivery);
    // Shutdown: writes the settings. Returns the process exit status: 1
    // after a command-line run that failed (document not opened,
    // calculation refused, report not written), else 0.
    int ExitInstance();

    // Revision calculation: checks, walk, report, Calcul.rtf, and the export
    // in command-line mode. True when the report was built and written.
    bool CalculateRevision();
    // Export of the result as "Cible" says; 0 in command-line mode, else 101.
    int ExportResult();

    // The index file: message 200 when it cannot be read (the table keeps
    // what it held) or written (then a quit request too). A write that has
    // replaced the file without keeping its previous content as the backup
    // says so (212); an existing file that could not be replaced keeps its
    // content, which stays in use with the values of the table (214, no
    // quit request).
    ReadStatus ReadIndexFile();
    void WriteIndexFile();
    void ReadSettings();
    void WriteSettings();
    // Documents: the file's message when the open fails (202, 203 or the
    // end-of-file message) or the save fails (204 or the full-disk message).
    OpenOutcome OpenDocument(const QString &path);
    void PromptOpenDocument();
    bool SaveDocument();
    void SaveWindowPosition(const IWindowGeometry &window);
    void RestoreWindowPosition(IWindowGeometry &window) const;
    QByteArray FormatMoney(double amount) const;

    // The update of the index table from INSEE's published series. The
    // address a series is asked from: the environment's CALVOR_INSEE_URL
    // when set, else the setting "AdresseINSEE", followed by the series'
    // identifier.
    QString InseeAddress() const;
    QUrl InseeSeriesUrl(IndexSeries series) const;
    // Downloads a series (a progress window when `showProgress`) and reads
    // the reply; on any failure tells the user why and returns nothing.
    std::optional<SdmxReadOutcome> DownloadIndexSeries(IndexSeries series, bool showProgress);
    // The same for a reply saved to a file.
    std::optional<SdmxReadOutcome> ImportIndexSeries(IndexSeries series, const QString &path);
    // `calvor --update-indices [SERIES] [--replace-differing]`: downloads
    // the series (without a name, the one the table holds, the IRL for an
    // empty table), fills the quarters at 0 (and replaces the differing
    // ones with `replaceDiffering`) and writes the index file with its
    // backup. Prints what changed, or why nothing did, on standard error.
    // Returns the exit status: 0, or 1 on any failure (the file unchanged).
    int UpdateIndicesFromCommandLine(const QString &series, bool replaceDiffering);
    // Where the command-line update prints its lines (standard error).
    void SetStandardErrorOutput(std::function<void(const QString &)> output);

    const UserLocale &Locale() const { return m_locale; }
    const AppServices &Services() const { return m_services; }
    IMessageBoxService &MessageBoxes() const { return *m_services.messageBoxes; }
    bool CommandLineFailed() const { return m_bCommandLineFailed; }
    // The rows of the last calculation that was not refused.
    const std::vector<RevisionRow> &LastRows() const { return m_lastRows; }
    // The value that ended the last dialog loop: 0, or a value without a
    // dialog (2 after "Quitter", -1 when a dialog could not be shown).
    int LoopEndValue() const { return m_nLoopEnd; }

    // Shared state, read and written by the dialogs and the operations.
    CalcDocument m_doc;
    int m_nCible = 0;
    QString m_strSymbole;
    int m_nDate2000 = 0;
    // The clipboard format the export puts the Rich Text under, a MIME type.
    QString m_cfRichText = QStringLiteral("text/rtf");
    // Where and how the preview window was last closed in this run; empty
    // until it has been closed once.
    std::optional<DialogPlacement> m_wpPreview;
    int m_nDlgLeft = INT_MIN; // no position known yet
    int m_nDlgTop = 0;
    RevisionReport m_report;
    QString m_strReportPath;
    QString m_strIndicesPath;
    IndexTable m_indices;
    bool m_bCommandLine = false;
    // Setting "AdresseINSEE", and how long a silent download waits.
    QString m_strAdresseInsee;
    int m_nInseeTimeoutMs = 20000;
    // "Contrôles": 0 turns the legal notices off.
    int m_nControles = 1;
    // The notices of the last calculation that succeeded (none after a
    // refused one, or when "Contrôles" is 0): what the preview shows beside
    // the report and command-line mode prints on standard error.
    std::vector<RevisionNotice> m_notices;

    // Where command-line mode prints each notice, one line each; standard
    // error unless a test gives its own.
    void SetNoticeOutput(std::function<void(const QString &line)> output);
    // The series the index table holds, as last identified; the table is
    // identified again only when its values changed.
    std::optional<IndexSeries> TableSeries();
    // How a table is identified: IdentifyIndexSeries unless a test gives
    // another way.
    void SetSeriesIdentifier(std::function<SeriesIdentification(const IndexTable &)> identify);

private:
    void BeginRun();
    bool PrepareSharedState();
    bool RunCommandLine(const QString &path);
    // Start-up's rewrite of an index file just read: a canonical file is
    // left as it is; one too large to be read whole is left with a message
    // (210); a file that cannot be rewritten is used as it was read, with a
    // message (211) and no quit request.
    void NormaliseIndexFile();
    // Message `id` with the index file's full path as %1 and its backup's as
    // %2, with the stop icon.
    void ShowIndexFileMessage(unsigned id);
    // Tells the user why a write failed, the same way for every file:
    // message `cannotCreateId` when nothing could be replaced, the
    // full-disk message with the file's full path when the bytes could not
    // be written out; both with the stop icon. True when the write succeeded.
    bool ShowWriteOutcome(WriteStatus status, const QString &path, unsigned cannotCreateId);
    int RunDialogLoop(LoopDialogs &dialogs);
    // A failure of the INSEE update: a message box, or a line on standard
    // error during the command-line update.
    void TellInseeFailure(const QString &text);
    std::optional<SdmxReadOutcome> ReadInseeReply(IndexSeries series, const QByteArray &reply);

    AppServices m_services;
    UserLocale m_locale;
    QString m_executableFolder;
    QString m_userDataFolder;
    LoopDialogFactory m_dialogFactory;
    bool m_bCommandLineFailed = false;
    int m_nLoopEnd = 0;
    QString m_strIndexFileForRun;
    CommandLineDelivery m_delivery;
    std::vector<RevisionRow> m_lastRows;
    IndexFileFacts m_indexFileFacts; // of the last read of the index file
    bool m_bUpdatingFromCommandLine = false;
    std::function<void(const QString &)> m_standardError;
    std::function<void(const QString &line)> m_noticeOutput;
    std::function<SeriesIdentification(const IndexTable &)> m_identify;
    IndexTable m_identifiedTable;
    std::optional<SeriesIdentification> m_identification;
};
