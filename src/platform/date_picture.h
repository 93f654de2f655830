#pragma once

#include "platform/user_locale.h"

#include <QString>

// Writes a calendar date through a picture, the way the platform's date
// formatting does: d, dd (day), M, MM, MMM, MMMM (month number or name),
// yy, yyyy (year), text between single quotes taken literally ('' gives one
// quote), any other character copied. Works for every day, month and year
// the program can hold: nothing is checked against a calendar, so 29/02/2100
// and unvalidated dates from a document print as they are (an out-of-range
// month prints its number where a name is asked for).
QString FormatDatePicture(int day, int month, int year, QStringView picture,
                          const UserLocale &locale);

// `picture` with every year written with one or two digits (y, yy outside
// quotes) written with four instead (yyyy): a two-digit year is ambiguous in
// a report that spans a century. The rest of the picture is unchanged.
QString WithFourDigitYears(QStringView picture);
