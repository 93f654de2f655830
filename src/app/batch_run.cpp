#include "app/batch_run.h"

#include "app/revision_app.h"
#include "app/revision_csv.h"
#include "platform/file_io.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/display.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <vector>

namespace {

// What a run does with one document's report.
struct ReportPlan {
    CommandLineDelivery delivery;
    bool clash = false; // it would replace a document or another report
};

// One name for every path of the same file, existing or not.
QString FileKey(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// An existing file that reads as a calculation document: a report must
// never take its place, whatever --output says.
bool IsCalculationDocument(const QString &path) {
    const ReadResult start = ReadWholeFile(path, 3);
    return start.status == ReadStatus::Ok && start.bytes == "CLV";
}

bool NamesAFolder(const QString &path) {
    return path.endsWith(u'/') || QFileInfo(path).isDir();
}

std::vector<ReportPlan> PlanReports(const CommandLineOptions &options) {
    const qsizetype count = options.documents.size();
    std::vector<ReportPlan> plans(static_cast<std::size_t>(count));
    QSet<QString> documents;
    for (const QString &document : options.documents)
        documents.insert(FileKey(document));
    QSet<QString> reports;
    for (qsizetype i = 0; i < count; ++i) {
        const QString &document = options.documents[i];
        CommandLineDelivery &delivery = plans[static_cast<std::size_t>(i)].delivery;
        delivery.form = options.form;
        delivery.calculateUnopened = false;
        // One document without --output goes to Calcul.rtf and is exported,
        // as in the one-document form; the rows alone write no report.
        delivery.exportResult = count == 1 && options.output.isEmpty() && !options.csv;
        if (options.output.isEmpty()) {
            if (options.csv)
                delivery.writeReport = false;
            else if (count > 1)
                delivery.reportPath = QFileInfo(document).dir().filePath(ReportFileName(document));
        } else if (count == 1 && !NamesAFolder(options.output)) {
            delivery.reportPath = options.output;
        } else {
            delivery.reportPath = QDir(options.output).filePath(ReportFileName(document));
        }
        if (delivery.writeReport && !delivery.reportPath.isEmpty()) {
            const QString key = FileKey(delivery.reportPath);
            plans[static_cast<std::size_t>(i)].clash = documents.contains(key) ||
                                                       reports.contains(key) ||
                                                       IsCalculationDocument(delivery.reportPath);
            reports.insert(key);
        }
    }
    return plans;
}

// The folder several reports go into: made when missing. 0 when ready,
// else the exit status after its message.
int PrepareOutputFolder(const CommandLineOptions &options, IMessageBoxService &boxes) {
    if (options.output.isEmpty() ||
        (options.documents.size() == 1 && !options.output.endsWith(u'/')))
        return 0;
    const QFileInfo info(options.output);
    const QString shown = QDir::toNativeSeparators(options.output);
    if (info.exists() && !info.isDir()) {
        MessageBox(boxes, FormatPrintf(LoadString(IDS_OUTPUT_NOT_A_FOLDER), {shown}),
                   MB_OK | MB_ICONSTOP);
        return 2;
    }
    if (!QDir().mkpath(options.output)) {
        MessageBox(boxes, FormatPrintf(LoadString(IDS_OUTPUT_FOLDER_FAILED), {shown}),
                   MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}

void WriteStream(std::FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

RunStreams RunStreams::Standard() {
    return RunStreams{[](const QByteArray &bytes) { WriteStream(stdout, bytes); },
                      [](const QString &line) { WriteStandardErrorLine(line); }};
}

DocumentMessageBoxes::DocumentMessageBoxes(std::function<void(const QString &)> writeLine)
    : m_writeLine(std::move(writeLine)) {}

int DocumentMessageBoxes::Show(const QString &caption, const QString &text, unsigned flags) {
    QString line = text;
    line.replace(u'\n', u' ');
    m_writeLine((m_document.isEmpty() ? caption : m_document) + QStringLiteral(": ") + line);
    return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

QString ReportFileName(const QString &document) {
    QString name = QFileInfo(document).fileName();
    if (name.endsWith(QLatin1String(".clv"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QStringLiteral(".rtf");
}

int RunCommandLineOptions(CRevisionApp &app, const CommandLineOptions &options,
                          DocumentMessageBoxes &boxes, const RunStreams &streams) {
    boxes.SetDocument(QString());
    if (const int status = PrepareOutputFolder(options, boxes); status != 0)
        return status;
    if (!options.indicesFile.isEmpty())
        app.SetIndexFileForRun(options.indicesFile);
    if (!app.StartUp()) {
        app.ExitInstance();
        return 1;
    }
    if (options.updateIndices) {
        const int status =
            app.UpdateIndicesFromCommandLine(options.series, options.replaceDiffering);
        app.ExitInstance();
        return status;
    }

    const std::vector<ReportPlan> plans = PlanReports(options);
    // A notice names its document in front, as every message of a batch
    // does, in the place of the program's name.
    QString current;
    app.SetNoticeOutput([&current, &streams](const QString &line) {
        const QString program = QStringLiteral("Calvor: ");
        streams.writeErrorLine(current + QStringLiteral(": ") +
                               (line.startsWith(program) ? line.mid(program.size()) : line));
    });
    if (options.csv)
        streams.writeOutput(RevisionCsvHeader());
    bool failed = false;
    for (qsizetype i = 0; i < options.documents.size(); ++i) {
        const QString &document = options.documents[i];
        const ReportPlan &plan = plans[static_cast<std::size_t>(i)];
        boxes.SetDocument(document);
        current = document;
        if (plan.clash) {
            MessageBox(boxes,
                       FormatPrintf(LoadString(IDS_REPORT_CLASH),
                                    {QDir::toNativeSeparators(plan.delivery.reportPath)}),
                       MB_OK | MB_ICONSTOP);
            failed = true;
            continue;
        }
        if (!app.CalculateDocument(document, plan.delivery)) {
            failed = true;
            continue;
        }
        if (options.csv)
            streams.writeOutput(RevisionCsvRows(document, app.m_doc, app.LastRows()));
    }
    boxes.SetDocument(QString());
    app.SetNoticeOutput(nullptr);
    const int status = app.ExitInstance();
    return failed || status != 0 ? 1 : 0;
}
