#include "engine/revision_report.h"

#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "support/test_locales.h"
#include "support/worked_example.h"

#include <gtest/gtest.h>

namespace {

ReportSettings French(int cible, const char16_t *symbol = u"F") {
    return {cible, QString::fromUtf16(symbol), TestLocale::French()};
}

class Report : public ::testing::Test {
protected:
    void SetUp() override { ReadDecimalSeparator(TestLocale::French()); }
    void TearDown() override { ReadDecimalSeparator(UserLocale{}); }

    static RevisionReport Example(int cible) {
        const CalcDocument doc = WorkedExampleDocument();
        return BuildRevisionReport(doc, CheckAndWalk(doc, WorkedExampleIndices()),
                                   PackedDate::FromParts(7, 12, 2026), French(cible));
    }
};

TEST_F(Report, WorkedExampleComesOutByteForByte) {
    const RevisionReport report = Example(1);

    EXPECT_EQ(report.Table(), WorkedExampleTableForm());
    EXPECT_EQ(report.Tabs(), WorkedExampleTabForm());
}

TEST_F(Report, ClosingAndRowOffsetDependOnTheTarget) {
    struct Case {
        int cible;
        QByteArray tableEnd;
        bool rowOffset;
    };
    const Case cases[] = {
        {0, R"(\cell\row\pard\par}}})", false},
        {1, R"(\cell\row}\par}})", false},
        {2, R"(\cell\row}\par}})", true},
    };
    for (const Case &c : cases) {
        const RevisionReport report = Example(c.cible);
        EXPECT_TRUE(report.Table().endsWith(c.tableEnd)) << c.cible;
        EXPECT_TRUE(report.Tabs().endsWith(R"(\par)"
                                           "\r\n"
                                           R"(}\par}})"))
            << c.cible;
        // The offset goes between the rent paragraph and the list, in both forms.
        const QByteArray offset = c.rowOffset ? R"(\trleft-70)" : "";
        EXPECT_TRUE(report.Table().contains(R"(3 500,00\~F\par)" + offset + R"(\trowd)"))
            << c.cible;
        EXPECT_TRUE(
            report.Tabs().contains(R"(3 500,00\~F\par\par )" + offset + ReportCellBorders()))
            << c.cible;
        EXPECT_EQ(report.Table().count(R"(\trleft-70)"), c.rowOffset ? 1 : 0);
    }
}

TEST_F(Report, WithoutRowsTheListHasOnlyItsHeadings) {
    CalcDocument doc = WorkedExampleDocument();
    IndexTable indices = WorkedExampleIndices();
    indices.Set(IndexTable::PositionOf(1999, 1), 0.0f);
    const RevisionOutcome outcome = CheckAndWalk(doc, indices);
    ASSERT_TRUE(outcome.stoppedAtZeroIndex);
    ASSERT_TRUE(outcome.rows.empty());

    const RevisionReport report =
        BuildRevisionReport(doc, outcome, PackedDate::FromParts(7, 12, 2026), French(1));
    EXPECT_TRUE(report.Table().endsWith(Cp1252Bytes(R"(Loyer\cell\row}}\par}})")));
    EXPECT_TRUE(report.Tabs().endsWith(Cp1252Bytes(R"(\tab Loyer}\par }\par}})")));
    EXPECT_FALSE(report.Table().contains(R"(\intbl 0)"));

    // A refused calculation gives an empty report.
    doc.rent = 0.0;
    const RevisionReport refused =
        BuildRevisionReport(doc, CheckAndWalk(doc, WorkedExampleIndices()),
                            PackedDate::FromParts(7, 12, 2026), French(1));
    EXPECT_TRUE(refused.Table().isEmpty());
    EXPECT_TRUE(refused.Tabs().isEmpty());
}

TEST_F(Report, RowsInsertTheirPiecesAsTheyAre) {
    struct Case {
        RevisionRow row;
        ReportSettings settings;
        QByteArray table;
        QByteArray tabs;
    };
    UserLocale percentDates = TestLocale::French();
    percentDates.shortDatePattern = QStringLiteral("dd%MM%yyyy");
    const PackedDate date = PackedDate::FromParts(15, 3, 2001);
    const Case cases[] = {
        {{date, 102.5, 1234.567},
         French(1),
         R"(\intbl 15/03/2001\cell 102,50\cell 1 234,57\~F\cell\row)",
         "15/03/2001\\tab 102,50\\tab 1 234,57\\~F\\par\r\n"},
        {{date, 102.5, -1234.5},
         French(1),
         R"(\intbl 15/03/2001\cell 102,50\cell -1 234,50\~F\cell\row)",
         "15/03/2001\\tab 102,50\\tab -1 234,50\\~F\\par\r\n"},
        {{date, 1.0, 1.0},
         French(1, u"%s\\{x}%d"),
         R"(\intbl 15/03/2001\cell 1,00\cell 1,00\~%s\\\{x\}%d\cell\row)",
         "15/03/2001\\tab 1,00\\tab 1,00\\~%s\\\\\\{x\\}%d\\par\r\n"},
        {{date, 1.0, 1.0},
         French(1, u"\u20AC"),
         "\\intbl 15/03/2001\\cell 1,00\\cell 1,00\\~\x80\\cell\\row",
         "15/03/2001\\tab 1,00\\tab 1,00\\~\x80\\par\r\n"},
        {{date, 1.0, 1.0},
         {1, QStringLiteral("F"), percentDates},
         R"(\intbl 15%03%2001\cell 1,00\cell 1,00\~F\cell\row)",
         "15%03%2001\\tab 1,00\\tab 1,00\\~F\\par\r\n"},
    };
    for (const Case &c : cases) {
        RevisionReport report;
        report.AppendReportRow(c.row, c.settings);
        EXPECT_EQ(report.Table(), c.table);
        EXPECT_EQ(report.Tabs(), c.tabs);
    }
}

TEST_F(Report, ReportLineEndsBothFormsWithAParagraph) {
    RevisionReport report;
    report.AppendReportLine("a%sb");
    report.AppendReportLine("");
    EXPECT_EQ(report.Table(), QByteArray(R"(a%sb\par \par )"));
    EXPECT_EQ(report.Tabs(), QByteArray(R"(a%sb\par \par )"));
    report.Clear();
    EXPECT_TRUE(report.Table().isEmpty());
    EXPECT_TRUE(report.Tabs().isEmpty());
}

TEST(SpacedParagraph, SpacingBecomesEmptyParagraphsOrTwips) {
    struct Case {
        QByteArray text;
        int before;
        int after;
        QByteArray table;
        QByteArray tabs;
    };
    const Case cases[] = {
        {"x", 0, 6, R"(\sa240x)", R"(x\par )"},
        {R"(x\par)", 0, 6, R"(\sa240x\par)", R"(x\par\par )"},
        {R"(x\par )", 0, 6, R"(\sa240x\par \par )", R"(x\par \par )"},
        {R"(x\par )", 0, 0, R"(x\par )", R"(x\par )"},
        {"x", 12, 0, R"(\sb480x)", R"(\par \par x)"},
        {"x", 5, 11, R"(\sb200\sa440x)", R"(x\par )"},
        {"x", -6, 6, R"(\sb-240\sa240x)", R"(x\par )"},
        {R"(\par )", 6, -6, R"(\sb240\sa-240\par )", R"(\par \par )"},
        {"ar ", 0, 6, R"(\sa240ar )", R"(ar \par )"},
        {"", 0, 0, "", ""},
    };
    for (const Case &c : cases) {
        RevisionReport report;
        report.AppendSpacedParagraph(c.text, c.before, c.after);
        EXPECT_EQ(report.Table(), c.table)
            << c.text.constData() << " " << c.before << " " << c.after;
        EXPECT_EQ(report.Tabs(), c.tabs) << c.text.constData() << " " << c.before << " " << c.after;
    }
}

TEST(LongDateText, OrdinalOnTheFirstOfTheMonthOnly) {
    UserLocale odd = TestLocale::French();
    odd.monthNames[0] = QStringLiteral("{jan\\}");
    odd.monthNames[1] = QStringLiteral("\u01C4"); // no Windows-1252 byte
    struct Case {
        PackedDate date;
        UserLocale locale;
        QByteArray text;
    };
    const Case cases[] = {
        {PackedDate::FromParts(1, 7, 1999), TestLocale::French(), R"(1{\super er} juillet 1999)"},
        {PackedDate::FromParts(15, 7, 2001), TestLocale::French(), "15 juillet 2001"},
        {PackedDate::FromParts(1, 2, 2004), TestLocale::French(),
         Cp1252Bytes(R"(1{\super er} février 2004)")},
        {PackedDate::FromParts(1, 8, 2000), TestLocale::French(),
         Cp1252Bytes(R"(1{\super er} août 2000)")},
        {PackedDate::FromParts(31, 12, 2106), TestLocale::French(),
         Cp1252Bytes("31 décembre 2106")},
        {PackedDate::FromParts(1, 7, 1999), TestLocale::English(), R"(1{\super er} July 1999)"},
        {PackedDate::FromParts(1, 3, 1999), TestLocale::German(),
         Cp1252Bytes(R"(1{\super er} März 1999)")},
        {PackedDate::FromParts(3, 1, 1999), odd, R"(3 \{jan\\\} 1999)"},
        {PackedDate::FromParts(1, 2, 1999), odd, R"(1{\super er} \u452? 1999)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LongDateText(c.date, c.locale), c.text) << c.date.Word();
}

TEST(QuarterText, FirstQuarterTakesTheOrdinalEr) {
    struct Case {
        unsigned month;
        unsigned year;
        QByteArray text;
    };
    const Case cases[] = {
        {1, 1998, R"( (1{\super er} trimestre 1998))"},
        {4, 1998, R"( (2{\super e} trimestre 1998))"},
        {10, 2106, R"( (4{\super e} trimestre 2106))"},
        {12, 1970, R"( (5{\super e} trimestre 1970))"}, // not a quarter date
        {0, 0, R"( (1{\super er} trimestre 0))"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(QuarterText(PackedDate::FromParts(1, c.month, c.year)), c.text) << c.month;
}

} // namespace
