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
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

namespace {

// A program folder with its Indices.txt (second quarters 2000 to 2005),
// documents in "docs", the run started from the test's arguments.
class BatchRunTest : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        for (const char *sub : {"bin", "docs/a", "docs/b", "out"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromUtf8(sub)));
        const float values[] = {100.0f, 110.5f, 121.0f, 130.25f, 140.0f, 150.0f};
        for (int i = 0; i < 6; ++i)
            indices.Set(IndexTable::PositionOf(2000 + i, 1), values[i]);
        // Not in the canonical form, so that a start-up that rewrites it shows.
        userIndices = "; mes indices\r\n" + indices.IndexFileText();
        ASSERT_TRUE(WriteFileBytes(Path("bin/Indices.txt"), userIndices));
        settings.ints[QStringLiteral("Général/Cible")] = 1;
        settings.texts[QStringLiteral("Général/Symbole")] = QStringLiteral("€");

        CalcDocument late = SampleDocument(500.0);
        late.firstRevision = PackedDate::FromParts(11, 6, 2005);
        AddDocument("docs/un.clv", SampleDocument(500.0));
        AddDocument("docs/late.clv", late);
        AddDocument("docs/deux bail.clv", SampleDocument(1234.56));
        AddDocument("docs/a/bail.clv", SampleDocument(700.0));
        AddDocument("docs/b/bail.clv", SampleDocument(800.0));
        AddDocument("docs/-x.clv", SampleDocument(900.0));
        ReadDecimalSeparator(TestLocale::French());
    }

    void AddDocument(const char *name, const CalcDocument &doc) {
        ASSERT_TRUE(WriteFileBytes(Path(name), DocumentBytes(doc)));
        documents[QString::fromUtf8(name)] = doc;
    }
    QString Path(const char *name) const {
        return QDir(root.path()).filePath(QString::fromUtf8(name));
    }

    // Runs `arguments` from the root folder, where they name documents.
    int Run(const std::vector<const char *> &words) {
        QStringList arguments;
        for (const char *word : words)
            arguments.append(QString::fromUtf8(word));
        const QString before = QDir::currentPath();
        EXPECT_TRUE(QDir::setCurrent(root.path()));
        const int status = RunHere(arguments);
        QDir::setCurrent(before);
        return status;
    }
    int RunHere(const QStringList &arguments) {
        const CommandLineChoice choice =
            ChooseCommandLine(QStringList{QStringLiteral("calvor")} + arguments);
        EXPECT_EQ(choice.kind, CommandLineChoice::Options) << choice.error.toStdString();
        DocumentMessageBoxes messages([this](const QString &line) { errorLines.append(line); });
        AppServices services = As<AppServices>();
        services.messageBoxes = &messages;
        CRevisionApp app(services, TestLocale::French(), Path("bin"));
        if (prepare)
            prepare(app);
        return RunCommandLineOptions(
            app, choice.options, messages,
            RunStreams{[this](const QByteArray &bytes) { output += bytes; },
                       [this](const QString &line) { errorLines.append(line); }});
    }

    // The report of a document as the run builds it today.
    QByteArray Report(const char *name, int cible, bool tabs) const {
        const CalcDocument &doc = documents.at(QString::fromUtf8(name));
        const RevisionReport report =
            BuildRevisionReport(doc, CheckAndWalk(doc, indices), PackedDate::FromParts(8, 12, 2026),
                                ReportSettings{cible, QStringLiteral("€"), TestLocale::French()});
        return tabs ? report.Tabs() : report.Table();
    }

    std::function<void(CRevisionApp &)> prepare; // before the run, when set
    QTemporaryDir root;
    IndexTable indices;
    QByteArray userIndices;
    std::map<QString, CalcDocument> documents;
    QStringList errorLines;
    QByteArray output;
};

QString Message(unsigned id) {
    return LoadString(id).replace(u'\n', u' ');
}

struct ReportExpected {
    const char *path;     // relative to the root
    const char *document; // whose report it is
    int cible;            // as the report is built
    bool tabs;
};

struct BatchCase {
    const char *name;
    std::vector<const char *> arguments;
    int status;
    std::vector<ReportExpected> reports;
    std::vector<const char *> absent; // files the run must not write
    QStringList errors;               // "<document>|<message>", in order
    bool exported;
};

