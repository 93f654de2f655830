#pragma once

#include <QString>

class QMimeData;

// What of a clipboard's content the program carries over: when the export
// adds its Rich Text beside what the clipboard already holds, and when the
// keeper takes the content over at exit.
//
// Only data formats named as MIME types ("type/subtype", parameters
// allowed) are kept. The X11 protocol's own targets (TARGETS, MULTIPLE,
// TIMESTAMP, SAVE_TARGETS, DELETE, INSERT_SELECTION, ...) and the legacy
// atoms (STRING, PIXMAP, ...) are requests, not data: Qt answers them itself
// for whatever it offers. Qt's own name for a decoded picture
// (application/x-qt-image) is a conversion and is never fetched; a picture
// offered in several encodings is the same picture, so only one of them is
// kept (PNG when it is offered), the other encodings being conversions the
// owner would make on request. The data kept weighs kMaxKeptClipboardBytes at
// most: a format that would go beyond is left out.

constexpr qsizetype kMaxKeptClipboardBytes = qsizetype(16) * 1024 * 1024;

// True for a name of a data format that may be kept: a MIME type of printable
// ASCII, at most 255 characters, other than Qt's decoded picture.
bool IsKeptClipboardFormat(const QString &format);

// Adds to `to` the kept formats of `from` with their bytes, in `from`'s
// order, within `budget` bytes in all; returns what they weigh.
qsizetype CopyKeptClipboardFormats(const QMimeData &from, QMimeData &to, qsizetype budget);
