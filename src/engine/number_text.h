#pragma once

#include "engine/rtf_text.h"

#include <QByteArray>
#include <QString>

class IDialogItems;
struct UserLocale;

// Number texts. Two conventions live side by side:
// - locale number text (on screen): the user's decimal separator, no grouping;
// - money text (in the report): decimal comma, groups of three digits
//   separated by a space, then a non-breaking space and the currency symbol.
// Both are the value's fixed-point text (engine/fixed_point.h) re-rendered
// by the platform's number formatter (platform/number_format.h), and so
// round as the fixed-point text does: 0.125 gives 0,13.

// Capacity of every number text, terminator included: 63 visible characters.
// A value whose text would be longer has no text: the number forms fail as
// for an infinite value (with 2 decimals: beyond 60 integer digits, 59 when
// negative; in money text, beyond 45).
inline constexpr int kNumberTextCapacity = 64;

// The user's decimal separator, read once at start-up and held for the run.
// A separator of several characters is shown whole; the parser takes its
// first character as the decimal point. Until it is read (empty), numbers are
// shown and read with ".".
void ReadDecimalSeparator(const UserLocale &locale);
QString DecimalSeparator();

// Locale number text of a value; empty when the value cannot be written.
QString FormatNumber(double value, int decimals);
// The same into the caller's text; false, and the text unchanged, on failure.
bool FormatNumberInto(QString &text, double value, int decimals);
// The same into `out`, room for kNumberTextCapacity characters, without
// allocating (the report writes a number on every row); the length of the
// text, or -1 when the value has none.
qsizetype WriteNumberText(QChar *out, double value, int decimals);
// The same into a character buffer of `capacity` bytes, Windows-1252,
// zero-terminated; on failure the buffer holds an empty text.
bool FormatNumberBuffer(char *buffer, int capacity, double value, int decimals);

// Text to number: the user's separator becomes "."; then white space (space,
// tab, line feed, vertical tab, form feed, carriage return), a sign, digits
// with an optional "." and fraction, an optional exponent ("e" or "E", a sign,
// digits); the rest is ignored. Nothing else is a number: no "inf", "nan" or
// hexadecimal. No number gives 0; a magnitude beyond the double range gives
// an infinite value of the right sign, one below it zero.
double ParseNumber(QStringView text);

// A text control's number, shown with `decimals` decimals (an empty text when
// the value has none) / read back (at most 63 characters of the control's
// text are read).
void SetWindowNumber(IDialogItems &dialog, int id, double value, int decimals);
double GetWindowNumber(const IDialogItems &dialog, int id);

// "%d".
QString FormatInteger(int value);

// Money text as a Windows-1252 Rich Text fragment: "1 234,50\~" then the
// currency symbol (a "\", "{" or "}" in it escaped, a character without a
// Windows-1252 byte as "\uN?"). An amount without a text (infinite, not a
// number, too long) gives "\~" and the symbol alone.
QByteArray MoneyText(double amount, const QString &symbol);
// The same, appended to `out`.
void AppendMoney(RtfBytes &out, double amount, const QString &symbol);

// The report's number texts written straight to bytes, with 2 decimals: the
// value's digits taken as one integer (ScaleFixed, engine/fixed_point.h)
// under the same rounding rule, the currency symbol and the decimal
// separator escaped once. The bytes are those of the general forms: an
// index value's are RtfPlainText(FormatNumber(value, 2)), an amount's
// MoneyText(amount, symbol). A value these cannot write (infinite, not a
// number, beyond 17 digits) gives nullptr, and the caller takes the general
// forms.
class ReportNumberWriter {
public:
    // Takes the decimal separator read by ReadDecimalSeparator now.
    explicit ReportNumberWriter(const QString &symbol);

    // Whether the writer was made for this symbol and the separator now held.
    bool Matches(const QString &symbol) const;

    // Room WriteIndex and WriteMoney need at most.
    qsizetype MaxIndexBytes() const;
    qsizetype MaxMoneyBytes() const;

    char *WriteIndex(char *out, double value) const;
    char *WriteMoney(char *out, double amount) const;

private:
    QString m_symbol;
    QString m_separator;
    QByteArray m_symbolBytes;    // escaped, after "\~"
    QByteArray m_separatorBytes; // escaped
    bool m_separatorFits = true; // every number's text stays within the capacity
};
