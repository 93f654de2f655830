// Command-line runs given options, in process: several documents in one
// start-up, a failed one among them, the reports' places and forms, the CSV
// rows, and an index file for the run that leaves the user's own alone.

#include "app/batch_run.h"
#include "app/command_line_options.h"
#include "app/revision_app.h"
#include "app/revision_csv.h"
#include "document/calc_document_file.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "platform/string_table.h"
#include "support/fakes.h"
#include "support/sample_document.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <map>

namespace {

using namespace Qt::StringLiterals;

// A program folder with its Indices.txt (second quarters 2000 to 2005),
// documents in "docs" with "docs/run.txt", the same table doubled, and the
// run started from the test's arguments.
class BatchRunTest : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        for (const char *sub : {"bin", "docs/a", "docs/b", "out"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromUtf8(sub)));
        const float values[] = {100.0f, 110.5f, 121.0f, 130.25f, 140.0f, 150.0f};
        for (int i = 0; i < 6; ++i) {
            indices.Set(IndexTable::PositionOf(2000 + i, 1), values[i]);
            doubled.Set(IndexTable::PositionOf(2000 + i, 1), values[i] * 2);
        }
        // Not in the canonical form, so that a start-up that rewrites it shows.
        userIndices = "; mes indices\r\n" + indices.IndexFileText();
        ASSERT_TRUE(WriteFileBytes(Path("bin/Indices.txt"), userIndices));
        ASSERT_TRUE(WriteFileBytes(Path("docs/run.txt"), doubled.IndexFileText()));
        settings.ints[u"Général/Cible"_s] = 1;
        settings.texts[u"Général/Symbole"_s] = u"€"_s;

