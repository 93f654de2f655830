#include "app/revision_app.h"

#include "app/data_paths.h"
#include "document/calc_document_file.h"
#include "document/settings.h"
#include "engine/index_series.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/office_lock.h"
#include "platform/services.h"
#include "platform/string_table.h"
#include "platform/system_path.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString NativeFullPath(const QString &path) {
    return QDir::toNativeSeparators(AbsoluteSystemPath(path));
}

} // namespace

CRevisionApp::CRevisionApp(const AppServices &services, const UserLocale &locale,
                           const QString &executableFolder)
    : m_services(services)
    , m_locale(locale)
    , m_executableFolder(executableFolder) {}

CRevisionApp::~CRevisionApp() = default;

void CRevisionApp::SetLoopDialogFactory(LoopDialogFactory factory) {
    m_dialogFactory = std::move(factory);
}

void CRevisionApp::SetUserDataFolder(const QString &folder) {
    m_userDataFolder = folder;
}

bool CRevisionApp::InitInstance(const QString &commandLine) {
    BeginRun();

    LoopDialogs dialogs;
    if (m_dialogFactory)
        dialogs = m_dialogFactory(*this);

    PrepareSharedState();

    if (!commandLine.isEmpty())
        RunCommandLine(commandLine);
    else
        m_nLoopEnd = RunDialogLoop(dialogs);

    // The dialogs go in the reverse order of their construction: preview,
    // data dialog, main menu.
    dialogs.preview.reset();
    dialogs.dataDialog.reset();
    dialogs.mainMenu.reset();
    return false;
}

bool CRevisionApp::StartUp() {
    BeginRun();
    return PrepareSharedState();
}

void CRevisionApp::SetIndexFileForRun(const QString &path) {
    m_strIndexFileForRun = path;
}

void CRevisionApp::BeginRun() {
    ReadDecimalSeparator(m_locale);
    m_bCommandLine = false;
    m_bCommandLineFailed = false;
    m_nDlgLeft = DialogPosition::kNone;
    // The settings store is already bound to MORVA/Calvor, and the Rich
    // Text clipboard format (m_cfRichText) needs no registration: it is a
    // MIME type.
}

bool CRevisionApp::PrepareSharedState() {
    // Both files lie next to the executable, whatever the current folder,
    // or in the user's data folder when the program is installed.
    const DataPaths paths = ChooseDataPaths(m_executableFolder, m_userDataFolder);
    m_strReportPath = paths.ReportPath();
    m_strIndicesPath = paths.IndicesPath();
    // With an index file for the run, the user's own is neither started
    // nor read nor written: only the folder of Calcul.rtf is made.
    if (m_strIndexFileForRun.isEmpty())
        PrepareDataFolder(paths);
    else
        QDir().mkpath(paths.folder);

    // Only our own temporary names, and only where no other copy is writing.
    RemoveLeftoverFiles(QStringList{m_strIndicesPath, m_strReportPath});
    m_services.settings->RemoveLeftovers();

    bool indicesRead = true;
    if (!m_strIndexFileForRun.isEmpty()) {
        indicesRead = m_indices.ReadIndexFile(m_strIndexFileForRun) == ReadStatus::Ok;
        if (!indicesRead)
            MessageBox(*m_services.messageBoxes,
                       FormatPrintf(LoadString(IDS_RUN_INDEX_FILE_UNREADABLE),
                                    {QDir::toNativeSeparators(m_strIndexFileForRun)}),
                       MB_OK | MB_ICONSTOP);
    } else {
        // An existing file that could not be read (held by another copy
        // past the wait, a read error, no right to read it) is never
        // written back: its values would be lost for the zeros of this run.
        const ReadStatus indices = ReadIndexFile();
        if (indices == ReadStatus::Ok)
            NormaliseIndexFile();
        else if (indices == ReadStatus::Missing)
            WriteIndexFile();
    }
    m_doc.Clear();
    ReadSettings();
    return indicesRead;
}

bool CRevisionApp::CalculateDocument(const QString &path, const CommandLineDelivery &delivery) {
    // A document that does not open must not be calculated on what the
    // previous one left.
    m_doc.Clear();
    m_lastRows.clear();
    m_delivery = delivery;
    const bool calculated = RunCommandLine(path);
    m_delivery = CommandLineDelivery();
    return calculated;
}

