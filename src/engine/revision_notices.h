#pragma once

#include "engine/calc_types.h"
#include "engine/index_series.h"
#include "engine/index_table.h"
#include "engine/legal_rules.h"
#include "engine/revision_report.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// One value named by a notice's text: found by the calculation, written
// when the text is.
struct NoticeValue {
    enum Kind { Date, Money, Index, Percent, Quarter, Rows, Text, Chain };
    Kind kind = Text;
    PackedDate date = {}; // Date; Rows: the first row's
    PackedDate last = {}; // Rows: the last row's
    double number = 0.0;  // Money, Index, Percent
    int count = 0;        // Rows: how many; Quarter: the year
    int quarter = 0;      // Quarter: 0-3
    QString text = {};    // Text
};

// A legal rule that may change or forbid this revision: a short title, two
// or three sentences with the calculation's dates and figures, and where the
// rule comes from. A help to check the result, not legal advice.
struct RevisionNotice {
    LegalRuleKind rule;
    QString title;
    QString reference;
    // The rule's sentences, %1 to %9 standing for `values`; a Chain value is
    // `chain`, dates and rents.
    QString pattern;
    std::vector<NoticeValue> values;
    std::vector<std::pair<PackedDate, double>> chain;
    // How the values are written: the report's money text with its symbol,
    // the index with the user's separator, the short date of the locale.
    std::shared_ptr<const ReportSettings> settings;

    // The sentences with their values.
    QString Text() const;
    // The whole notice on one line: "title : text (reference)".
    QString Line() const;
};

// What the notices are built from: the calculation's document and rows (as
// the walk produced them, for an outcome that passed the checks), today's
// date, the index table and the series it was identified as (none for the
// user's own table, which gets no notice).
struct NoticeInput {
    const CalcDocument &doc;
    std::span<const RevisionRow> rows;
    PackedDate today;
    const IndexTable &indices;
    std::optional<IndexSeries> series;
    const ReportSettings &settings;
};

// The notices of every rule of LegalRules() that applies, in the table's
// order; none when no rule does. Their figures are found here; their texts
// are written when asked for.
std::vector<RevisionNotice> BuildRevisionNotices(const NoticeInput &input);

// An amount as the report writes it, as plain text: "10 350,00" then a
// non-breaking space and the symbol.
QString PlainMoneyText(double amount, const QString &symbol);
