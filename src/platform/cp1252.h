#pragma once

#include <QByteArray>
#include <QString>

// Conversion between the program's Unicode texts and the single-byte
// Windows-1252 code page used by the report, the index file and the
// Rich Text the program produces.

// The Windows-1252 byte for a UTF-16 code unit, or -1 when the character has
// none (characters of other scripts, and the C1 controls other than U+0081,
// U+008D, U+008F, U+0090 and U+009D, which stand for the five unassigned
// bytes of the same value).
int Cp1252ByteOf(char32_t ch);

// Unicode character of a Windows-1252 byte; the unassigned bytes map to the
// C1 control of the same value, so every byte round-trips.
char16_t Cp1252ToUnicode(unsigned char byte);

// Text to Windows-1252; a character without a byte becomes '?'.
QByteArray ToCp1252(QStringView text);

// Windows-1252 bytes to text; never fails.
QString FromCp1252(QByteArrayView bytes);

// Writes the Rich Text form of one UTF-16 unit into `out`: its Windows-1252
// byte when it has one, else the Rich Text Unicode escape "\uN?" (N the signed
// 16-bit value of the unit, so characters outside the BMP become two
// escapes). Returns the count of bytes written (at most kRtfCharMaxBytes).
// The escaping of whole texts is RtfPlainText's (engine/rtf_text.h).
inline constexpr int kRtfCharMaxBytes = 9;
int WriteCp1252RtfChar(char16_t unit, char *out);
