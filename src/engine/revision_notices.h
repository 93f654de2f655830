#pragma once

#include "engine/calc_types.h"
#include "engine/index_series.h"
#include "engine/index_table.h"
#include "engine/legal_rules.h"
#include "engine/revision_report.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

// A legal rule that may change or forbid this revision: a short title, two
// or three sentences with the calculation's dates and figures, and where the
// rule comes from. A help to check the result, not legal advice.
struct RevisionNotice {
    LegalRuleKind rule;
    QString title;
    QString text;
    QString reference;

    // The whole notice on one line: "title : text (reference)".
    QString Line() const;
};

// What the notices are built from: the calculation's document and rows (as
// the walk produced them, for an outcome that passed the checks), today's
// date, the index table and the series it was identified as (none for the
// user's own table, which gets no notice). Amounts, index values and dates are written as the
// report writes them: the money text with `settings.symbol`, the index with the user's separator,
// the short date of `settings.locale`.
struct NoticeInput {
    const CalcDocument &doc;
    std::span<const RevisionRow> rows;
    PackedDate today;
    const IndexTable &indices;
    std::optional<IndexSeries> series;
    const ReportSettings &settings;
};

// The notices of every rule of LegalRules() that applies, in the table's
// order; none when no rule does.
std::vector<RevisionNotice> BuildRevisionNotices(const NoticeInput &input);

// An amount as the report writes it, as plain text: "10 350,00" then a
// non-breaking space and the symbol.
QString PlainMoneyText(double amount, const QString &symbol);
