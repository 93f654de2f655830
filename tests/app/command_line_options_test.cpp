// The command line: which form it takes, the options it reads, the mistakes
// it refuses; the manual page and the bash completion list the options of
// --help; the program prints help and version and refuses mistakes itself.

#include "app/command_line_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {

using Kind = CommandLineChoice::Kind;

struct LineCase {
    const char *name;
    std::vector<const char *> arguments; // after the program's name
    Kind kind;
    std::vector<const char *> documents; // or the one document of the one-document form
    const char *error = "";              // the beginning of the error line
    const char *output = "";
    ReportForm form = ReportForm::AsSettings;
    bool csv = false;
    const char *indices = "";
    bool update = false;
    const char *series = "";
    bool replace = false;
};

QStringList Words(const std::vector<const char *> &words) {
    QStringList list;
    for (const char *word : words)
        list.append(QString::fromUtf8(word));
    return list;
}

const std::vector<LineCase> &LineCases() {
    static const std::vector<LineCase> cases = {
        // The one-document form.
        {"no argument opens the dialogs", {}, Kind::Interactive, {}},
        {"blanks alone open the dialogs", {" ", ""}, Kind::Interactive, {}},
        {"one argument", {"bail.clv"}, Kind::SingleDocument, {"bail.clv"}},
        {"one argument naming no file", {"absent.clv"}, Kind::SingleDocument, {"absent.clv"}},
        {"a path with blanks as one argument",
         {"mon bail.clv"},
         Kind::SingleDocument,
         {"mon bail.clv"}},
        {"a path with blanks as several arguments",
         {"mon", "bail.clv"},
         Kind::SingleDocument,
         {"mon bail.clv"}},
        {"an existing file named like an option", {"-x.clv"}, Kind::SingleDocument, {"-x.clv"}},
        {"an existing file named like options and blanks",
         {"--help", "me.clv"},
         Kind::SingleDocument,
         {"--help me.clv"}},
        // Several documents.
        {"two documents", {"a.clv", "b.clv"}, Kind::Options, {"a.clv", "b.clv"}},
        {"words that join into no file are documents",
         {"mon", "absent.clv"},
         Kind::Options,
         {"mon", "absent.clv"}},
        {"a lone dash is a document", {"-", "a.clv"}, Kind::Options, {"-", "a.clv"}},
        // Each option.
        {"-h", {"-h"}, Kind::Help, {}},
        {"--help before a mistake", {"--help", "--bogus"}, Kind::Help, {}},
        {"--version", {"--version", "a.clv"}, Kind::Version, {}},
        {"-o PATH", {"-o", "r.rtf", "a.clv"}, Kind::Options, {"a.clv"}, "", "r.rtf"},
        {"-oPATH", {"-or.rtf", "a.clv"}, Kind::Options, {"a.clv"}, "", "r.rtf"},
        {"--output PATH after the documents",
         {"a.clv", "b.clv", "--output", "rapports/"},
         Kind::Options,
         {"a.clv", "b.clv"},
         {},
         "rapports/"},
        {"--output=PATH", {"--output=r.rtf", "a.clv"}, Kind::Options, {"a.clv"}, "", "r.rtf"},
        {"--format table",
         {"--format", "table", "a.clv"},
         Kind::Options,
         {"a.clv"},
         {},
         {},
         ReportForm::Table},
        {"--format=tab",
         {"--format=tab", "a.clv"},
         Kind::Options,
         {"a.clv"},
         {},
         {},
         ReportForm::Tabs},
        {"--csv",
         {"--csv", "a.clv"},
         Kind::Options,
         {"a.clv"},
         {},
         {},
         ReportForm::AsSettings,
         true},
        {"--indices FILE",
         {"--indices", "/usr/share/calvor/ILC.txt", "a.clv"},
         Kind::Options,
         {"a.clv"},
         {},
         {},
         ReportForm::AsSettings,
         false,
         "/usr/share/calvor/ILC.txt"},
        {"--update-indices alone",
         {"--update-indices"},
         Kind::Options,
         {},
         {},
         {},
         ReportForm::AsSettings,
         false,
         {},
         true},
        {"--update-indices SERIES --replace-differing",
         {"--update-indices", "ilc", "--replace-differing"},
         Kind::Options,
         {},
         {},
         {},
         ReportForm::AsSettings,
         false,
         {},
         true,
         "ilc",
         true},
        {"--update-indices=SERIES",
         {"--update-indices=IRL"},
         Kind::Options,
         {},
         {},
         {},
         ReportForm::AsSettings,
         false,
         {},
         true,
         "IRL"},
        // "--".
        {"-- ends the options",
         {"--csv", "--", "-x.clv", "--help"},
         Kind::Options,
         {"-x.clv", "--help"},
         {},
         {},
         ReportForm::AsSettings,
         true},
        {"-- before a document named like an option", {"--", "-x.clv"}, Kind::Options, {"-x.clv"}},
        // Mistakes.
        {"an unknown long option",
         {"--bogus", "a.clv"},
         Kind::UsageError,
         {},
         "option inconnue « --bogus »"},
        {"an unknown short option",
         {"-x", "a.clv"},
         Kind::UsageError,
         {},
         "option inconnue « -x »"},
        {"a document named like an option, not after --",
         {"-x.clv", "a.clv"},
         Kind::UsageError,
         {},
         "option inconnue « -x »"},
        {"an unknown option with a value",
         {"--bogus=1", "a.clv"},
         Kind::UsageError,
         {},
         "option inconnue « --bogus »"},
        {"a missing value",
         {"a.clv", "-o"},
         Kind::UsageError,
         {},
         "l'option « -o » demande une valeur"},
        {"a missing long value",
         {"a.clv", "--indices"},
         Kind::UsageError,
         {},
         "l'option « --indices » demande une valeur"},
        {"an empty path",
         {"--output=", "a.clv"},
         Kind::UsageError,
         {},
         "l'option « --output » demande"},
        {"a wrong form",
         {"--format", "rtf", "a.clv"},
         Kind::UsageError,
         {},
         "valeur « rtf » incorrecte"},
        {"a value for a flag",
         {"--csv=oui", "a.clv"},
         Kind::UsageError,
         {},
         "l'option « --csv » ne prend"},
        {"options without a document", {"--csv"}, Kind::UsageError, {}, "aucun document"},
        {"the update with a document",
         {"--update-indices", "a.clv"},
         Kind::UsageError,
         {},
         "--update-indices ne se combine"},
        {"--replace-differing alone",
         {"--replace-differing", "a.clv"},
         Kind::UsageError,
         {},
         "--replace-differing ne s'emploie"},
    };
    return cases;
}

