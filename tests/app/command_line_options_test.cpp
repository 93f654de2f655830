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

QStringList Words(const std::vector<const char *> &words) {
    QStringList list;
    for (const char *word : words)
        list.append(QString::fromUtf8(word));
    return list;
}

// What a command line gave, in one line: its form, then the documents and
// the options set ("a.clv|b.clv -o r.rtf --format tab --csv ..."), or the
// one document, or the error.
QString Summary(const CommandLineChoice &choice) {
    switch (choice.kind) {
    case CommandLineChoice::Interactive:
        return QStringLiteral("dialogs");
    case CommandLineChoice::SingleDocument:
        return QStringLiteral("one: ") + choice.document;
    case CommandLineChoice::Help:
        return QStringLiteral("help");
    case CommandLineChoice::Version:
        return QStringLiteral("version");
    case CommandLineChoice::UsageError:
        return QStringLiteral("error: ") + choice.error;
    case CommandLineChoice::Options:
        break;
    }
    const CommandLineOptions &o = choice.options;
    QStringList parts{o.documents.join(u'|')};
    if (!o.output.isEmpty())
        parts << QStringLiteral("-o ") + o.output;
    if (o.form != ReportForm::AsSettings)
        parts << QStringLiteral("--format ") + (o.form == ReportForm::Table
                                                    ? QStringLiteral("table")
                                                    : QStringLiteral("tab"));
    if (o.csv)
        parts << QStringLiteral("--csv");
    if (!o.indicesFile.isEmpty())
        parts << QStringLiteral("--indices ") + o.indicesFile;
    if (o.updateIndices)
        parts << (QStringLiteral("--update-indices ") + o.series).trimmed();
    if (o.replaceDiffering)
        parts << QStringLiteral("--replace-differing");
    return parts.join(u' ');
}

TEST(CommandLineOptions, CommandLines) {
    // Arguments after the program's name, separated by "|"; the files
    // that exist are those of `files`.
    const struct {
        const char *arguments;
        const char *summary; // an error's beginning is enough
    } cases[] = {
        // The one-document form.
        {"", "dialogs"},
        {" |", "dialogs"},
        {"bail.clv", "one: bail.clv"},
        {"absent.clv", "one: absent.clv"},
        {"mon bail.clv", "one: mon bail.clv"},
        {"mon|bail.clv", "one: mon bail.clv"},
        {"-x.clv", "one: -x.clv"},
        {"--help|me.clv", "one: --help me.clv"},
        // Several documents.
        {"a.clv|b.clv", "a.clv|b.clv"},
        {"mon|absent.clv", "mon|absent.clv"},
        {"-|a.clv", "-|a.clv"},
        // Each option.
        {"-h", "help"},
        {"--help|--bogus", "help"},
        {"--version|a.clv", "version"},
        {"-o|r.rtf|a.clv", "a.clv -o r.rtf"},
        {"-or.rtf|a.clv", "a.clv -o r.rtf"},
        {"a.clv|b.clv|--output|rapports/", "a.clv|b.clv -o rapports/"},
        {"--output=r.rtf|a.clv", "a.clv -o r.rtf"},
        {"--format|table|a.clv", "a.clv --format table"},
        {"--format=tab|a.clv", "a.clv --format tab"},
        {"--csv|a.clv", "a.clv --csv"},
        {"--indices|/usr/share/calvor/ILC.txt|a.clv", "a.clv --indices /usr/share/calvor/ILC.txt"},
        {"--update-indices", " --update-indices"},
        {"--update-indices|ilc|--replace-differing", " --update-indices ilc --replace-differing"},
        {"--update-indices=IRL", " --update-indices IRL"},
        // "--".
        {"--csv|--|-x.clv|--help", "-x.clv|--help --csv"},
        {"--|-x.clv", "-x.clv"},
        // Mistakes.
        {"--bogus|a.clv", "error: option inconnue « --bogus »"},
        {"-x|a.clv", "error: option inconnue « -x »"},
        {"-x.clv|a.clv", "error: option inconnue « -x »"},
        {"--bogus=1|a.clv", "error: option inconnue « --bogus »"},
        {"a.clv|-o", "error: l'option « -o » demande une valeur (CHEMIN)"},
        {"a.clv|--indices", "error: l'option « --indices » demande une valeur (FICHIER)"},
        {"--output=|a.clv", "error: l'option « --output » demande un chemin non vide"},
        {"--format|rtf|a.clv", "error: valeur « rtf » incorrecte pour « --format »"},
        {"--csv=oui|a.clv", "error: l'option « --csv » ne prend pas de valeur"},
        {"--csv", "error: aucun document"},
        {"--update-indices|a.clv", "error: --update-indices ne se combine"},
        {"--replace-differing|a.clv", "error: --replace-differing ne s'emploie"},
    };
    const QStringList files =
        Words({"bail.clv", "mon bail.clv", "-x.clv", "--help me.clv", "a.clv", "b.clv"});
    const auto isFile = [&](const QString &path) { return files.contains(path); };
    const auto isSeries = [](const QString &word) {
        return Words({"IRL", "ILC", "ILAT", "ICC"}).contains(word, Qt::CaseInsensitive);
    };
    for (const auto &c : cases) {
        const QString given = QString::fromUtf8(c.arguments);
        QStringList arguments{QStringLiteral("calvor")};
        if (!given.isEmpty())
            arguments += given.split(u'|');
        const QString summary = Summary(ChooseCommandLine(arguments, isFile, isSeries));
        const QString expected = QString::fromUtf8(c.summary);
        EXPECT_TRUE(expected.startsWith(QLatin1String("error: ")) ? summary.startsWith(expected)
                                                                  : summary == expected)
            << c.arguments << " gave " << summary.toStdString();
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
