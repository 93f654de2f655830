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

using namespace Qt::StringLiterals;

// What a command line gave, in one line: its form, then the documents and
// the options set ("a.clv|b.clv -o r.rtf --format tab --csv ..."), or the
// one document, or the error.
QString Summary(const CommandLineChoice &choice) {
    // In the order of CommandLineChoice::Kind; a document or an error follows.
    static const QStringList kinds{u"dialogs"_s, u"one: "_s,   QString(),
                                   u"help"_s,    u"version"_s, u"error: "_s};
    if (choice.kind != CommandLineChoice::Options)
        return kinds[choice.kind] + choice.document + choice.error;
    const CommandLineOptions &o = choice.options;
    const QString form = o.form == ReportForm::Table ? u" --format table"_s : u" --format tab"_s;
    return o.documents.join(u'|') + (o.output.isEmpty() ? QString() : u" -o "_s + o.output) +
           (o.form == ReportForm::AsSettings ? QString() : form) +
           (o.csv ? u" --csv"_s : QString()) +
           (o.indicesFile.isEmpty() ? QString() : u" --indices "_s + o.indicesFile) +
           (o.updateIndices ? (u" --update-indices "_s + o.series).trimmed().prepend(u' ')
                            : QString()) +
           (o.replaceDiffering ? u" --replace-differing"_s : QString());
}

// Arguments after the program's name, separated by "|"; the files that exist
// are "mon bail.clv", "-x.clv", "a.clv" and "b.clv". The program itself is
// run with those marked, where it must answer as the choice says.
const struct CommandLineCase {
    const char *arguments;
    const char *summary; // an error's beginning is enough
    bool run = false;
} kCommandLines[] = {
    // The one-document form: the whole line naming a file wins.
    {"", "dialogs"},
    {"absent.clv", "one: absent.clv"},
    {"mon bail.clv", "one: mon bail.clv"},
    {"mon|bail.clv", "one: mon bail.clv"},
    {"-x.clv", "one: -x.clv"},
    // Several documents, and each option.
    {"mon|absent.clv", "mon|absent.clv"},
    {"--help|--bogus", "help", true},
    {"--version|a.clv", "version", true},
    {"-or.rtf|a.clv", "a.clv -o r.rtf"},
    {"a.clv|b.clv|--output|rapports/", "a.clv|b.clv -o rapports/"},
    {"--format|table|a.clv", "a.clv --format table"},
    {"--format=tab|a.clv", "a.clv --format tab"},
    {"--indices|/usr/share/calvor/ILC.txt|a.clv", "a.clv --indices /usr/share/calvor/ILC.txt"},
    {"--update-indices", " --update-indices"},
    {"--update-indices|ilc|--replace-differing", " --update-indices ilc --replace-differing"},
    {"--csv|--|-x.clv|--help", "-x.clv|--help --csv"},
    // Mistakes.
    {"--bogus|a.clv", "error: option inconnue « --bogus »", true},
    {"-x.clv|a.clv", "error: option inconnue « -x »"},
    {"a.clv|-o", "error: l'option « -o » demande une valeur (CHEMIN)", true},
    {"--output=|a.clv", "error: l'option « --output » demande un chemin non vide"},
    {"--format|rtf|a.clv", "error: valeur « rtf » incorrecte pour « --format »"},
    {"--csv=oui|a.clv", "error: l'option « --csv » ne prend pas de valeur"},
    {"--csv", "error: aucun document"},
    {"--update-indices|a.clv", "error: --update-indices ne se combine"},
    {"--replace-differing|a.clv", "error: --replace-differing ne s'emploie"},
};

QStringList Arguments(const CommandLineCase &c) {
    return QString::fromUtf8(c.arguments).split(u'|', Qt::SkipEmptyParts);
}

TEST(CommandLineOptions, CommandLines) {
    const QStringList files{u"mon bail.clv"_s, u"-x.clv"_s, u"a.clv"_s, u"b.clv"_s};
    const auto isFile = [&](const QString &path) { return files.contains(path); };
    const auto isSeries = [](const QString &word) {
        return QStringList{u"IRL"_s, u"ILC"_s, u"ILAT"_s, u"ICC"_s}.contains(word,
                                                                             Qt::CaseInsensitive);
    };
    for (const CommandLineCase &c : kCommandLines) {
        const QString summary =
            Summary(ChooseCommandLine(QStringList{u"calvor"_s} + Arguments(c), isFile, isSeries));
        const QString expected = QString::fromUtf8(c.summary);
        EXPECT_TRUE(expected.startsWith("error: "_L1) ? summary.startsWith(expected)
                                                      : summary == expected)
            << c.arguments << " gave " << summary.toStdString();
    }
}

QString ReadText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(CommandLineOptions, ManualPageAndCompletionListTheOptionsOfTheHelp) {
    // The help's option lines ("  -o, --output CHEMIN  ..." up to the two
    // blanks before the description); the manual page's line after each
    // ".TP" of its OPTIONS section, font changes and escaped dashes removed.
    QStringList help, manual;
    for (const QString &line : UsageText().split(u'\n'))
        if (line.startsWith("  -"_L1) || line.startsWith("      --"_L1))
            help.append(line.trimmed().section(u"  "_s, 0, 0));
    ASSERT_GE(help.size(), 9);
    const QStringList lines = ReadText(QStringLiteral(CALVOR_MANUAL_PAGE))
                                  .section(u".SH OPTIONS\n"_s, 1)
                                  .section(u"\n.SH "_s, 0, 0)
                                  .split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == u".TP")
            manual.append(QString(lines[i + 1])
                              .remove(QRegularExpression(u"\\\\f[BIRP]"_s))
                              .replace(u"\\-"_s, u"-"_s));
    EXPECT_EQ(manual, help);

    // The completion's option words ("-o", "--output", "--") are the help's.
    const auto words = [](const QString &text) {
        QSet<QString> found;
        static const QRegularExpression word(u"(?<![\\w-])(--?[a-z][a-z-]*|--(?= |$))"_s);
        for (const QRegularExpressionMatch &m : word.globalMatch(text))
            found.insert(m.captured(1));
        return found;
    };
    const QString completion = ReadText(QStringLiteral(CALVOR_BASH_COMPLETION));
    EXPECT_EQ(words(completion.section(u"local options=\""_s, 1).section(u'"', 0, 0)),
              words(help.join(u' ')));
}

// The program itself, for what ends before anything starts: help and
// version on standard output, a mistake on standard error with status 2.
TEST(CommandLineOptions, ProgramAnswersHelpVersionAndMistakes) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    if (binary.isEmpty() || !QFileInfo::exists(binary))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    for (const CommandLineCase &c : kCommandLines) {
        if (!c.run)
            continue;
        SCOPED_TRACE(c.arguments);
        const CommandLineChoice choice = ChooseCommandLine(QStringList{u"calvor"_s} + Arguments(c));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        run.setProcessEnvironment(env);
        run.start(binary, Arguments(c));
        ASSERT_TRUE(run.waitForFinished(60000));
        const bool error = choice.kind == CommandLineChoice::UsageError;
        EXPECT_EQ(run.exitCode(), error ? 2 : 0);
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        if (choice.kind == CommandLineChoice::Version)
            EXPECT_TRUE(
                QRegularExpression(u"^calvor \\d+\\.\\d+\\.\\d+\\n$"_s).match(out).hasMatch())
                << out.toStdString();
        else
            EXPECT_EQ(out, choice.kind == CommandLineChoice::Help ? UsageText() : QString());
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()),
                  error ? UsageErrorText(choice.error) : QString());
    }
}

} // namespace
