// Stand-in for the series the program knows: names only, no published values,
// and every table taken as the user's own, so that what calls it links and
// stays silent about series until the real identification is in place.
#include "engine/index_series.h"

#include <array>

namespace {

const std::array<IndexSeriesInfo, 4> &Infos() {
    static const std::array<IndexSeriesInfo, 4> infos = {{
        {IndexSeries::Irl, QStringLiteral("IRL"), QStringLiteral("Indice de référence des loyers"),
         QString(), QString(), 2},
        {IndexSeries::Ilc, QStringLiteral("ILC"), QStringLiteral("Indice des loyers commerciaux"),
         QString(), QString(), 2},
        {IndexSeries::Ilat, QStringLiteral("ILAT"),
         QStringLiteral("Indice des loyers des activités tertiaires"), QString(), QString(), 2},
        {IndexSeries::Icc, QStringLiteral("ICC"),
         QStringLiteral("Indice du coût de la construction"), QString(), QString(), 0},
    }};
    return infos;
}

} // namespace

std::span<const IndexSeriesInfo> KnownIndexSeries() {
    return Infos();
}

const IndexSeriesInfo &SeriesInfo(IndexSeries series) {
    return Infos()[static_cast<std::size_t>(series)];
}

std::optional<IndexSeries> SeriesFromShortName(const QString &name) {
    for (const IndexSeriesInfo &info : Infos()) {
        if (info.shortName.compare(name, Qt::CaseInsensitive) == 0)
            return info.series;
    }
    return std::nullopt;
}

const IndexTable &PublishedValues(IndexSeries) {
    static const IndexTable none;
    return none;
}

SeriesIdentification IdentifyIndexSeries(const IndexTable &) {
    return {};
}
