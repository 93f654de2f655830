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
    QString title = QStringLiteral("Série");
    for (const IndexSeriesInfo &info : KnownIndexSeries()) {
        if (info.idbank == idbank)
            title = info.title + QStringLiteral(" (") + info.shortName + u')';
    }
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<message:StructureSpecificData "
        "xmlns:ss=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/data/structurespecific\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:message=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/message\" "
        "xmlns:common=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/common\">"
        "<message:Header><message:ID>SERIES_BDM</message:ID><message:Test>false</message:Test>"
        "<message:Prepared>2026-10-05T09:00:00</message:Prepared>"
        "<message:Sender id=\"FR1\"><common:Name xml:lang=\"fr\">Institut national de la "
        "statistique et des études économiques</common:Name></message:Sender>"
        "<message:Structure structureID=\"SERIES_BDM\" dimensionAtObservation=\"TIME_PERIOD\">"
        "<common:Structure><URN>urn:sdmx:org.sdmx.infomodel.datastructure.DataStructure="
        "FR1:SERIES_BDM(1.0)</URN></common:Structure></message:Structure></message:Header>"
        "<message:DataSet action=\"Information\" "
        "ss:dataScope=\"DataStructure\" xsi:type=\"ns1:DataSetType\" "
        "ss:structureRef=\"SERIES_BDM\">\n");
    xml += QStringLiteral("<Series IDBANK=\"%1\" FREQ=\"T\" TITLE_FR=\"%2\" "
                          "LAST_UPDATE=\"2026-07-10\" UNIT_MEASURE=\"SO\" UNIT_MULT=\"0\" "
                          "REF_AREA=\"FM\" DECIMALS=\"2\">\n")
               .arg(idbank, title);
    for (const ReplyObservation &o : observations) {
        xml += QStringLiteral("<Obs TIME_PERIOD=\"%1\" OBS_VALUE=\"%2\" OBS_STATUS=\"A\" "
                              "OBS_QUAL=\"DEF\" OBS_TYPE=\"A\" DATE_JO=\"2026-07-12\"/>\n")
                   .arg(o.period, o.value);
    }
    xml += QStringLiteral("</Series></message:DataSet></message:StructureSpecificData>\n");
    return xml.toUtf8();
}

QByteArray PublishedReply(IndexSeries series) {
    return SdmxReply(SeriesInfo(series).idbank, PublishedObservations(series));
}
