#pragma once

#include "engine/calc_types.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

enum class WriteStatus;
struct FileDialogRequest;

// The calculation document file: 27 bytes, the magic "CLV", the four date
// words (lease signature, first revision, last revision, reference index
// date) as little-endian 32-bit words, then the rent as a little-endian IEEE
// double; no padding, no version. Everything is kept bit for bit, reserved
// date bits and any rent bits included; nothing is validated on reading.

inline constexpr int kDocumentSize = 27;

// The file dialogs' default extension and filter choices.
QString DocumentExtension();   // "clv"
QStringList DocumentFilters(); // "Calvors (*.clv)", "Tous les fichiers (*.*)"

// What the open-file and save-as dialogs are asked for: the extension, the
// filters, and the flags 0x81004 (open) and 0x80806 (save).
FileDialogRequest OpenDocumentRequest();
FileDialogRequest SaveDocumentRequest();

enum class OpenOutcome {
    Opened,       // all fields read
    CannotOpen,   // missing, unreadable or in use: message 202
    NotADocument, // shorter than 3 bytes or no "CLV": message 203
    CutShort,     // "CLV" but fewer than 27 bytes: end-of-file message
};

// The 27 bytes of a document.
QByteArray DocumentBytes(const CalcDocument &doc);

// Reads a document's bytes into `doc`; bytes after the 27th are ignored.
// NotADocument leaves `doc` unchanged. CutShort takes each date word wholly
// present, the present bytes of a cut word as its low-order bytes (its other
// bytes kept), and keeps the later words and the rent.
OpenOutcome ReadDocumentBytes(QByteArrayView bytes, CalcDocument &doc);

// Reads the file at `path` into `doc`. Nothing is shown: the caller tells
// the user (messages 202, 203, or the framework's end-of-file message).
OpenOutcome ReadDocumentFile(CalcDocument &doc, const QString &path);

// Writes the document to `path`, replaced in one step (an existing document
// is never left cut short). Nothing is shown.
WriteStatus WriteDocumentFile(const CalcDocument &doc, const QString &path);
