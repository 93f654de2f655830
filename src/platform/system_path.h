#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Paths as the system holds them: any bytes but NUL, usually UTF-8 but not
// always (a name written on another system, an old archive). Decoding takes
// every valid UTF-8 sequence as its character and each byte that is not part
// of one as a lone low surrogate, U+DC80 to U+DCFF for the bytes 0x80 to
// 0xFF; encoding undoes that. So any name the system gives comes back to the
// same bytes when the program hands it over again, and names that are valid
// UTF-8 are the ordinary text they always were.
QString DecodeSystemPath(QByteArrayView bytes);

// The system's bytes of `path`. A lone surrogate that decoding cannot have
// made is written as U+FFFD.
QByteArray EncodeSystemPath(const QString &path);

// `path` made absolute against the current folder and cleaned of "." and
// ".." parts, by string alone: Qt's own file classes convert names through
// the locale on the way and would lose the bytes that are not UTF-8.
QString AbsoluteSystemPath(const QString &path);
// The folder part and the name part of AbsoluteSystemPath(path).
QString SystemPathFolder(const QString &path);
QString SystemPathName(const QString &path);
