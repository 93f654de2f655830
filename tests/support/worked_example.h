#pragma once

#include "engine/calc_types.h"
#include "engine/index_table.h"

#include <QByteArray>

// Test texts are written in UTF-8; the program's Rich Text holds
// Windows-1252 bytes, which for the Latin-1 letters the texts use are the
// letters' own values.
QByteArray Cp1252Bytes(const char *utf8);

// The worked example of a calculation: lease signed 01/07/1998, reference
// the second quarter of 1998 (1000), revisions on 01/07/1999 (1020) and
// 01/07/2000 (1050), rent 3500.
CalcDocument WorkedExampleDocument();
IndexTable WorkedExampleIndices();

// Its report, run on 07/12/2026 with the French locale, currency symbol "F"
// and "Cible" 1, byte for byte in both forms.
QByteArray WorkedExampleTableForm();
QByteArray WorkedExampleTabForm();

// The borders of one cell of the report's list, as both forms write them.
QByteArray ReportCellBorders();
