#pragma once

#include <QByteArrayView>

class QTextDocument;

// Reads Rich Text (single-byte Windows-1252 text with control words) and
// replaces the whole content of `doc` with it: paragraphs with their
// alignment, spacing, indents and tab stops; bold, italic, underlined,
// superscript and subscript runs with their font and size; tables built from
// row definitions and cells. Font table, colour table, style sheet, document
// information and every destination marked as ignorable are skipped; unknown
// control words are ignored.
//
// Any byte sequence is accepted: malformed or truncated input gives whatever
// content was read up to the fault. Work and output grow linearly with the
// input; nesting depth, numbers, tab stops and table sizes are capped.
//
// Returns true when the input is a complete Rich Text document: it opens with
// "{\rtf" and its outer group is closed.
bool ReadRtfInto(QTextDocument &doc, QByteArrayView rtf);

// Limits applied by the reader, exposed for callers and tests.
inline constexpr int kRtfMaxGroupDepth = 256;
inline constexpr int kRtfMaxTabStops = 64;
inline constexpr int kRtfMaxTableColumns = 63;
inline constexpr int kRtfMaxCellsPerTable = 2048;
inline constexpr int kRtfMaxTableCells = 100000;
