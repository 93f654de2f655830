#pragma once

#include "engine/calc_types.h"
#include "engine/packed_date.h"
#include "platform/user_locale.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

struct RevisionOutcome;

// What the report takes from the settings: the export target "Cible" (0 word
// processor, 1 clipboard table form, 2 clipboard tab form), the currency
// symbol "Symbole", and the user's month names and short date format. Index
// values are written with the decimal separator read by ReadDecimalSeparator.
struct ReportSettings {
    int cible = 0;
    QString symbol;
    UserLocale locale;
};

// The result of a calculation as two Windows-1252 Rich Text documents built
// side by side and holding the same words:
// - the table form, the list as a bordered table (the content of Calcul.rtf,
//   and the clipboard text for "Cible" 1);
// - the tab form, the list as tab-separated lines (what the preview shows,
//   and the clipboard text for "Cible" 2).
// Both only grow by appending; every text substituted into them (dates,
// numbers, the symbol) goes in as it is, never through a format string.
class RevisionReport {
public:
    const QByteArray &Table() const { return m_table; }
    const QByteArray &Tabs() const { return m_tabs; }
    void Clear();
    // Room for the header, `rows` rows and the closing in both forms.
    void Reserve(qsizetype rows);

    // The text then "\par " to each form.
    void AppendReportLine(QByteArrayView text);
    // A paragraph with space before and after, in units of 2 points: the tab
    // form gets one empty paragraph for every 6 units, the table form the
    // spacing control words \sb and \sa in twips.
    void AppendSpacedParagraph(QByteArrayView text, int before, int after);
    // Today's date, the four dates of the calculation, the reference index,
    // the rent and the heading of the list.
    void AppendReportHeader(const CalcDocument &doc, double referenceValue, PackedDate today,
                            const ReportSettings &settings);
    // One row of the list in each form.
    void AppendReportRow(const RevisionRow &row, const ReportSettings &settings);
    // The end of both documents; the table form's depends on "Cible".
    void AppendReportClosing(int cible);

private:
    // The row writers made once for a report's settings (the date picture
    // read, the symbol and separator escaped); rows they cannot write take
    // the general way.
    struct RowWriters;
    const RowWriters &WritersFor(const ReportSettings &settings);
    bool AppendRowInPlace(const RowWriters &writers, const RevisionRow &row);
    void AppendRowThroughGeneralTexts(const RevisionRow &row, const ReportSettings &settings);

    QByteArray m_table;
    QByteArray m_tabs;
    std::shared_ptr<const RowWriters> m_writers;
};

// A date as the report's header writes it: "15 juillet 1999", or with the
// superscript ordinal on the first of a month, "1{\super er} juillet 1999".
QByteArray LongDateText(PackedDate date, const UserLocale &locale);

// The quarter of a reference index date: " (1{\super er} trimestre 1998)",
// " (3{\super e} trimestre 1998)".
QByteArray QuarterText(PackedDate referenceDate);

// Header, rows and closing of an outcome that passed the checks; an empty
// report for a refused one.
RevisionReport BuildRevisionReport(const CalcDocument &doc, const RevisionOutcome &outcome,
                                   PackedDate today, const ReportSettings &settings);