const std::vector<BatchCase> &BatchCases() {
    const QString late = Message(IDS_START_AFTER_END);
    const QString notOpened = Message(IDS_OPEN_FAILED);
    static const std::vector<BatchCase> cases = {
        {"a refused and a missing document in the middle do not stop the others",
         {"-o", "out", "docs/un.clv", "docs/late.clv", "docs/nothing.clv", "docs/deux bail.clv"},
         1,
         {{"out/un.rtf", "docs/un.clv", 1, false},
          {"out/deux bail.rtf", "docs/deux bail.clv", 1, false}},
         {"out/late.rtf", "out/nothing.rtf", "bin/Calcul.rtf"},
         {QStringLiteral("docs/late.clv|") + late, QStringLiteral("docs/nothing.clv|") + notOpened},
         false},
        {"without --output each report goes beside its document, nothing exported",
         {"docs/un.clv", "docs/deux bail.clv"},
         0,
         {{"docs/un.rtf", "docs/un.clv", 1, false},
          {"docs/deux bail.rtf", "docs/deux bail.clv", 1, false}},
         {"bin/Calcul.rtf"},
         {},
         false},
        {"one document and a report file, in the tab form",
         {"--format", "tab", "--output=out/r.rtf", "docs/un.clv"},
         0,
         {{"out/r.rtf", "docs/un.clv", 2, true}},
         {"bin/Calcul.rtf"},
         {},
         false},
        {"one document with options but no --output is exported from Calcul.rtf",
         {"--format=table", "--", "docs/-x.clv"},
         0,
         {{"bin/Calcul.rtf", "docs/-x.clv", 0, false}},
         {},
         {},
         true},
        {"two documents of the same name: the second would replace the first's report",
         {"-oout", "docs/a/bail.clv", "docs/b/bail.clv"},
         1,
         {{"out/bail.rtf", "docs/a/bail.clv", 1, false}},
         {},
         {QStringLiteral("docs/b/bail.clv|") + LoadString(IDS_REPORT_CLASH)},
         false},
        {"a report never replaces a calculation document",
         {"-o", "docs/un.clv", "docs/deux bail.clv"},
         1,
         {},
         {},
         {QStringLiteral("docs/deux bail.clv|") + LoadString(IDS_REPORT_CLASH)},
         false},
        {"--output naming a file for several documents",
         {"-o", "docs/un.clv", "docs/un.clv", "docs/deux bail.clv"},
         2,
         {},
         {"docs/un.rtf"},
         {QStringLiteral("Calvor|") + LoadString(IDS_OUTPUT_NOT_A_FOLDER)},
         false},
        {"the rows alone write no report",
         {"--csv", "docs/un.clv", "docs/late.clv"},
         1,
         {},
         {"docs/un.rtf", "bin/Calcul.rtf"},
         {QStringLiteral("docs/late.clv|") + late},
         false},
    };
    return cases;
}

TEST_F(BatchRunTest, DocumentsOfOneRun) {
    // The message's texts with their inserted path stripped: compared by
    // their beginning and end.
    const auto matches = [](const QString &line, const QString &expected) {
        const qsizetype bar = expected.indexOf(u'|');
        const QString document = expected.left(bar);
        const QString message = expected.mid(bar + 1);
        const qsizetype hole = message.indexOf(QLatin1String("%s"));
        const QString head = message.left(hole < 0 ? message.size() : hole);
        const QString tail = hole < 0 ? QString() : message.mid(hole + 2);
        return line.startsWith(document + QStringLiteral(": ") + head) && line.endsWith(tail);
    };
    for (const BatchCase &c : BatchCases()) {
        SCOPED_TRACE(c.name);
        errorLines.clear();
        output.clear();
        clipboard.calls.clear();
        for (const char *sub : {"out", "docs"})
            for (const QString &name : QDir(Path(sub)).entryList({QStringLiteral("*.rtf")}))
                QFile::remove(QDir(Path(sub)).filePath(name));
        QFile::remove(Path("bin/Calcul.rtf"));

        EXPECT_EQ(Run(c.arguments), c.status);
        for (const ReportExpected &r : c.reports)
            EXPECT_EQ(ReadFileBytes(Path(r.path)), Report(r.document, r.cible, r.tabs)) << r.path;
        for (const char *path : c.absent)
            EXPECT_FALSE(QFileInfo::exists(Path(path))) << path;
        ASSERT_EQ(errorLines.size(), c.errors.size()) << errorLines.join(u'\n').toStdString();
        for (qsizetype i = 0; i < c.errors.size(); ++i) {
            EXPECT_TRUE(matches(errorLines[i], c.errors[i])) << errorLines[i].toStdString();
        }
        EXPECT_EQ(clipboard.calls.size() + shell.opened.size(), c.exported ? 1u : 0u);
        // The user's index file was read and written back as every start
        // does; a run refused before its start leaves it alone.
        EXPECT_EQ(ReadFileBytes(Path("bin/Indices.txt")),
                  c.status == 2 ? userIndices : indices.IndexFileText());
        ASSERT_TRUE(WriteFileBytes(Path("bin/Indices.txt"), userIndices));
    }
}

// A notice of a batch names its document in front, as its messages do.
TEST_F(BatchRunTest, NoticesNameTheirDocument) {
    prepare = [](CRevisionApp &app) {
        app.SetSeriesIdentifier([](const IndexTable &) {
            SeriesIdentification irl;
            irl.series = IndexSeries::Irl;
            return irl;
        });
    };
    EXPECT_EQ(Run({"-o", "out", "docs/un.clv", "docs/deux bail.clv"}), 0);
    ASSERT_FALSE(errorLines.isEmpty());
    QStringList named;
    for (const QString &line : errorLines)
        named.append(line.section(QStringLiteral(": à vérifier : "), 0, 0));
    named.removeDuplicates();
    EXPECT_EQ(named,
              (QStringList{QStringLiteral("docs/un.clv"), QStringLiteral("docs/deux bail.clv")}))
        << errorLines.join(u'\n').toStdString();
}