bool CRevisionApp::RunCommandLine(const QString &path) {
    const OpenOutcome opened = OpenDocument(path);
    if (opened == OpenOutcome::CutShort ||
        (opened != OpenOutcome::Opened && !m_delivery.calculateUnopened)) {
        // The end-of-file message has been shown; calculating on the dates
        // read before the end would only add a second, misleading message.
        m_bCommandLineFailed = true;
        return false;
    }
    // A document that did not open leaves the cleared one, which the
    // calculation refuses with its own message: the user sees why nothing
    // was exported.
    m_bCommandLine = true;
    const bool calculated = CalculateRevision();
    const bool failed = opened != OpenOutcome::Opened || !calculated;
    if (failed)
        m_bCommandLineFailed = true;
    return !failed;
}

int CRevisionApp::RunDialogLoop(LoopDialogs &dialogs) {
    int value = kMainMenu;
    for (;;) {
        CDialog *dialog = nullptr;
        switch (value) {
        case kMainMenu:
            dialog = dialogs.mainMenu.get();
            break;
        case kDataDialog:
            dialog = dialogs.dataDialog.get();
            break;
        case kPreview:
            dialog = dialogs.preview.get();
            break;
        default:
            break;
        }
        // Any other value, or a dialog the run does not have, ends the loop.
        if (dialog == nullptr)
            return value;
        value = dialog->DoModal();
        if (value == 0)
            return value;
    }
}

int CRevisionApp::ExitInstance() {
    WriteSettings();
    return m_bCommandLineFailed ? 1 : 0;
}

bool CRevisionApp::CalculateRevision() {
    IMessageBoxService &boxes = *m_services.messageBoxes;
    m_report.Clear();
    m_lastRows.clear();
    m_notices.clear();

    RevisionOutcome outcome = CheckAndWalk(m_doc, m_indices);
    switch (outcome.refusal) {
    case 0:
        break;
    case IDS_BAD_DATE:
        MessageBox(
            boxes,
            FormatPrintf(LoadString(IDS_BAD_DATE),
                         {outcome.badDateName, static_cast<long long>(PackedDate::kFirstYear),
                          static_cast<long long>(PackedDate::kLastYear)}),
            MB_OK);
        return false;
    default:
        MessageBoxId(boxes, outcome.refusal, MB_OK | MB_ICONSTOP);
        return false;
    }

    PackedDate today;
    today.SetToday(*m_services.clock);
    // A form asked for on the command line is built as the target that
    // receives it would have it built.
    int cible = m_nCible;
    if (m_delivery.form == ReportForm::Table)
        cible = 0;
    else if (m_delivery.form == ReportForm::Tabs)
        cible = 2;
    const ReportSettings settings{cible, m_strSymbole, m_locale};
    m_report.Reserve(static_cast<qsizetype>(outcome.rows.size()));
    m_report.AppendReportHeader(m_doc, outcome.referenceValue, today, settings);
    for (const RevisionRow &row : outcome.rows)
        m_report.AppendReportRow(row, settings);
    if (outcome.stoppedAtZeroIndex) {
        MessageBox(boxes,
                   FormatPrintf(LoadString(IDS_ZERO_INDEX),
                                {static_cast<long long>(outcome.zeroIndexYear)}),
                   MB_OK);
    }
    m_report.AppendReportClosing(cible);
    m_lastRows = std::move(outcome.rows);

    if (m_delivery.writeReport) {
        const QString &reportPath =
            m_delivery.reportPath.isEmpty() ? m_strReportPath : m_delivery.reportPath;
        // Nothing on Linux keeps another program from replacing a file that
        // a word processor shows: its lock file is the only sign that it
        // does. One that cannot be read is trusted, but the user is told
        // where it lies so that a stale one can be removed.
        const WordProcessorLock lock = FindWordProcessorLock(reportPath);
        if (lock.held && lock.unreadable) {
            MessageBox(boxes,
                       FormatFrameworkMessage(LoadString(IDS_REPORT_LOCK_UNREADABLE),
                                              NativeFullPath(FollowedFilePath(reportPath)),
                                              NativeFullPath(lock.lockPath)),
                       MB_OK | MB_ICONSTOP);
            return false;
        }
        if (lock.held) {
            MessageBoxId(boxes, IDS_REPORT_FILE_ERROR, MB_OK | MB_ICONSTOP);
            return false;
        }
        const QByteArray &report =
            m_delivery.form == ReportForm::Tabs ? m_report.Tabs() : m_report.Table();
        // The report can always be calculated again: it is not flushed to
        // the disk, unlike the index table, the documents and the settings.
        if (!ShowWriteOutcome(WriteRecomputableFile(reportPath, report), reportPath,
                              IDS_REPORT_FILE_ERROR))
            return false;
    }

    // Beside the report, never in it: its bytes are the same either way.
    if (m_nControles != 0)
        m_notices =
            BuildRevisionNotices({m_doc, m_lastRows, today, m_indices, TableSeries(), settings});
    if (m_bCommandLine) {
        for (const RevisionNotice &notice : m_notices) {
            const QString line = QStringLiteral("Calvor: à vérifier : ") + notice.Line();
            if (m_noticeOutput)
                m_noticeOutput(line);
            else
                WriteStandardErrorLine(line);
        }
    }
    if (m_bCommandLine && m_delivery.exportResult)
        ExportResult();
    return true;
}