TEST(CommandLineOptions, CommandLines) {
    const QSet<QString> files = {QStringLiteral("bail.clv"), QStringLiteral("mon bail.clv"),
                                 QStringLiteral("-x.clv"),   QStringLiteral("--help me.clv"),
                                 QStringLiteral("a.clv"),    QStringLiteral("b.clv")};
    const auto isFile = [&](const QString &path) { return files.contains(path); };
    const auto isSeries = [](const QString &word) {
        return Words({"IRL", "ILC", "ILAT", "ICC"}).contains(word, Qt::CaseInsensitive);
    };
    for (const LineCase &c : LineCases()) {
        SCOPED_TRACE(c.name);
        const CommandLineChoice choice = ChooseCommandLine(
            QStringList{QStringLiteral("calvor")} + Words(c.arguments), isFile, isSeries);
        ASSERT_EQ(choice.kind, c.kind) << choice.error.toStdString();
        if (c.kind == Kind::SingleDocument) {
            EXPECT_EQ(QStringList{choice.document}, Words(c.documents));
        }
        if (c.kind == Kind::UsageError) {
            EXPECT_TRUE(choice.error.startsWith(QString::fromUtf8(c.error)))
                << choice.error.toStdString();
        }
        if (c.kind != Kind::Options)
            continue;
        const CommandLineOptions &o = choice.options;
        EXPECT_EQ(o.documents, Words(c.documents));
        EXPECT_EQ(o.output, QString::fromUtf8(c.output));
        EXPECT_EQ(o.form, c.form);
        EXPECT_EQ(o.csv, c.csv);
        EXPECT_EQ(o.indicesFile, QString::fromUtf8(c.indices));
        EXPECT_EQ(o.updateIndices, c.update);
        EXPECT_EQ(o.series, QString::fromUtf8(c.series));
        EXPECT_EQ(o.replaceDiffering, c.replace);
    }
}

