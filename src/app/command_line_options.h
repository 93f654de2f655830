#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program's command line. Two forms:
// - one document, as it always was: everything after the program's name
//   names an existing file (blanks included, see command_line.h), or there
//   is one argument that is not an option; the document is computed into
//   Calcul.rtf and exported as "Cible" says;
// - otherwise options and documents, GNU style: options and documents in
//   any order, "--" ends the options, "--name=value" or "--name value",
//   "-oPATH" or "-o PATH".

// The form of the report a command-line run writes.
enum class ReportForm {
    AsSettings, // the table form, built as "Cible" says
    Table,      // the table form, built as for the word processor ("Cible" 0)
    Tabs,       // the tab form, built as for the clipboard ("Cible" 2)
};

struct CommandLineOptions {
    QString output; // -o: a report file for one document, a folder for several
    ReportForm form = ReportForm::AsSettings;
    bool csv = false;    // the rows on standard output as CSV
    QString indicesFile; // the index values for this run, read only
    bool updateIndices = false;
    QString series; // the series named after --update-indices, if any
    bool replaceDiffering = false;
    QStringList documents;
};

struct CommandLineChoice {
    enum Kind {
        Interactive,    // no argument: the dialog loop
        SingleDocument, // the one-document form, `document` as given
        Options,        // options and documents
        Help,           // print UsageText() on standard output, exit 0
        Version,        // print VersionText() on standard output, exit 0
        UsageError,     // print `error` and the usage hint on standard error, exit 2
    };
    Kind kind = Interactive;
    QString document;
    CommandLineOptions options;
    QString error; // one line, without the program's name
};

using NameTest = std::function<bool(const QString &)>;

// Chooses the form of `arguments` (the program's name first). `isFile` says
// whether a path names an existing file; `isSeriesName` whether a word is
// the short name of an index series (taken as the value of
// --update-indices when it follows it).
CommandLineChoice ChooseCommandLine(const QStringList &arguments, const NameTest &isFile,
                                    const NameTest &isSeriesName);

// The same with the real file system and the known index series.
CommandLineChoice ChooseCommandLine(const QStringList &arguments);

// The French usage text of --help, ending with a line end.
QString UsageText();
// "calvor <version>" and a line end.
QString VersionText();
// The lines written for a usage error: "calvor : <error>" and the hint.
QString UsageErrorText(const QString &error);

// For the choices that end the run before anything starts (help, version,
// usage error): writes their text where it belongs and gives the exit
// status. Returns -1, writing nothing, for the other choices.
int FinishWithoutRunning(const CommandLineChoice &choice);