void CRevisionApp::SetNoticeOutput(std::function<void(const QString &line)> output) {
    m_noticeOutput = std::move(output);
}

void CRevisionApp::SetSeriesIdentifier(
    std::function<SeriesIdentification(const IndexTable &)> identify) {
    m_identify = std::move(identify);
    m_identification.reset();
}

std::optional<IndexSeries> CRevisionApp::TableSeries() {
    if (!m_identification || m_identifiedTable.Values() != m_indices.Values()) {
        m_identification = m_identify ? m_identify(m_indices) : IdentifyIndexSeries(m_indices);
        m_identifiedTable = m_indices;
    }
    return m_identification->series;
}

int CRevisionApp::ExportResult() {
    switch (m_nCible) {
    case 0:
        m_services.shell->OpenInAssociatedProgram(m_strReportPath);
        break;
    case 1:
        m_services.clipboard->SetRichText(m_cfRichText, m_report.Table());
        break;
    case 2:
        m_services.clipboard->SetRichText(m_cfRichText, m_report.Tabs());
        break;
    default:
        break;
    }
    return m_bCommandLine ? 0 : kDataDialog;
}

ReadStatus CRevisionApp::ReadIndexFile() {
    m_indexFileFacts = IndexFileFacts();
    const ReadStatus status = m_indices.ReadIndexFile(m_strIndicesPath, &m_indexFileFacts);
    if (status != ReadStatus::Ok)
        MessageBoxId(*m_services.messageBoxes, IDS_INDEX_FILE_ERROR, MB_OK | MB_ICONSTOP);
    return status;
}

void CRevisionApp::WriteIndexFile() {
    BackupOutcome backup = BackupOutcome::NotNeeded;
    const WriteStatus status = m_indices.WriteIndexFile(m_strIndicesPath, &backup);
    if (status == WriteStatus::Ok && backup == BackupOutcome::NotKept) {
        ShowIndexFileMessage(IDS_INDEX_BACKUP_NOT_KEPT);
        return;
    }
    // A file that is there and keeps its content (read-only, held by
    // another copy): the values typed stay in use for this run.
    if (status == WriteStatus::CannotCreate && PathExists(m_strIndicesPath)) {
        ShowIndexFileMessage(IDS_INDEX_FILE_NOT_SAVED);
        return;
    }
    if (!ShowWriteOutcome(status, m_strIndicesPath, IDS_INDEX_FILE_ERROR))
        PostQuitMessage(0);
}

