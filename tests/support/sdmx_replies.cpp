#include "support/sdmx_replies.h"

#include "engine/fixed_point.h"
#include "engine/packed_date.h"
#include "engine/published_quarters.h"

#include <algorithm>

std::vector<ReplyObservation> PublishedObservations(IndexSeries series) {
    std::vector<ReplyObservation> observations;
    for (const PublishedQuarter &q : PublishedQuarters(series)) {
        const QString period = QString::number(PackedDate::kFirstYear + q.position / 4) +
                               QStringLiteral("-Q") + QString::number(q.position % 4 + 1);
        const QByteArray value = FormatFixed(q.value, SeriesInfo(series).decimals).value();
        observations.push_back({period, QString::fromLatin1(value)});
    }
    std::reverse(observations.begin(), observations.end());
    return observations;
}

QByteArray SdmxReply(const QString &idbank, const std::vector<ReplyObservation> &observations) {
    QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<message:StructureSpecificData "
            "xmlns:ss=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/data/structurespecific\" "
            "xmlns:message=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/message\">"
            "<message:Header><message:ID>SERIES_BDM</message:ID></message:Header>"
            "<message:DataSet action=\"Information\" ss:structureRef=\"SERIES_BDM\">\n"
            "<Series IDBANK=\"%1\" FREQ=\"T\" TITLE_FR=\"Série\" LAST_UPDATE=\"2026-07-10\" "
            "DECIMALS=\"2\">\n")
            .arg(idbank);
    for (const ReplyObservation &o : observations)
        xml += QStringLiteral("<Obs TIME_PERIOD=\"%1\" OBS_VALUE=\"%2\" OBS_STATUS=\"A\"/>\n")
                   .arg(o.period, o.value);
    return (xml + QStringLiteral("</Series></message:DataSet></message:StructureSpecificData>\n"))
        .toUtf8();
}

QByteArray PublishedReply(IndexSeries series) {
    return SdmxReply(SeriesInfo(series).idbank, PublishedObservations(series));
}
