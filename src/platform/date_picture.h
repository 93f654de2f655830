#pragma once

#include "platform/user_locale.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

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

// A date picture read once, for writing many dates with it (the report
// writes one on every row): the picture's literal texts and the month names
// are turned into bytes by `encode` once, the numbers are written as ASCII
// digits. What Write produces is `encode` of FormatDatePicture's text, for an
// `encode` that works character by character (the text of a whole is the
// texts of its parts put together), as Rich Text escaping does.
class CompiledDatePicture {
public:
    using Encoder = QByteArray (*)(QStringView);

    CompiledDatePicture(QStringView picture, const UserLocale &locale, Encoder encode);

    // Room Write needs at most.
    qsizetype MaxBytes() const { return m_maxBytes; }
    // Writes the date at `out`; the end of what was written, or nullptr when
    // the date's text is longer than `maxCharacters` UTF-16 units (the caller
    // then cuts the text of FormatDatePicture itself).
    char *Write(char *out, int day, int month, int year, qsizetype maxCharacters) const;

private:
    enum class Kind { Literal, Day, Month, MonthName, Year };
    struct Piece {
        Kind kind = Kind::Literal;
        int width = 0; // digits at least, for the numbers
        bool abbreviated = false;
        QByteArray bytes; // the literal's bytes
        qsizetype characters = 0;
    };
    struct Name {
        QByteArray bytes;
        qsizetype characters = 0;
    };
    std::vector<Piece> m_pieces;
    std::array<Name, 12> m_names;
    std::array<Name, 12> m_shortNames;
    int m_nameCount = 0; // the locale's names, up to twelve
    qsizetype m_maxBytes = 0;
};
