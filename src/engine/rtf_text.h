#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QVarLengthArray>

// Bytes gathered on the stack before they join a document in one append.
using RtfBytes = QVarLengthArray<char, 256>;

// Text to insert as plain characters into a Windows-1252 Rich Text document:
// "\", "{" and "}" escaped with a backslash so they cannot open or close a
// group or start a control word, control characters (U+0000 to U+001F and
// U+007F) as the escape "\'hh" of their byte, other characters with a
// Windows-1252 byte raw, every other character as "\uN?" (N the signed
// 16-bit UTF-16 unit).
QByteArray RtfPlainText(QStringView text);
// The same, appended to `out`.
void AppendRtfPlainText(QByteArray &out, QStringView text);
void AppendRtfPlainText(RtfBytes &out, QStringView text);

// The same written at `out`, which has room for kRtfPlainTextMaxBytesPerUnit
// bytes for each UTF-16 unit of `text`; the end of what was written.
inline constexpr qsizetype kRtfPlainTextMaxBytesPerUnit = 9;
char *WriteRtfPlainText(char *out, QStringView text);

// Bytes appended as they are.
void AppendBytes(RtfBytes &out, QByteArrayView bytes);
