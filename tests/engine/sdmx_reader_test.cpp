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
        EXPECT_EQ(outcome.quarters, static_cast<int>(PublishedObservations(info.series).size()));
        EXPECT_EQ(outcome.unreadable + outcome.outOfRange, 0);
        EXPECT_EQ(outcome.lastUpdate, QStringLiteral("2026-07-10"));
        EXPECT_EQ(outcome.values.Values(), PublishedValues(info.series).Values());
    }
}

using Observations = std::vector<ReplyObservation>;

const Observations &Irl() {
    static const Observations observations = PublishedObservations(IndexSeries::Irl);
    return observations;
}

// A reply of the IRL's observations changed by `edit`.
QByteArray IrlReply(const std::function<void(Observations &)> &edit) {
    Observations o = Irl();
    edit(o);
    return SdmxReply(SeriesInfo(IndexSeries::Irl).idbank, o);
}

// A reply of the IRL with the values (or, `periods`, the periods) of the
// observations given (newest first) replaced.
QByteArray IrlWith(std::initializer_list<std::pair<std::size_t, const char *>> changes,
                   bool periods = false) {
    return IrlReply([&](Observations &o) {
        for (const auto &[i, text] : changes)
            (periods ? o[i].period : o[i].value) = QString::fromUtf8(text);
    });
}

TEST(SdmxReader, RefusesOrSkipsWhatIsNotAPublishedQuarter) {
    const QByteArray good = PublishedReply(IndexSeries::Irl);
    const auto replaced = [&good](QByteArrayView from, QByteArrayView to) {
        return QByteArray(good).replace(from, to);
    };
    const QByteArray ns =
        "xmlns:message=\"http://www.sdmx.org/resources/sdmxml/schemas/v2_1/message\"";
    const QByteArray outside = IrlReply([](Observations &o) {
        o.push_back({QStringLiteral("1969-Q4"), QStringLiteral("10.00")});
        o.insert(o.begin(), {QStringLiteral("2106-Q1"), QStringLiteral("10.00")});
    });
    const QByteArray noneReadable = IrlReply([](Observations &o) {
        for (ReplyObservation &x : o)
            x.value = QStringLiteral("NaN");
    });
    struct Case {
        const char *name;
        QByteArray reply;
        SdmxRefusal refusal;
        QString detail = {};
        std::vector<std::size_t> missing = {}; // the observations not taken, each unreadable
        int outOfRange = 0;
        int unreadable = -1; // when not those missing
    };
    const Case cases[] = {
        {"wrong series", SdmxReply(SeriesInfo(IndexSeries::Ilc).idbank, Irl()),
         SdmxRefusal::WrongSeries, QStringLiteral("001532540")},
        {"a second series",
         replaced("</Series>", "</Series><Series IDBANK=\"001532540\" FREQ=\"T\"/>"),
         SdmxRefusal::WrongSeries, QStringLiteral("001532540")},
        {"bad period, period without dash",
         IrlWith({{3, "2025-Q5"}, {4, "2025Q3"}}, true),
         SdmxRefusal::None,
         {},
         {3, 4}},
        {"NaN", IrlWith({{0, "NaN"}}), SdmxRefusal::None, {}, {0}},
        {"negative", IrlWith({{1, "-146.68"}}), SdmxRefusal::None, {}, {1}},
        {"zero, decimal comma, exponent, empty value",
         IrlWith({{5, "0.00"}, {6, "145,47"}, {7, "1.4547e2"}, {8, ""}}),
         SdmxRefusal::None,
         {},
         {5, 6, 7, 8}},
        {"before 1970 and after 2105", outside, SdmxRefusal::None, {}, {}, 2},
        {"duplicate quarter", IrlReply([](Observations &o) { o.push_back(o[5]); }),
         SdmxRefusal::DuplicateQuarter, Irl()[5].period},
        {"duplicate of an unreadable quarter", IrlReply([](Observations &o) {
             o.push_back({o[5].period, QStringLiteral("NaN")});
         }),
         SdmxRefusal::DuplicateQuarter, Irl()[5].period},
        {"no usable observation",
         noneReadable,
         SdmxRefusal::NoObservation,
         {},
         {},
         0,
         static_cast<int>(Irl().size())},
        {"truncated", good.left(good.size() / 2), SdmxRefusal::NotXml},
        {"not XML", "Service temporairement indisponible", SdmxRefusal::NotXml},
        {"a document type (an HTML page's, or one declaring entities)",
         replaced("<message:StructureSpecificData",
                  "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><message:StructureSpecificData"),
         SdmxRefusal::NotXml},
        {"SDMX error message",
         "<message:Error " + ns + "><message:ErrorMessage code=\"100\"/></message:Error>",
         SdmxRefusal::NotSeriesData},
        {"another namespace", replaced(ns, "xmlns:message=\"urn:other\""),
         SdmxRefusal::NotSeriesData},
        {"monthly", replaced("FREQ=\"T\"", "FREQ=\"M\""), SdmxRefusal::NotQuarterly,
         QStringLiteral("M")},
        {"empty", QByteArray(), SdmxRefusal::Empty},
        {"3 MB", QByteArray(good).insert(good.indexOf("<Series"), QByteArray(3 << 20, ' ')),
         SdmxRefusal::TooLarge},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const SdmxReadOutcome outcome =
            ReadSdmxSeries(c.reply, SeriesInfo(IndexSeries::Irl).idbank);
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (!c.detail.isEmpty()) {
            EXPECT_EQ(outcome.detail, c.detail);
        }
        const int unreadable =
            c.unreadable >= 0 ? c.unreadable : static_cast<int>(c.missing.size());
        EXPECT_EQ(outcome.unreadable, unreadable);
        EXPECT_EQ(outcome.unreadableNames.size(), std::min(unreadable, 10));
        for (const QString &name : outcome.unreadableNames) // its period and value as given
            EXPECT_TRUE(name.contains(QStringLiteral(" : « "))) << name.toStdString();
        if (outcome.refusal != SdmxRefusal::None) {
            // Nothing of a refused reply is taken.
            EXPECT_EQ(outcome.values.Values(), IndexTable().Values());
            continue;
        }
        EXPECT_EQ(outcome.outOfRange, c.outOfRange);
        IndexTable expected = PublishedValues(IndexSeries::Irl);
        for (const std::size_t i : c.missing) {
            const QString &period = Irl()[i].period;
            expected.Set(
                IndexTable::PositionOf(period.left(4).toInt(), period.right(1).toInt() - 1), 0.0f);
        }
        EXPECT_EQ(outcome.values.Values(), expected.Values());
    }
}

} // namespace
