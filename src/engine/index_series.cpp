#include "engine/index_series.h"

#include "engine/fixed_point.h"
#include "engine/published_quarters.h"

#include <array>

namespace {

constexpr int kSeriesCount = 4;
// A table "is" a series when at least this many quarters are compared...
constexpr int kMinimumCompared = 8;
// ... and at least this share of them, in percent, are equal.
constexpr int kMinimumEqualPercent = 95;

const std::array<IndexSeriesInfo, kSeriesCount> &Infos() {
    static const std::array<IndexSeriesInfo, kSeriesCount> infos{{
        {IndexSeries::Irl, QStringLiteral("IRL"), QStringLiteral("Indice de référence des loyers"),
         QStringLiteral("001515333"),
         QStringLiteral("baux d'habitation (logements vides ou meublés)"), 2},
        {IndexSeries::Ilc, QStringLiteral("ILC"), QStringLiteral("Indice des loyers commerciaux"),
         QStringLiteral("001532540"), QStringLiteral("baux commerciaux (commerçants, artisans)"),
         2},
        {IndexSeries::Ilat, QStringLiteral("ILAT"),
         QStringLiteral("Indice des loyers des activités tertiaires"), QStringLiteral("001617112"),
         QStringLiteral("baux de bureaux et d'activités tertiaires"), 2},
        {IndexSeries::Icc, QStringLiteral("ICC"),
         QStringLiteral("Indice du coût de la construction"), QStringLiteral("000008630"),
         QStringLiteral("anciens baux indexés sur le coût de la construction"), 0},
    }};
    return infos;
}

int Ordinal(IndexSeries series) {
    return static_cast<int>(series);
}

// The published values of every series and their hundredths, built once.
struct PublishedTables {
    std::array<IndexTable, kSeriesCount> values;
    std::array<std::array<long long, IndexTable::kSize>, kSeriesCount> cents{};
    std::array<int, kSeriesCount> last{};
};

const PublishedTables &Published() {
    static const PublishedTables tables = [] {
        PublishedTables t;
        for (const IndexSeriesInfo &info : Infos()) {
            const int s = Ordinal(info.series);
            t.last[static_cast<std::size_t>(s)] = -1;
            for (const PublishedQuarter &q : PublishedQuarters(info.series)) {
                IndexTable &table = t.values[static_cast<std::size_t>(s)];
                table.Set(q.position, NarrowIndexValue(q.value));
                const float stored = table.At(q.position);
                if (stored == 0.0f)
                    continue;
                t.cents[static_cast<std::size_t>(s)][static_cast<std::size_t>(q.position)] =
                    IndexCents(static_cast<double>(stored)).value_or(0);
                if (q.position > t.last[static_cast<std::size_t>(s)])
                    t.last[static_cast<std::size_t>(s)] = q.position;
            }
        }
        return t;
    }();
    return tables;
}

} // namespace

std::span<const IndexSeriesInfo> KnownIndexSeries() {
    return Infos();
}

const IndexSeriesInfo &SeriesInfo(IndexSeries series) {
    return Infos()[static_cast<std::size_t>(Ordinal(series))];
}

std::optional<IndexSeries> SeriesFromShortName(const QString &name) {
    for (const IndexSeriesInfo &info : Infos()) {
        if (name.compare(info.shortName, Qt::CaseInsensitive) == 0)
            return info.series;
    }
    return std::nullopt;
}

const IndexTable &PublishedValues(IndexSeries series) {
    return Published().values[static_cast<std::size_t>(Ordinal(series))];
}

int LastPublishedPosition(IndexSeries series) {
    return Published().last[static_cast<std::size_t>(Ordinal(series))];
}

std::optional<long long> IndexCents(double value) {
    // The index file's own rounding: two decimals, halves away from zero.
    char text[kFixedBufferSize];
    const int length = WriteFixed(value, 2, text);
    if (length < 0)
        return std::nullopt;
    long long cents = 0;
    int digits = 0;
    bool negative = false;
    for (int i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '-') {
            negative = true;
        } else if (c >= '0' && c <= '9') {
            // Beyond 18 digits the hundredths no longer fit: such a value
            // is no index anyone publishes.
            if (++digits > 18)
                return std::nullopt;
            cents = cents * 10 + (c - '0');
        }
    }
    return negative ? -cents : cents;
}

bool SameIndexValue(double a, double b) {
    const std::optional<long long> ca = IndexCents(a);
    return ca && ca == IndexCents(b);
}

SeriesIdentification IdentifyIndexSeries(const IndexTable &table) {
    const PublishedTables &published = Published();
    // The user's hundredths, once for all series; 0 stands for no value.
    std::array<long long, IndexTable::kSize> user{};
    std::array<bool, IndexTable::kSize> present{};
    for (std::size_t p = 0; p < user.size(); ++p) {
        const float value = table.Values()[p];
        if (value == 0.0f)
            continue;
        present[p] = true;
        // A value without hundredths (beyond any index) differs from all.
        user[p] = IndexCents(static_cast<double>(value)).value_or(-1);
    }

    SeriesIdentification best;
    int bestEqual = -1;
    for (const IndexSeriesInfo &info : Infos()) {
        const std::size_t s = static_cast<std::size_t>(Ordinal(info.series));
        const IndexTable &values = published.values[s];
        int compared = 0;
        int differing = 0;
        for (std::size_t p = 0; p < user.size(); ++p) {
            if (!present[p] || values.Values()[p] == 0.0f)
                continue;
            ++compared;
            if (user[p] != published.cents[s][p])
                ++differing;
        }
        const int equal = compared - differing;
        const bool matches =
            compared >= kMinimumCompared && equal * 100 >= kMinimumEqualPercent * compared;
        if (matches && equal > bestEqual) {
            bestEqual = equal;
            best.series = info.series;
            best.compared = compared;
            best.differing = differing;
            best.lastPublishedPosition = published.last[s];
        }
    }
    return best;
}
