#pragma once

#include "engine/packed_date.h"

#include <QString>

#include <span>

// The legal rules around a rent revision that the program points out beside
// its report, as data: a rule changed by a new law is one row of the table.

enum class LegalRuleKind {
    ClaimWithinAYear,            // a revision not claimed within a year is lost
    NoRevisionRatedFG,           // housing rated F or G cannot be revised
    RegionalIrlCap,              // the capped IRL, lower in Corsica and overseas
    SmeIlcCap,                   // the ILC change capped for small businesses
    IndexBeforeItsDecree,        // a value back-calculated before the index existed
    CommercialQuarterMove,       // a commercial rent moved by more than a quarter
    ReferenceUnknownAtSignature, // a reference quarter not over at the signature
};

// The series a rule looks at, as bits of IndexSeries. A table that is none
// of them, the user's own, hears of no rule: what its values are is not
// known.
enum RuleSeries : unsigned {
    kIrlTable = 1u << 0,
    kIlcTable = 1u << 1,
    kIlatTable = 1u << 2,
    kIccTable = 1u << 3,
    kAnySeries = kIrlTable | kIlcTable | kIlatTable | kIccTable,
};

// A quarter as a year and a quarter number 0-3.
struct RuleQuarter {
    int year = 0;
    int quarter = 0;
};

// One rule. Which fields a kind reads, and the placeholders of its texts
// (%1, %2, ... filled with this calculation's dates and figures), are given
// beside each row of the table in legal_rules.cpp.
struct LegalRule {
    LegalRuleKind kind;
    unsigned series;   // RuleSeries bits
    PackedDate date;   // the date the rule starts from
    RuleQuarter first; // the quarters it covers, first and last
    RuleQuarter last;
    double rate = 0.0; // in percent
    double lowerRates[2] = {0.0, 0.0};
    int years = 0; // a delay or a term, in years
    QString title;
    QString text;        // the notice's sentences
    QString otherText;   // the same in the kind's other case
    QString reference;   // the legal source
    QString region = {}; // where the rule holds, when not everywhere
};

// The table, in the order the notices are given.
std::span<const LegalRule> LegalRules();