        CalcDocument late = SampleDocument(500.0);
        late.firstRevision = PackedDate::FromParts(11, 6, 2005);
        const std::pair<const char *, CalcDocument> docs[] = {
            {"docs/un.clv", SampleDocument(500.0)},
            {"docs/late.clv", late},
            {"docs/deux bail.clv", SampleDocument(1234.56)},
            {"docs/a/bail.clv", SampleDocument(700.0)},
            {"docs/b/bail.clv", SampleDocument(800.0)},
            {"docs/-x.clv", SampleDocument(900.0)}};
        for (const auto &[name, doc] : docs) {
            ASSERT_TRUE(WriteFileBytes(Path(name), DocumentBytes(doc)));
            documents[QString::fromUtf8(name)] = doc;
        }
        ReadDecimalSeparator(TestLocale::French());
    }

    QString Path(const QString &name) const { return QDir(root.path()).filePath(name); }
    QString Path(const char *name) const { return Path(QString::fromUtf8(name)); }

    // Runs `arguments` ("|" between them) from the root folder, where they
    // name documents.
    int Run(const char *arguments) {
        const CommandLineChoice choice =
            ChooseCommandLine(QStringList{u"calvor"_s} + QString::fromUtf8(arguments).split(u'|'));
        EXPECT_EQ(choice.kind, CommandLineChoice::Options) << choice.error.toStdString();
        const auto errorLine = [this](const QString &line) { errorLines.append(line); };
        DocumentMessageBoxes messages(errorLine);
        AppServices services = As<AppServices>();
        services.messageBoxes = &messages;
        const QString before = QDir::currentPath();
        EXPECT_TRUE(QDir::setCurrent(root.path()));
        CRevisionApp app(services, TestLocale::French(), Path("bin"));
        if (prepare)
            prepare(app);
        const int status = RunCommandLineOptions(
            app, choice.options, messages,
            RunStreams{[this](const QByteArray &bytes) { output += bytes; }, errorLine});
        QDir::setCurrent(before);
        return status;
    }

    // The report of a document as the run builds it today.
    QByteArray Report(const QString &name, int cible, bool tabs, const IndexTable &table) const {
        const CalcDocument &doc = documents.at(name);
        const RevisionReport report =
            BuildRevisionReport(doc, CheckAndWalk(doc, table), PackedDate::FromParts(8, 12, 2026),
                                ReportSettings{cible, u"€"_s, TestLocale::French()});
        return tabs ? report.Tabs() : report.Table();
    }

    // The CSV rows of documents, built from the walk itself, not with the CSV writer.
    QByteArray CsvRows(const char *names) const {
        QByteArray rows = "document,date,trimestre,indice,loyer\r\n";
        for (const QString &name : QString::fromUtf8(names).split(u'|')) {
            const RevisionOutcome walk = CheckAndWalk(documents.at(name), indices);
            EXPECT_EQ(walk.rows.size(), 5u);
            for (std::size_t k = 0; k < walk.rows.size(); ++k) {
                const PackedDate d = walk.rows[k].date;
                rows += name.toUtf8() + QString::asprintf(",%u-%02u-%02u,%zu-Q2,%.2f,%.2f\r\n",
                                                          d.Year(), d.Month(), d.Day(), 2001 + k,
                                                          walk.rows[k].index, walk.rows[k].rent)
                                            .toUtf8();
            }
        }
        return rows;
    }

    // The reports under the root, by path relative to it.
    QStringList Reports() const {
        QStringList found;
        for (QDirIterator it(root.path(), {u"*.rtf"_s}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            found.append(QDir(root.path()).relativeFilePath(it.next()));
        found.sort();
        return found;
    }

    std::function<void(CRevisionApp &)> prepare; // before the run, when set
    QTemporaryDir root;
    IndexTable indices, doubled;
    QByteArray userIndices;
    std::map<QString, CalcDocument> documents;
    QStringList errorLines;
    QByteArray output;
};

// A run's arguments ("|" between them), exit status, every report and whose
// it is, the lines on standard error in order (a document or "Calvor", and its
// message), and the documents whose CSV rows reach standard output. A report
// has the form of --format, else the settings'; with docs/run.txt, it comes
// from the doubled table.
const struct BatchCase {
    const char *arguments;
    int status;
    const char *reports; // "report=document|..."
    std::vector<std::pair<const char *, unsigned>> errors;
    const char *csv = nullptr;
} kBatchCases[] = {
    // clang-format off
    // A refused and a missing document in the middle do not stop the others.
    {"-o|out|docs/un.clv|docs/late.clv|docs/nothing.clv|docs/deux bail.clv", 1,
     "out/deux bail.rtf=docs/deux bail.clv|out/un.rtf=docs/un.clv",
     {{"docs/late.clv", IDS_START_AFTER_END}, {"docs/nothing.clv", IDS_OPEN_FAILED}}},
    // Without --output each report goes beside its document, nothing exported.
    {"docs/un.clv|docs/deux bail.clv", 0,
     "docs/deux bail.rtf=docs/deux bail.clv|docs/un.rtf=docs/un.clv", {}},
    {"--format|tab|--output=out/r.rtf|docs/un.clv", 0, "out/r.rtf=docs/un.clv", {}},
    // One document with options but no --output is exported from Calcul.rtf.
    {"--format=table|--|docs/-x.clv", 0, "bin/Calcul.rtf=docs/-x.clv", {}},
    // A report never replaces another document's, nor a calculation document.
    {"-oout|docs/a/bail.clv|docs/b/bail.clv", 1, "out/bail.rtf=docs/a/bail.clv",
     {{"docs/b/bail.clv", IDS_REPORT_CLASH}}},
    {"-o|docs/un.clv|docs/deux bail.clv", 1, "", {{"docs/deux bail.clv", IDS_REPORT_CLASH}}},
    {"-o|docs/un.clv|docs/un.clv|docs/deux bail.clv", 2, "", {{"Calvor", IDS_OUTPUT_NOT_A_FOLDER}}},
    {"--csv|docs/un.clv|docs/late.clv|docs/deux bail.clv", 1, "",
     {{"docs/late.clv", IDS_START_AFTER_END}}, "docs/un.clv|docs/deux bail.clv"},
    // The run's own index file: the rent stays, the report differs; one that
    // cannot be read computes nothing.
    {"--indices|docs/run.txt|-o|out|docs/un.clv", 0, "out/un.rtf=docs/un.clv", {}},
    {"--indices|docs/none.txt|-o|out/x.rtf|docs/un.clv", 1, "",
     {{"Calvor", IDS_RUN_INDEX_FILE_UNREADABLE}}},
    // clang-format on
};

TEST_F(BatchRunTest, DocumentsOfOneRun) {
    for (const BatchCase &c : kBatchCases) {
        SCOPED_TRACE(c.arguments);
        errorLines.clear();
        output.clear();
        clipboard.calls.clear();
        for (const QString &report : Reports())
            QFile::remove(Path(report));
        const QString arguments = QString::fromUtf8(c.arguments);
        const bool ownIndices = arguments.contains("--indices"_L1);
        const int cible = arguments.contains("--format|tab"_L1)     ? 2
                          : arguments.contains("--format=table"_L1) ? 0
                                                                    : 1;

        EXPECT_EQ(Run(c.arguments), c.status);
        QStringList paths;
        for (const QString &pair : QString::fromUtf8(c.reports).split(u'|', Qt::SkipEmptyParts)) {
            paths.append(pair.section(u'=', 0, 0));
            EXPECT_EQ(
                ReadFileBytes(Path(paths.last())),
                Report(pair.section(u'=', 1), cible, cible == 2, ownIndices ? doubled : indices))
                << paths.last().toStdString();
        }
        EXPECT_EQ(Reports(), paths);
        EXPECT_EQ(clipboard.calls.size() + shell.opened.size(),
                  paths.contains(u"bin/Calcul.rtf"_s) ? 1u : 0u);
        // Each message's text up to its inserted path.
        ASSERT_EQ(errorLines.size(), qsizetype(c.errors.size()))
            << errorLines.join(u'\n').toStdString();
        for (std::size_t i = 0; i < c.errors.size(); ++i)
            EXPECT_TRUE(errorLines[qsizetype(i)].startsWith(
                QString::fromUtf8(c.errors[i].first) + u": "_s +
                LoadString(c.errors[i].second).replace(u'\n', u' ').section(u"%s"_s, 0, 0)))
                << errorLines[qsizetype(i)].toStdString();
        EXPECT_EQ(output, c.csv ? CsvRows(c.csv) : QByteArray());
        // No document nor the run's index file is written; the user's index
        // file was read and written back as every start does, unless the
        // run was refused before its start or used its own.
        for (const auto &[name, doc] : documents)
            EXPECT_EQ(ReadFileBytes(Path(name)), DocumentBytes(doc)) << name.toStdString();
        EXPECT_EQ(ReadFileBytes(Path("docs/run.txt")), doubled.IndexFileText());
        EXPECT_EQ(ReadFileBytes(Path("bin/Indices.txt")),
                  c.status == 2 || ownIndices ? userIndices : indices.IndexFileText());
        ASSERT_TRUE(WriteFileBytes(Path("bin/Indices.txt"), userIndices));
    }
}

// A notice of a batch names its document in front, as its messages do.
TEST_F(BatchRunTest, NoticesNameTheirDocument) {
    prepare = [](CRevisionApp &app) {
        app.SetSeriesIdentifier(
            [](const IndexTable &) { return SeriesIdentification{.series = IndexSeries::Irl}; });
    };
    EXPECT_EQ(Run("-o|out|docs/un.clv|docs/deux bail.clv"), 0);
    QStringList named;
    for (const QString &line : errorLines)
        named.append(line.section(u": à vérifier : "_s, 0, 0));
    named.removeDuplicates();
    EXPECT_EQ(named, (QStringList{u"docs/un.clv"_s, u"docs/deux bail.clv"_s}));
}

TEST(RevisionCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<const char *, const char *> cases[] = {
        {"mon bail.clv", "mon bail.clv"},
        {"dit \"x\",\ny.clv", "\"dit \"\"x\"\",\ny.clv\""},
    };
    for (const auto &[text, field] : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(text)), QByteArray(field)) << text;
}