void CRevisionApp::NormaliseIndexFile() {
    if (m_indexFileFacts.tooLarge) {
        ShowIndexFileMessage(IDS_INDEX_FILE_TOO_LARGE);
        return;
    }
    if (m_indexFileFacts.canonical)
        return;
    BackupOutcome backup = BackupOutcome::NotNeeded;
    const WriteStatus status = m_indices.WriteIndexFile(m_strIndicesPath, &backup);
    // The file has been read: whatever befalls the rewrite, its values are
    // the table's and the run goes on with them.
    switch (status) {
    case WriteStatus::Ok:
        if (backup == BackupOutcome::NotKept)
            ShowIndexFileMessage(IDS_INDEX_BACKUP_NOT_KEPT);
        break;
    case WriteStatus::CannotCreate:
        ShowIndexFileMessage(IDS_INDEX_FILE_NOT_REWRITTEN);
        break;
    case WriteStatus::WriteFailed:
        ShowWriteOutcome(status, m_strIndicesPath, IDS_INDEX_FILE_NOT_REWRITTEN);
        break;
    }
}

void CRevisionApp::ShowIndexFileMessage(unsigned id) {
    const QString file = FollowedFilePath(m_strIndicesPath);
    MessageBox(*m_services.messageBoxes,
               FormatFrameworkMessage(LoadString(id), NativeFullPath(file),
                                      NativeFullPath(BackupPathFor(file))),
               MB_OK | MB_ICONSTOP);
}

void CRevisionApp::ReadSettings() {
    const AppSettings s = ReadSettingsFrom(*m_services.settings, m_locale.currencySymbol);
    m_nCible = s.cible;
    m_strSymbole = s.symbole;
    m_nDate2000 = s.date2000;
    m_strAdresseInsee = s.adresseInsee;
    m_nControles = s.controles;
}

void CRevisionApp::WriteSettings() {
    WriteSettingsTo(*m_services.settings,
                    AppSettings{m_nCible, m_strSymbole, m_nDate2000, m_nControles});
}

OpenOutcome CRevisionApp::OpenDocument(const QString &path) {
    IMessageBoxService &boxes = *m_services.messageBoxes;
    const OpenOutcome outcome = ReadDocumentFile(m_doc, path);
    switch (outcome) {
    case OpenOutcome::Opened:
        break;
    case OpenOutcome::CannotOpen:
        MessageBoxId(boxes, IDS_OPEN_FAILED, MB_OK | MB_ICONSTOP);
        break;
    case OpenOutcome::NotADocument:
        MessageBoxId(boxes, IDS_NOT_A_DOCUMENT, MB_OK | MB_ICONSTOP);
        break;
    case OpenOutcome::CutShort:
        MessageBox(
            boxes,
            FormatFrameworkMessage(LoadString(IDS_END_OF_FILE), LoadString(IDS_UNNAMED_FILE)),
            MB_OK | MB_ICONSTOP);
        break;
    }
    return outcome;
}

void CRevisionApp::PromptOpenDocument() {
    const auto path = m_services.fileDialogs->GetOpenFileName(OpenDocumentRequest());
    if (path)
        OpenDocument(*path);
}

bool CRevisionApp::SaveDocument() {
    const auto path = m_services.fileDialogs->GetSaveFileName(SaveDocumentRequest());
    if (!path)
        return false;
    return ShowWriteOutcome(WriteDocumentFile(m_doc, *path), *path, IDS_SAVE_FAILED);
}

bool CRevisionApp::ShowWriteOutcome(WriteStatus status, const QString &path,
                                    unsigned cannotCreateId) {
    IMessageBoxService &boxes = *m_services.messageBoxes;
    switch (status) {
    case WriteStatus::Ok:
        return true;
    case WriteStatus::CannotCreate:
        MessageBoxId(boxes, cannotCreateId, MB_OK | MB_ICONSTOP);
        return false;
    case WriteStatus::WriteFailed:
        // The old file is still in place.
        MessageBox(boxes, FormatFrameworkMessage(LoadString(IDS_DISK_FULL), NativeFullPath(path)),
                   MB_OK | MB_ICONSTOP);
        return false;
    }
    return false;
}

void CRevisionApp::SaveWindowPosition(const IWindowGeometry &window) {
    DialogPosition position;
    position.SaveWindowPosition(window);
    m_nDlgLeft = position.left;
    m_nDlgTop = position.top;
}

void CRevisionApp::RestoreWindowPosition(IWindowGeometry &window) const {
    DialogPosition position;
    position.left = m_nDlgLeft;
    position.top = m_nDlgTop;
    position.RestoreWindowPosition(window);
}

QByteArray CRevisionApp::FormatMoney(double amount) const {
    return MoneyText(amount, m_strSymbole);
}
