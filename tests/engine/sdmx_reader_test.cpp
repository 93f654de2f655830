// The reader of INSEE's series replies, against replies made from the
// published values of data/insee: every series read whole, and one table of
// replies that are refused or partly unreadable.

#include "engine/sdmx_reader.h"

#include "engine/index_series.h"
#include "support/sdmx_replies.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(SdmxReader, ReadsEachPublishedSeriesWhole) {
    for (const IndexSeriesInfo &info : KnownIndexSeries()) {
        SCOPED_TRACE(info.shortName.toStdString());
        const std::vector<ReplyObservation> observations = PublishedObservations(info.series);
        ASSERT_GE(observations.size(), 80u);
        const SdmxReadOutcome outcome = ReadSdmxSeries(PublishedReply(info.series), info.idbank);
        ASSERT_EQ(outcome.refusal, SdmxRefusal::None) << outcome.detail.toStdString();
        EXPECT_EQ(outcome.quarters, static_cast<int>(observations.size()));
        EXPECT_EQ(outcome.unreadable, 0);
        EXPECT_EQ(outcome.outOfRange, 0);
        EXPECT_EQ(outcome.lastUpdate, QStringLiteral("2026-07-10"));
        for (int p = 0; p < IndexTable::kSize; ++p)
            EXPECT_EQ(outcome.values.At(p), PublishedValues(info.series).At(p)) << p;
    }
}

// The IRL's observations, changed by `edit`.
std::vector<ReplyObservation>
Irl(const std::function<void(std::vector<ReplyObservation> &)> &edit) {
    std::vector<ReplyObservation> o = PublishedObservations(IndexSeries::Irl);
    edit(o);
    return o;
}

QByteArray IrlReply(const std::function<void(std::vector<ReplyObservation> &)> &edit) {
    return SdmxReply(SeriesInfo(IndexSeries::Irl).idbank, Irl(edit));
}

// The position of the reply's observation `i` (newest first).
int PositionOf(int i) {
    const ReplyObservation o = PublishedObservations(IndexSeries::Irl)[static_cast<size_t>(i)];
    return IndexTable::PositionOf(o.period.left(4).toInt(), o.period.right(1).toInt() - 1);
}