// The program itself on the same folder: the messages of a batch reach
// standard error after the document's name, and no box waits.
TEST_F(BatchRunTest, ProgramRunsABatch) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    if (binary.isEmpty() || !QFile::copy(binary, Path("bin/calvor")))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    for (const char *name : {"HOME", "XDG_CONFIG_HOME"})
        env.insert(QString::fromLatin1(name), Path("out"));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"LC_ALL"_s, u"fr_FR.UTF-8"_s);
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(root.path());
    run.start(
        Path("bin/calvor"),
        QString::fromUtf8("-o|out/|docs/un.clv|docs/late.clv|docs/deux bail.clv").split(u'|'));
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()),
              u"docs/late.clv: "_s + LoadString(IDS_START_AFTER_END) + u'\n');
    EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(QFileInfo(Path("out/un.rtf")).size() > 0);
}

// A report never takes the name of the document it comes from.
TEST(ReportFileName, ClvBecomesRtf) {
    const std::pair<const char *, const char *> cases[] = {
        {"/a/b/Bail 2.CLV", "Bail 2.rtf"}, {"notes.rtf", "notes.rtf.rtf"}, {"bail", "bail.rtf"}};
    for (const auto &[document, report] : cases)
        EXPECT_EQ(ReportFileName(QString::fromUtf8(document)), QString::fromUtf8(report));
}

} // namespace
