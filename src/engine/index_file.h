#pragma once

#include <QString>

// The text file of quarterly index values kept beside the executable. The
// reading and writing operations are members of IndexTable (calc_types.h);
// this header holds what they share with their callers.
//
// File layout, single-byte Windows-1252 text with CR LF line ends: the header
// comment line and an empty line, then one line per quarter from 1970 Q1 to
// 2106 Q4, "%8.2f   ; <year> - Trim <quarter>" with a decimal comma. Reading
// takes the lines by position: empty lines and lines beginning with ";" are
// skipped, every other line gives its leading number (0 when it has none).
// Reading also takes what editors make of the file: a UTF-8 byte-order mark,
// UTF-16 with its byte-order mark, and lines ended by a lone CR.

// Name of the file in the executable's folder.
QString IndexFileName();

// The single-precision value stored for a number read from the file or
// typed by the user: the nearest finite value, so that a magnitude beyond
// the single-precision range keeps its sign and is written back as a number
// the file can read again; not-a-number gives 0.
float NarrowIndexValue(double value);