TEST(SdmxReader, RefusesOrSkipsWhatIsNotAPublishedQuarter) {
    const auto setValue = [](int i, const char *value) {
        return [=](std::vector<ReplyObservation> &o) {
            o[static_cast<size_t>(i)].value = QString::fromUtf8(value);
        };
    };
    const auto setPeriod = [](int i, const char *period) {
        return [=](std::vector<ReplyObservation> &o) {
            o[static_cast<size_t>(i)].period = QString::fromUtf8(period);
        };
    };
    const QByteArray good = PublishedReply(IndexSeries::Irl);
    QByteArray huge = good;
    huge.insert(huge.indexOf("<Series"), QByteArray(3 * 1024 * 1024, ' '));
    QByteArray monthly = good;
    monthly.replace("FREQ=\"T\"", "FREQ=\"M\"");
    QByteArray withDtd = good;
    withDtd.replace("<message:StructureSpecificData",
                    "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><message:StructureSpecificData");
    QByteArray secondSeries = good;
    secondSeries.replace("</Series>", "</Series><Series IDBANK=\"001532540\" FREQ=\"T\"/>");
    QByteArray noNamespace = good;
    noNamespace.replace(
        "xmlns:message=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/message\"",
        "xmlns:message=\"urn:other\"");

    struct Case {
        const char *name;
        QByteArray reply;
        SdmxRefusal refusal;
        QString detail = {};
        int unreadable = 0;
        int outOfRange = 0;
        int missingObservation = -1; // the observation not taken, or -1
    };
    const Case cases[] = {
        {"wrong series", SdmxReply(SeriesInfo(IndexSeries::Ilc).idbank, Irl([](auto &) {})),
         SdmxRefusal::WrongSeries, QStringLiteral("001532540")},
        {"a second series", secondSeries, SdmxRefusal::WrongSeries, QStringLiteral("001532540")},
        {"bad period", IrlReply(setPeriod(3, "2025-Q5")), SdmxRefusal::None, {}, 1, 0, 3},
        {"period without dash", IrlReply(setPeriod(3, "2025Q3")), SdmxRefusal::None, {}, 1, 0, 3},
        {"NaN", IrlReply(setValue(0, "NaN")), SdmxRefusal::None, {}, 1, 0, 0},
        {"negative", IrlReply(setValue(1, "-146.68")), SdmxRefusal::None, {}, 1, 0, 1},
        {"zero", IrlReply(setValue(1, "0.00")), SdmxRefusal::None, {}, 1, 0, 1},
        {"decimal comma", IrlReply(setValue(2, "145,47")), SdmxRefusal::None, {}, 1, 0, 2},
        {"exponent", IrlReply(setValue(2, "1.4547e2")), SdmxRefusal::None, {}, 1, 0, 2},
        {"empty value", IrlReply(setValue(2, "")), SdmxRefusal::None, {}, 1, 0, 2},
        {"before 1970 and after 2105",
         IrlReply([](auto &o) {
             o.push_back({QStringLiteral("1969-Q4"), QStringLiteral("10.00")});
             o.insert(o.begin(), {QStringLiteral("2106-Q1"), QStringLiteral("10.00")});
         }),
         SdmxRefusal::None,
         {},
         0,
         2},
        {"duplicate quarter", IrlReply([](auto &o) { o.push_back(o[5]); }),
         SdmxRefusal::DuplicateQuarter, PublishedObservations(IndexSeries::Irl)[5].period},
        {"duplicate of an unreadable quarter", IrlReply([](auto &o) {
             o.push_back(o[5]);
             o.back().value = QStringLiteral("NaN");
         }),
         SdmxRefusal::DuplicateQuarter, PublishedObservations(IndexSeries::Irl)[5].period},
        {"no usable observation",
         IrlReply([](auto &o) {
             for (ReplyObservation &x : o)
                 x.value = QStringLiteral("NaN");
         }),
         SdmxRefusal::NoObservation,
         {},
         static_cast<int>(PublishedObservations(IndexSeries::Irl).size())},
        {"no observation", IrlReply([](auto &o) { o.clear(); }), SdmxRefusal::NoObservation},
        {"truncated", good.left(good.size() / 2), SdmxRefusal::NotXml},
        {"not XML", "Service temporairement indisponible", SdmxRefusal::NotXml},
        {"HTML page", "<!DOCTYPE html><html><body>404</body></html>", SdmxRefusal::NotXml},
        {"entity declaration", withDtd, SdmxRefusal::NotXml},
        {"SDMX error message",
         "<message:Error xmlns:message=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/"
         "message\"><message:ErrorMessage code=\"100\"/></message:Error>",
         SdmxRefusal::NotSeriesData},
        {"another namespace", noNamespace, SdmxRefusal::NotSeriesData},
        {"monthly", monthly, SdmxRefusal::NotQuarterly, QStringLiteral("M")},
        {"empty", QByteArray(), SdmxRefusal::Empty},
        {"3 MB", huge, SdmxRefusal::TooLarge},
    };
    const IndexTable &published = PublishedValues(IndexSeries::Irl);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const SdmxReadOutcome outcome =
            ReadSdmxSeries(c.reply, SeriesInfo(IndexSeries::Irl).idbank);
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (!c.detail.isEmpty()) {
            EXPECT_EQ(outcome.detail, c.detail);
        }
        EXPECT_EQ(outcome.unreadable, c.unreadable);
        EXPECT_EQ(outcome.unreadableNames.size(), std::min(c.unreadable, 10));
        if (c.unreadable == 1) {
            // Named by its period and the value as given.
            EXPECT_TRUE(outcome.unreadableNames[0].contains(QStringLiteral(" : « ")));
        }
        if (outcome.refusal != SdmxRefusal::None) {
            // Nothing of a refused reply is taken.
            EXPECT_EQ(outcome.values.Values(), IndexTable().Values());
            continue;
        }
        EXPECT_EQ(outcome.outOfRange, c.outOfRange);
        const int missing = c.missingObservation >= 0 ? PositionOf(c.missingObservation) : -1;
        for (int p = 0; p < IndexTable::kSize; ++p)
            EXPECT_EQ(outcome.values.At(p), p == missing ? 0.0f : published.At(p)) << p;
    }
}

} // namespace