// The option words of a list: "-o", "--output", "--".
QSet<QString> OptionWords(const QString &text) {
    QSet<QString> words;
    static const QRegularExpression word(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*|--(?= |$))"));
    for (const QRegularExpressionMatch &m : word.globalMatch(text))
        words.insert(m.captured(1));
    return words;
}

QString ReadText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(CommandLineOptions, ManualPageAndCompletionListTheOptionsOfTheHelp) {
    // The help's option lines: "  -o, --output CHEMIN  ..." up to the two
    // blanks before the description.
    QStringList helpEntries;
    for (const QString &line : UsageText().split(u'\n'))
        if (line.startsWith(QLatin1String("  -")) || line.startsWith(QLatin1String("      --")))
            helpEntries.append(line.trimmed().section(QStringLiteral("  "), 0, 0));
    ASSERT_GE(helpEntries.size(), 9);

    // The manual page's: the line after each ".TP" of its OPTIONS section,
    // font changes and escaped dashes removed.
    const QString manual = ReadText(QStringLiteral(CALVOR_MANUAL_PAGE));
    ASSERT_FALSE(manual.isEmpty());
    const QString options =
        manual.section(QStringLiteral(".SH OPTIONS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    QStringList manualEntries;
    const QStringList lines = options.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == u".TP")
            manualEntries.append(QString(lines[i + 1])
                                     .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")))
                                     .replace(QStringLiteral("\\-"), QStringLiteral("-")));
    EXPECT_EQ(manualEntries, helpEntries);

    const QString completion = ReadText(QStringLiteral(CALVOR_BASH_COMPLETION));
    const QString listed =
        completion.section(QStringLiteral("local options=\""), 1).section(u'"', 0, 0);
    EXPECT_EQ(OptionWords(listed), OptionWords(helpEntries.join(u' ')));
}

// The program itself, for what ends before anything starts.
TEST(CommandLineOptions, ProgramAnswersHelpVersionAndMistakes) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    if (binary.isEmpty() || !QFileInfo::exists(binary))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    const struct {
        std::vector<const char *> arguments;
        int status;
        QString out; // the whole standard output, or a pattern for --version
        QString err;
    } cases[] = {
        {{"--help"}, 0, UsageText(), {}},
        {{"-h", "a.clv"}, 0, UsageText(), {}},
        {{"--version"}, 0, QStringLiteral("^calvor \\d+\\.\\d+\\.\\d+\\n$"), {}},
        {{"--bogus"}, 2, {}, UsageErrorText(QStringLiteral("option inconnue « --bogus »"))},
        {{"a.clv", "--output"},
         2,
         {},
         UsageErrorText(QStringLiteral("l'option « --output » demande une valeur (CHEMIN)"))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Words(c.arguments).join(u' ').toStdString());
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        run.setProcessEnvironment(env);
        run.start(binary, Words(c.arguments));
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), c.status);
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        if (c.out.startsWith(u'^'))
            EXPECT_TRUE(QRegularExpression(c.out).match(out).hasMatch()) << out.toStdString();
        else
            EXPECT_EQ(out, c.out);
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), c.err);
    }
}

} // namespace
