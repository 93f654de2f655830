#pragma once

#include "app/command_line_options.h"
#include "platform/message_box.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CRevisionApp;

// Where a command-line run given options writes: the CSV rows on standard
// output, the messages on standard error, one line each.
struct RunStreams {
    std::function<void(const QByteArray &)> writeOutput;
    std::function<void(const QString &)> writeErrorLine;

    static RunStreams Standard();
};

// The message boxes of such a run: none is ever shown, display or not.
// Each text becomes one line on standard error, after the name of the
// document being computed ("bail.clv: Le fichier n'a pas pu être ouvert."),
// or the program's title outside a document; a question takes its default
// answer.
class DocumentMessageBoxes final : public IMessageBoxService {
public:
    explicit DocumentMessageBoxes(std::function<void(const QString &)> writeLine);
    void SetDocument(const QString &name) { m_document = name; }
    int Show(const QString &caption, const QString &text, unsigned flags) override;

private:
    std::function<void(const QString &)> m_writeLine;
    QString m_document;
};

// Runs the options and documents of `options` on `app`, whose message
// boxes are `boxes`: start-up once, then each document in turn (a failed
// one does not stop the others), or the index update. Shutdown included.
// Returns the exit status: 0 when every document was computed, 1 when any
// failed, 2 when --output cannot name the folder several reports need.
int RunCommandLineOptions(CRevisionApp &app, const CommandLineOptions &options,
                          DocumentMessageBoxes &boxes, const RunStreams &streams);

// The name of a document's report: its file name with ".clv" (in any case)
// replaced by ".rtf", or ".rtf" appended to another name.
QString ReportFileName(const QString &document);
