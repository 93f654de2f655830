#pragma once

#include "engine/index_table.h"

#include <QString>

#include <optional>
#include <span>

// The four quarterly series INSEE publishes for rent revisions.
enum class IndexSeries {
    Irl,  // Indice de référence des loyers: housing
    Ilc,  // Indice des loyers commerciaux: shops, craftsmen
    Ilat, // Indice des loyers des activités tertiaires: offices
    Icc,  // Indice du coût de la construction: older clauses
};

// What the program knows of a series.
struct IndexSeriesInfo {
    IndexSeries series;
    QString shortName; // "IRL"
    QString title;     // "Indice de référence des loyers"
    QString idbank;    // INSEE's series identifier, "001515333"
    QString appliesTo; // which leases it applies to, in French
    int decimals;      // decimals INSEE publishes
};

// The four series, in the order of the enumeration.
std::span<const IndexSeriesInfo> KnownIndexSeries();
const IndexSeriesInfo &SeriesInfo(IndexSeries series);
// The series of a short name, in any case ("irl", "ILC"); none for another.
std::optional<IndexSeries> SeriesFromShortName(const QString &name);

// The values INSEE published for a series, as shipped with the program, by
// table position (IndexTable::PositionOf); 0 where nothing is published.
const IndexTable &PublishedValues(IndexSeries series);

// Which series a user's table holds: the table is compared with each shipped
// series on the quarters both have non-zero, at 2 decimals. It "is" a series
// when at least 8 quarters are compared and at least 95 % of them are equal;
// otherwise it is the user's own table (`series` empty).
struct SeriesIdentification {
    std::optional<IndexSeries> series;
    int compared = 0;               // quarters compared with that series
    int differing = 0;              // of which differ from the published value
    int lastPublishedPosition = -1; // the series' last published quarter
};
SeriesIdentification IdentifyIndexSeries(const IndexTable &table);

// The last quarter a shipped series holds (its table position), or -1.
int LastPublishedPosition(IndexSeries series);

// The hundredths of an index value as the index file writes it (two
// decimals, halves away from zero): 142.105 gives 14211. Nothing for a value
// without a text (infinite, not a number) or beyond 18 digits.
std::optional<long long> IndexCents(double value);
// Two index values are the same at two decimals.
bool SameIndexValue(double a, double b);
