#include "engine/sdmx_reader.h"

#include "engine/packed_date.h"

#include <QXmlStreamReader>

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int kNamedUnreadable = 10;
constexpr qsizetype kNamedLength = 24;

QString MessageNamespace() {
    return QStringLiteral("http://www.sdmx.org/resources/sdmxml/schemas/v2_1/message");
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The table position of a "YYYY-Qn" period, or -1 when it is not one; a
// well-formed period outside the listed table gives kSize.
int PeriodPosition(QStringView period) {
    if (period.size() != 7 || period[4] != u'-' || period[5] != u'Q')
        return -1;
    int year = 0;
    for (int i = 0; i < 4; ++i) {
        if (!IsDigit(period[i]))
            return -1;
        year = year * 10 + (period[i].unicode() - u'0');
    }
    const char16_t q = period[6].unicode();
    if (q < u'1' || q > u'4')
        return -1;
    if (year < PackedDate::kFirstYear)
        return IndexTable::kSize;
    const int position = IndexTable::PositionOf(year, q - u'1');
    return position < IndexTable::kListedSize ? position : IndexTable::kSize;
}

// A finite positive decimal with "." and digits on both sides of it; 0
// when the text is not one.
double ObservationValue(QStringView text) {
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.first(point);
    const QStringView fraction = point < 0 ? QStringView() : text.sliced(point + 1);
    if (whole.isEmpty() || (point >= 0 && fraction.isEmpty()))
        return 0.0;
    for (QChar c : whole) {
        if (!IsDigit(c))
            return 0.0;
    }
    for (QChar c : fraction) {
        if (!IsDigit(c))
            return 0.0;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0.0 ||
        value > static_cast<double>(std::numeric_limits<float>::max()))
        return 0.0;
    return value;
}

QString Shortened(QStringView text) {
    if (text.size() <= kNamedLength)
        return text.toString();
    return text.first(kNamedLength).toString() + QChar(u'…');
}

SdmxReadOutcome Refused(SdmxRefusal refusal, const QString &detail = QString()) {
    SdmxReadOutcome outcome;
    outcome.refusal = refusal;
    outcome.detail = detail;
    return outcome;
}

} // namespace

SdmxReadOutcome ReadSdmxSeries(QByteArrayView reply, const QString &idbank) {
    if (reply.isEmpty())
        return Refused(SdmxRefusal::Empty);
    if (reply.size() > kMaxSdmxReplyBytes)
        return Refused(SdmxRefusal::TooLarge);

    SdmxReadOutcome outcome;
    std::array<bool, IndexTable::kListedSize> seen{};
    // Read in place: the reply is not copied.
    QXmlStreamReader xml(QByteArray::fromRawData(reply.data(), reply.size()));
    int depth = 0;
    int seriesDepth = -1; // the depth of the open Series, or -1
    bool rootSeen = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // No entity of a document type is ever expanded.
            return Refused(SdmxRefusal::NotXml);
        case QXmlStreamReader::StartElement: {
            ++depth;
            const QStringView name = xml.name();
            if (depth == 1) {
                rootSeen = true;
                if (name != u"StructureSpecificData" || xml.namespaceUri() != MessageNamespace())
                    return Refused(SdmxRefusal::NotSeriesData);
                break;
            }
            if (name != u"Series" && name != u"Obs")
                break;
            const QXmlStreamAttributes attributes = xml.attributes();
            if (name == u"Series") {
                if (seriesDepth >= 0)
                    return Refused(SdmxRefusal::NotSeriesData);
                seriesDepth = depth;
                const QStringView id = attributes.value(QLatin1String("IDBANK"));
                if (id != idbank)
                    return Refused(SdmxRefusal::WrongSeries, Shortened(id));
                const QStringView frequency = attributes.value(QLatin1String("FREQ"));
                if (attributes.hasAttribute(QLatin1String("FREQ")) && frequency != u"T")
                    return Refused(SdmxRefusal::NotQuarterly, Shortened(frequency));
                outcome.lastUpdate = Shortened(attributes.value(QLatin1String("LAST_UPDATE")));
            } else if (name == u"Obs") {
                if (seriesDepth < 0 || depth != seriesDepth + 1)
                    return Refused(SdmxRefusal::NotSeriesData);
                const QStringView period = attributes.value(QLatin1String("TIME_PERIOD"));
                const QStringView text = attributes.value(QLatin1String("OBS_VALUE"));
                const int position = PeriodPosition(period);
                if (position == IndexTable::kSize) {
                    ++outcome.outOfRange;
                    break;
                }
                if (position >= 0 && seen[static_cast<std::size_t>(position)])
                    return Refused(SdmxRefusal::DuplicateQuarter, period.toString());
                const double value = position >= 0 ? ObservationValue(text) : 0.0;
                if (position >= 0)
                    seen[static_cast<std::size_t>(position)] = true;
                if (value == 0.0) {
                    if (outcome.unreadable++ < kNamedUnreadable) {
                        outcome.unreadableNames.append(
                            (period.isEmpty() ? QStringLiteral("?") : Shortened(period)) +
                            QStringLiteral(" : « ") + Shortened(text) + QStringLiteral(" »"));
                    }
                    break;
                }
                outcome.values.Set(position, NarrowIndexValue(value));
                ++outcome.quarters;
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (depth == seriesDepth)
                seriesDepth = -1;
            --depth;
            break;
        default:
            break;
        }
    }
    if (xml.hasError() || !rootSeen)
        return Refused(SdmxRefusal::NotXml, xml.errorString());
    if (outcome.quarters == 0) {
        SdmxReadOutcome none = Refused(SdmxRefusal::NoObservation);
        none.unreadable = outcome.unreadable;
        none.unreadableNames = outcome.unreadableNames;
        return none;
    }
    return outcome;
}
