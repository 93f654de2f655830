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
        const SdmxReadOutcome outcome = ReadSdmxSeries(PublishedReply(info.series), info.idbank);
        ASSERT_EQ(outcome.refusal, SdmxRefusal::None) << outcome.detail.toStdString();
        EXPECT_EQ(outcome.values.Values(), PublishedValues(info.series).Values());
    }
}

using Observations = std::vector<ReplyObservation>;

// A reply of the IRL's observations changed by `edit`.
QByteArray IrlReply(const std::function<void(Observations &)> &edit) {
    Observations o = PublishedObservations(IndexSeries::Irl);
    edit(o);
    return SdmxReply(SeriesInfo(IndexSeries::Irl).idbank, o);
}

TEST(SdmxReader, RefusesOrSkipsWhatIsNotAPublishedQuarter) {
    const Observations irl = PublishedObservations(IndexSeries::Irl);
    const QByteArray good = PublishedReply(IndexSeries::Irl);
    const auto replaced = [&good](QByteArrayView from, QByteArrayView to) {
        return QByteArray(good).replace(from, to);
    };
    struct Case {
        const char *name;
        QByteArray reply;
        SdmxRefusal refusal;
        std::vector<std::size_t> missing = {}; // the observations not taken, each unreadable
        int outOfRange = 0;
    };
    const Case cases[] = {
        {"wrong series", SdmxReply(SeriesInfo(IndexSeries::Ilc).idbank, irl),
         SdmxRefusal::WrongSeries},
        {"bad period",
         IrlReply([](Observations &o) { o[3].period = QStringLiteral("2025-Q5"); }),
         SdmxRefusal::None,
         {3}},
        {"NaN, negative, zero, decimal comma, exponent, empty value",
         IrlReply([](Observations &o) {
             int i = 0;
             for (const char *text : {"NaN", "-146.68", "0.00", "145,47", "1.4547e2", ""})
                 o[i++].value = QString::fromLatin1(text);
         }),
         SdmxRefusal::None,
         {0, 1, 2, 3, 4, 5}},
        {"before 1970 and after 2105",
         IrlReply([](Observations &o) {
             o.push_back({QStringLiteral("1969-Q4"), QStringLiteral("10.00")});
             o.insert(o.begin(), {QStringLiteral("2106-Q1"), QStringLiteral("10.00")});
         }),
         SdmxRefusal::None,
         {},
         2},
        {"duplicate quarter", IrlReply([](Observations &o) { o.push_back(o[5]); }),
         SdmxRefusal::DuplicateQuarter},
        {"no usable observation", IrlReply([](Observations &o) {
             for (ReplyObservation &x : o)
                 x.value = QStringLiteral("NaN");
         }),
         SdmxRefusal::NoObservation},
        {"truncated", good.left(good.size() / 2), SdmxRefusal::NotXml},
        {"not XML", "Service temporairement indisponible", SdmxRefusal::NotXml},
        {"entities declared",
         replaced("<message:StructureSpecificData",
                  "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><message:StructureSpecificData"),
         SdmxRefusal::NotXml},
        {"another namespace", replaced("schemas/v2_1/message", "other"),
         SdmxRefusal::NotSeriesData},
        {"monthly", replaced("FREQ=\"T\"", "FREQ=\"M\""), SdmxRefusal::NotQuarterly},
        {"empty", QByteArray(), SdmxRefusal::Empty},
        {"3 MB", QByteArray(good).insert(good.indexOf("<Series"), QByteArray(3 << 20, ' ')),
         SdmxRefusal::TooLarge},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const SdmxReadOutcome outcome =
            ReadSdmxSeries(c.reply, SeriesInfo(IndexSeries::Irl).idbank);
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (outcome.refusal != SdmxRefusal::None) {
            // Nothing of a refused reply is taken.
            EXPECT_EQ(outcome.values.Values(), IndexTable().Values());
            continue;
        }
        EXPECT_EQ(outcome.unreadable, static_cast<int>(c.missing.size()));
        EXPECT_EQ(outcome.outOfRange, c.outOfRange);
        IndexTable expected = PublishedValues(IndexSeries::Irl);
        for (const std::size_t i : c.missing) {
            const QString &period = irl[i].period;
            expected.Set(
                IndexTable::PositionOf(period.left(4).toInt(), period.right(1).toInt() - 1), 0.0f);
        }
        EXPECT_EQ(outcome.values.Values(), expected.Values());
    }
}

} // namespace
