#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The text of a settings file in the INI form that QSettings reads (and
// writes) outside Windows: "[section]" lines, then "key=value" lines, names
// and values escaped the way QSettings escapes them. The program edits the
// file itself so that it can replace it safely (file_io.h); what it writes
// reads back through QSettings as the value that was set.

// A text value as QSettings writes it: control characters escaped, quotes
// around a text with ",", ";", "=" or an outer space, "@" doubled at the
// start, and a text holding a NUL character wrapped as "@String(...)".
QByteArray IniTextValue(const QString &value);
// A number.
QByteArray IniIntValue(int value);

// `text` with `key` of `section` set to `value` (already in its written
// form): the key's line (and the lines that continue it) replaced, or a line
// added at the end of the section, or the section added at the end of the
// text. Every other byte is kept, and a key that already holds the value is
// left as it stands.
QByteArray SetIniValue(const QByteArray &text, const QString &section, const QString &key,
                       const QByteArray &value);

// The written form of `key` in `section` of `text` (an empty section is
// "General"): what follows the first copy's "=", with the lines that continue
// it; nothing when the key is not there.
std::optional<QByteArray> FindIniValue(const QByteArray &text, const QString &section,
                                       const QString &key);

// The text a written value stands for, read as QSettings reads a text:
// spaces around it and quotes removed, escapes undone (hex and octal ones
// included), what follows an unquoted ";" ignored, the items of a list
// (unquoted commas) joined with ", ", a doubled "@" at the start made single
// and "@String(...)" unwrapped. Nothing for a value of another kind
// ("@ByteArray(...)", "@Variant(...)", "@Rect(...)" and the like): such
// values are never decoded.
std::optional<QString> IniPlainText(QByteArrayView written);