TEST_F(BatchRunTest, CsvRowsAreThoseOfTheWalk) {
    EXPECT_EQ(Run({"--csv", "docs/un.clv", "docs/late.clv", "docs/deux bail.clv"}), 1);

    // Built here from the walk itself, without the CSV writer's helpers.
    QByteArray expected = "document,date,trimestre,indice,loyer\r\n";
    for (const char *name : {"docs/un.clv", "docs/deux bail.clv"}) {
        const CalcDocument &doc = documents.at(QString::fromUtf8(name));
        const RevisionOutcome walk = CheckAndWalk(doc, indices);
        ASSERT_EQ(walk.rows.size(), 5u);
        const QString field = QString::fromUtf8(name);
        for (std::size_t k = 0; k < walk.rows.size(); ++k) {
            const RevisionRow &row = walk.rows[k];
            expected += QStringLiteral("%1,%2-%3-%4,%5-Q2,%6,%7\r\n")
                            .arg(field)
                            .arg(row.date.Year())
                            .arg(row.date.Month(), 2, 10, QLatin1Char('0'))
                            .arg(row.date.Day(), 2, 10, QLatin1Char('0'))
                            .arg(2001 + k)
                            .arg(row.index, 0, 'f', 2)
                            .arg(row.rent, 0, 'f', 2)
                            .toUtf8();
        }
    }
    EXPECT_EQ(output, expected);
    EXPECT_TRUE(clipboard.calls.empty());
}

TEST(RevisionCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char *text;
        const char *field;
    } cases[] = {
        {"bail.clv", "bail.clv"},
        {"mon bail.clv", "mon bail.clv"},
        {"a,b.clv", "\"a,b.clv\""},
        {"dit \"x\".clv", "\"dit \"\"x\"\".clv\""},
        {"deux\nlignes", "\"deux\nlignes\""},
        {"é.clv", "é.clv"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(c.text)), QByteArray(c.field)) << c.text;
}

TEST_F(BatchRunTest, AnIndexFileForTheRunLeavesTheUsersOwnByteForByte) {
    // The run's table doubles every index: the rent stays, the report differs.
    IndexTable doubled;
    for (int year = 2000; year <= 2005; ++year) {
        const int position = IndexTable::PositionOf(year, 1);
        doubled.Set(position, indices.At(position) * 2);
    }
    ASSERT_TRUE(WriteFileBytes(Path("docs/run.txt"), doubled.IndexFileText()));
    EXPECT_EQ(Run({"--indices", "docs/run.txt", "-o", "out", "docs/un.clv"}), 0);
    EXPECT_EQ(ReadFileBytes(Path("bin/Indices.txt")), userIndices);
    EXPECT_EQ(ReadFileBytes(Path("docs/run.txt")), doubled.IndexFileText());
    indices = doubled;
    EXPECT_EQ(ReadFileBytes(Path("out/un.rtf")), Report("docs/un.clv", 1, false));

    // An index file that cannot be read computes nothing.
    errorLines.clear();
    EXPECT_EQ(Run({"--indices", "docs/none.txt", "-o", "out/x.rtf", "docs/un.clv"}), 1);
    EXPECT_FALSE(QFileInfo::exists(Path("out/x.rtf")));
    ASSERT_EQ(errorLines.size(), 1);
    EXPECT_TRUE(errorLines[0].startsWith(QStringLiteral("Calvor: Le fichier d'indices ")));
    EXPECT_EQ(ReadFileBytes(Path("bin/Indices.txt")), userIndices);
}

// The program itself on the same folder: the messages of a batch reach
// standard error after the document's name, and no box waits.
TEST_F(BatchRunTest, ProgramRunsABatch) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    if (binary.isEmpty() || !QFileInfo::exists(binary))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    ASSERT_TRUE(QFile::copy(binary, Path("bin/calvor")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), Path("out"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("out"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(root.path());
    run.start(Path("bin/calvor"),
              {QStringLiteral("-o"), QStringLiteral("out/"), QStringLiteral("docs/un.clv"),
               QStringLiteral("docs/late.clv"), QStringLiteral("docs/deux bail.clv")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()),
              QStringLiteral("docs/late.clv: ") + LoadString(IDS_START_AFTER_END) + u'\n');
    EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
    for (const char *report : {"out/un.rtf", "out/deux bail.rtf"})
        EXPECT_TRUE(QFileInfo(Path(report)).size() > 0) << report;
    EXPECT_FALSE(QFileInfo::exists(Path("out/late.rtf")));
}

TEST(ReportFileName, ClvBecomesRtf) {
    const struct {
        const char *document;
        const char *report;
    } cases[] = {
        {"bail.clv", "bail.rtf"},       {"/a/b/Bail 2.CLV", "Bail 2.rtf"}, {"bail", "bail.rtf"},
        {"notes.rtf", "notes.rtf.rtf"}, {"x.clv.clv", "x.clv.rtf"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReportFileName(QString::fromUtf8(c.document)), QString::fromUtf8(c.report));
}

} // namespace
