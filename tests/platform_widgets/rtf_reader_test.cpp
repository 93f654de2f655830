#include "platform_widgets/rtf_reader.h"

#include "support/worked_example.h"

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Text of every block in document order (table cells included), one a line.
QString BlockTexts(const QTextDocument &doc) {
    QStringList lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines.join(u'\n');
}

QList<QTextTable *> Tables(QTextDocument &doc) {
    QList<QTextTable *> tables;
    for (QTextFrame *frame : doc.rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame))
            tables.append(table);
    }
    return tables;
}

QString CellText(QTextTable *table, int row, int column) {
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// Character format of the first character of `needle` in the document.
QTextCharFormat FormatOf(const QTextDocument &doc, const QString &needle) {
    const QTextCursor found = doc.find(needle, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(found.isNull()) << needle.toStdString();
    QTextCursor at(found);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QTextBlock BlockWith(const QTextDocument &doc, const QString &needle) {
    const QTextCursor found = doc.find(needle, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(found.isNull()) << needle.toStdString();
    return found.block();
}

QString Read(const QByteArray &rtf) {
    QTextDocument doc;
    ReadRtfInto(doc, rtf);
    return BlockTexts(doc);
}

TEST(RtfReaderTest, TabFormOfTheReportGivesItsLinesAndFormats) {
    QTextDocument doc;
    EXPECT_TRUE(ReadRtfInto(doc, WorkedExampleTabForm()));

    const std::u16string expected =
        u"07/12/2026\nDate de signature du bail\u00a0: 1er juillet 1998\n"
        u"Indice de r\u00e9f\u00e9rence du loyer\u00a0: 1000,00 (2e trimestre 1998)\n"
        u"Date de d\u00e9but de calcul\u00a0: 1er juillet 1999\n"
        u"Date de fin de calcul\u00a0: 1er juillet 2000\nMontant du loyer\u00a0: 3 "
        u"500,00\u00a0F\n\n"
        u"Date de r\u00e9vision\tIndice\tLoyer\n01/07/1999\t1020,00\t3 570,00\u00a0F\n"
        u"01/07/2000\t1050,00\t3 675,00\u00a0F";
    EXPECT_EQ(BlockTexts(doc).toStdU16String(), expected);
    EXPECT_TRUE(Tables(doc).isEmpty());

    // Today's date right-aligned, the rest left-aligned, Arial 10 points.
    EXPECT_EQ(doc.begin().blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(BlockWith(doc, QStringLiteral("Date de fin")).blockFormat().alignment(),
              Qt::AlignLeft);
    const QTextCharFormat date = FormatOf(doc, QStringLiteral("07/12/2026"));
    EXPECT_EQ(date.fontPointSize(), 10.0);
    EXPECT_EQ(date.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(date.fontWeight(), QFont::Normal);

    // Bold labels, plain values, superscript ordinals.
    EXPECT_EQ(FormatOf(doc, QStringLiteral("Date de signature du bail")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(doc, QStringLiteral(" juillet 1998")).fontWeight(), QFont::Normal);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("er juillet 1998")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(FormatOf(doc, QStringLiteral(" juillet 1998")).verticalAlignment(),
              QTextCharFormat::AlignNormal);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("e trimestre")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("Loyer")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("01/07/1999")).fontWeight(), QFont::Normal);

    // The tab stops of the heading line stay for the rows.
    const QList<QTextOption::Tab> expectedTabs{QTextOption::Tab(1988 / 15.0, QTextOption::LeftTab),
                                               QTextOption::Tab(3124 / 15.0, QTextOption::LeftTab)};
    EXPECT_EQ(BlockWith(doc, QStringLiteral("Indice\t")).blockFormat().tabPositions(),
              expectedTabs);
    EXPECT_EQ(BlockWith(doc, QStringLiteral("01/07/2000")).blockFormat().tabPositions(),
              expectedTabs);
    EXPECT_TRUE(doc.begin().blockFormat().tabPositions().isEmpty());
}

TEST(RtfReaderTest, TableFormOfTheReportGivesABorderedThreeColumnTable) {
    QTextDocument doc;
    EXPECT_TRUE(ReadRtfInto(doc, WorkedExampleTableForm()));

    const QList<QTextTable *> tables = Tables(doc);
    ASSERT_EQ(tables.size(), 1);
    QTextTable *table = tables.first();
    ASSERT_EQ(table->rows(), 3);
    ASSERT_EQ(table->columns(), 3);
    QStringList cells;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            cells.append(CellText(table, row, column));
    }
    EXPECT_EQ(cells.join(u'|').toStdU16String(),
              std::u16string(u"Date de r\u00e9vision|Indice|Loyer|01/07/1999|1020,00|"
                             u"3 570,00\u00a0F|01/07/2000|1050,00|3 675,00\u00a0F"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("Loyer")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("1020,00")).fontWeight(), QFont::Normal);

    const QTextTableFormat format = table->format();
    EXPECT_GT(format.border(), 0.0);
    const QList<QTextLength> widths = format.columnWidthConstraints();
    ASSERT_EQ(widths.size(), 3);
    EXPECT_DOUBLE_EQ(widths[0].rawValue(), 1843 / 15.0);
    EXPECT_DOUBLE_EQ(widths[1].rawValue(), (3402 - 1843) / 15.0);
    EXPECT_DOUBLE_EQ(widths[2].rawValue(), (4962 - 3402) / 15.0);

    // The rent line keeps its space after and the table follows it directly.
    const QTextBlock rent = BlockWith(doc, QStringLiteral("Montant du loyer"));
    EXPECT_DOUBLE_EQ(rent.blockFormat().bottomMargin(), 240 / 15.0);
    EXPECT_EQ(QTextCursor(rent.next()).currentTable(), table);
    EXPECT_TRUE(BlockTexts(doc).startsWith(QStringLiteral("07/12/2026\nDate de signature")));
}

TEST(RtfReaderTest, DecodesEscapesAndSpecialCharacters) {
    struct Case {
        const char *name;
        QByteArray rtf;
        std::u16string text;
    };
    const Case cases[] = {
        {"hex escape", R"({\rtf1 caf\'e9})", u"caf\u00e9"},
        {"hex escape upper case", R"({\rtf1 \'C9t\'E9})", u"\u00c9t\u00e9"},
        {"hex escape of the euro byte", R"({\rtf1 5\'80})", u"5\u20ac"},
        {"raw code page byte", "{\\rtf1 5\x80 \xe9}", u"5\u20ac \u00e9"},
        {"unicode with fallback", R"({\rtf1 5\u8364?})", u"5\u20ac"},
        {"negative unicode", R"({\rtf1 \u-3913?})", u"\uf0b7"},
        {"uc2 skips two", R"({\rtf1 \uc2\u233 xyz})", u"\u00e9z"},
        {"uc0 skips nothing", R"({\rtf1 \uc0\u233 xyz})", u"\u00e9xyz"},
        {"hex escape counts as one skipped", R"({\rtf1 \u233\'e9x})", u"\u00e9x"},
        {"uc is scoped to its group", R"({\rtf1 {\uc2 a}\u233 xy})", u"a\u00e9y"},
        {"skip stops at a group end", R"({\rtf1 {\uc3\u233 a}b})", u"\u00e9b"},
        {"surrogate pair", R"({\rtf1 \u-10179?\u-8704?})", u"\U0001F600"},
        {"lone surrogate replaced", R"({\rtf1 \u-10179?x})", u"\ufffdx"},
        {"escaped braces and backslash", R"({\rtf1 \{a\}\\})", u"{a}\\"},
        {"special symbols", R"({\rtf1 a\~b\-c\_d})", u"a\u00a0b\u00adc\u2011d"},
        {"named characters", R"({\rtf1 \lquote x\rquote\emdash\bullet})",
         u"\u2018x\u2019\u2014\u2022"},
        {"tab and line", R"({\rtf1 a\tab b\line c})", u"a\tb\u2028c"},
        {"raw tab kept, line breaks ignored", "{\\rtf1 a\tb\r\nc}", u"a\tbc"},
        {"controls and reserved characters dropped",
         "{\\rtf1 a\x01\x1f\x7f\\u8233?\\u64976?\\u65532?b}", u"ab"},
        {"escaped line break ends the paragraph", "{\\rtf1 a\\\nb}", u"a\nb"},
        {"hidden text", R"({\rtf1 a\v hidden\v0 b})", u"ab"},
        {"unknown words and destinations", R"({\rtf1\foo12 a{\*\generator Gen;}\zz-3 b})", u"ab"},
        {"skipped destinations",
         R"({\rtf1{\stylesheet{\s0 Normal;}}{\info{\title T}}{\colortbl;\red1;}{\header H}x})",
         u"x"},
        {"field result kept, instruction skipped",
         R"({\rtf1{\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}}})", u"link"},
        {"binary data skipped", R"({\rtf1 a\bin4 {}\}b})", u"ab"},
        {"minus before a letter is text", R"({\rtf1 \li-x})", u"-x"},
        {"minus without digits is text", R"({\rtf1 \b- x})", u"- x"},
        {"paragraphs", R"({\rtf1 a\par\par b\par})", u"a\n\nb"},
        {"text after the document is ignored", R"({\rtf1 a}b)", u"a"},
        {"text that is not rich text", "plain {text} here", u"plain text here"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Read(c.rtf).toStdU16String(), c.text) << c.name;
}

TEST(RtfReaderTest, CharacterAndParagraphFormatting) {
    QTextDocument doc;
    ReadRtfInto(doc, R"({\rtf1{\fonttbl\f0 Times;\f1 Courier New;}\f1\fs30 )"
                     R"({\b B}{\i I}{\ul U\ulnone N}{\strike S}{\sub D}{\super P\nosupersub Q})"
                     R"({\up6 R}{\b\b0 Z}{\plain L}{\f0 T}{\f7 X}\par)"
                     R"(\pard\qc\sb120\sa60\li300\ri150\fi-150\tqr\tx720\tx1440 c\par)"
                     R"(\pard\qj j\par{\pard\qr r\par}l})");
    const QTextCharFormat bold = FormatOf(doc, QStringLiteral("B"));
    EXPECT_EQ(bold.fontWeight(), QFont::Bold);
    EXPECT_EQ(bold.fontPointSize(), 15.0);
    EXPECT_EQ(bold.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    EXPECT_TRUE(FormatOf(doc, QStringLiteral("I")).fontItalic());
    EXPECT_TRUE(FormatOf(doc, QStringLiteral("U")).fontUnderline());
    EXPECT_FALSE(FormatOf(doc, QStringLiteral("N")).fontUnderline());
    EXPECT_TRUE(FormatOf(doc, QStringLiteral("S")).fontStrikeOut());
    const std::pair<const char *, QTextCharFormat::VerticalAlignment> shifts[] = {
        {"D", QTextCharFormat::AlignSubScript},
        {"P", QTextCharFormat::AlignSuperScript},
        {"Q", QTextCharFormat::AlignNormal},
        {"R", QTextCharFormat::AlignSuperScript}};
    for (const auto &[needle, alignment] : shifts)
        EXPECT_EQ(FormatOf(doc, QLatin1String(needle)).verticalAlignment(), alignment) << needle;
    EXPECT_EQ(FormatOf(doc, QStringLiteral("Z")).fontWeight(), QFont::Normal);
    // \plain: default size and the document's default font (number 0).
    const QTextCharFormat plain = FormatOf(doc, QStringLiteral("L"));
    EXPECT_EQ(plain.fontPointSize(), 12.0);
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList{QStringLiteral("Times")});
    EXPECT_EQ(FormatOf(doc, QStringLiteral("T")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Times")});
    EXPECT_FALSE(FormatOf(doc, QStringLiteral("X")).hasProperty(QTextFormat::FontFamilies));

    const QTextBlockFormat centred = BlockWith(doc, QStringLiteral("c")).blockFormat();
    EXPECT_EQ(centred.alignment(), Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(centred.topMargin(), 8.0);
    EXPECT_DOUBLE_EQ(centred.bottomMargin(), 4.0);
    EXPECT_DOUBLE_EQ(centred.leftMargin(), 20.0);
    EXPECT_DOUBLE_EQ(centred.rightMargin(), 10.0);
    EXPECT_DOUBLE_EQ(centred.textIndent(), -10.0);
    const QList<QTextOption::Tab> tabs{QTextOption::Tab(48.0, QTextOption::RightTab),
                                       QTextOption::Tab(96.0, QTextOption::LeftTab)};
    EXPECT_EQ(centred.tabPositions(), tabs);
    EXPECT_EQ(BlockWith(doc, QStringLiteral("j")).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(BlockWith(doc, QStringLiteral("r")).blockFormat().alignment(), Qt::AlignRight);
    // Paragraph properties set inside a group end with it.
    const QTextBlockFormat after = BlockWith(doc, QStringLiteral("l")).blockFormat();
    EXPECT_EQ(after.alignment(), Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(after.topMargin(), 0.0);
}

TEST(RtfReaderTest, TablesFromRowDefinitions) {
    struct Case {
        const char *name;
        QByteArray rtf;
        const char *tables; // columns x rows of each table
        const char *text;
        bool bordered; // of the last table
    };
    const Case cases[] = {
        {"each row with its own definition",
         R"({\rtf1 x\par\trowd\cellx1000\cellx2000\intbl a\cell b\cell\row)"
         R"(\trowd\cellx1000\cellx2000\intbl c\cell d\cell\row\pard after\par})",
         "2x2", "x\na\nb\nc\nd\nafter", false},
        {"paragraph between two tables",
         R"({\rtf1\trowd\cellx1000\intbl a\cell\row\pard mid\par\intbl b\cell\row})", "1x1 1x1",
         "\na\nmid\nb\n", false},
        {"more cells than defined add a column",
         R"({\rtf1\trowd\cellx1000\intbl a\cell b\cell c\cell\row})", "3x1", "\na\nb\nc\n", false},
        {"paragraphs inside a cell", R"({\rtf1\trowd\cellx1000\intbl a\par b\cell\row})", "1x1",
         "\na\nb\n", false},
        {"cell without row definition", R"({\rtf1 p\cell q})", "1x1", "p\n\nq", false},
        {"row left open at the end", R"({\rtf1\trowd\cellx1000\intbl a\cell b)", "2x1", "\na\nb\n",
         false},
        {"empty rows", R"({\rtf1\trowd\cellx500\cellx900\intbl\row\row\row})", "2x3",
         "\n\n\n\n\n\n\n", false},
        {"one bordered cell borders the table",
         R"({\rtf1\trowd\cellx1000\clbrdrb\brdrs\cellx2000\intbl a\cell\row})", "2x1", "\na\n\n",
         true},
        {"row borders", R"({\rtf1\trowd\trbrdrt\brdrs\cellx1000\intbl a\cell\row})", "1x1", "\na\n",
         true},
        {"borders stay with their table",
         R"({\rtf1\trowd\clbrdrt\brdrs\cellx1000\intbl a\cell\row\pard p\par)"
         R"(\trowd\cellx1000\intbl b\cell\row})",
         "1x1 1x1", "\na\np\nb\n", false},
        {"a bordered row borders its table",
         R"({\rtf1\trowd\cellx1000\intbl a\cell\row\trowd\clbrdrt\brdrs\cellx1000\intbl b\cell\row})",
         "1x2", "\na\nb\n", true},
        {"no border style, no border",
         R"({\rtf1\trowd\clbrdrt\brdrw15\brdrnone\cellx1000\intbl a\cell\row})", "1x1", "\na\n",
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        ReadRtfInto(doc, c.rtf);
        const QList<QTextTable *> tables = Tables(doc);
        QStringList sizes;
        for (QTextTable *table : tables)
            sizes.append(QStringLiteral("%1x%2").arg(table->columns()).arg(table->rows()));
        EXPECT_EQ(sizes.join(u' ').toStdString(), c.tables);
        EXPECT_EQ(BlockTexts(doc).toStdString(), c.text);
        if (!tables.isEmpty()) {
            EXPECT_EQ(tables.last()->format().border() > 0, c.bordered);
        }
    }
}

TEST(RtfReaderTest, LimitsKeepFormatsAndTablesBounded) {
    QTextDocument doc;
    QByteArray rtf = R"({\rtf1\fs999999999999999 a\fs0 b{\fs1 c}\sa99999999999 )"
                     R"(\sb-5\li-7\tx-1\tx99999999 d\par)";
    for (int i = 0; i < 100; ++i)
        rtf += R"(\tx100)";
    rtf += R"( e\par)";
    rtf += R"(\pard\trowd\trgaph-9\trleft99999999)";
    for (int i = 0; i < 100; ++i)
        rtf += R"(\cellx)" + QByteArray::number(100 * (i + 1));
    rtf += R"(\intbl x\cell\row})";
    EXPECT_TRUE(ReadRtfInto(doc, rtf));

    EXPECT_EQ(FormatOf(doc, QStringLiteral("a")).fontPointSize(), 1638.0);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("b")).fontPointSize(), 12.0);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("c")).fontPointSize(), 1.0);
    const QTextBlockFormat d = BlockWith(doc, QStringLiteral("d")).blockFormat();
    EXPECT_DOUBLE_EQ(d.bottomMargin(), 31680 / 15.0);
    EXPECT_DOUBLE_EQ(d.topMargin(), 0.0);
    EXPECT_DOUBLE_EQ(d.leftMargin(), 0.0);
    ASSERT_EQ(d.tabPositions().size(), 2);
    EXPECT_DOUBLE_EQ(d.tabPositions()[0].position, 0.0);
    EXPECT_DOUBLE_EQ(d.tabPositions()[1].position, 31680 / 15.0);
    EXPECT_EQ(BlockWith(doc, QStringLiteral("e")).blockFormat().tabPositions().size(),
              kRtfMaxTabStops);
    const QList<QTextTable *> tables = Tables(doc);
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables.first()->columns(), kRtfMaxTableColumns);
}

TEST(RtfReaderTest, LongTablesAreSplitAndCellsCapped) {
    // One-column rows: a new table starts whenever one reaches its cell cap.
    QByteArray rows = R"({\rtf1\trowd\cellx500)";
    for (int i = 0; i < kRtfMaxCellsPerTable + 10; ++i)
        rows += R"(\intbl r\cell\row)";
    rows += "}";
    QTextDocument split;
    ReadRtfInto(split, rows);
    const QList<QTextTable *> tables = Tables(split);
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(tables[0]->rows(), kRtfMaxCellsPerTable);
    EXPECT_EQ(tables[1]->rows(), 10);

    // Wide empty rows are cheap to write: past the document's cell cap the
    // rows become plain paragraphs.
    QByteArray wide = R"({\rtf1\trowd)";
    for (int i = 0; i < kRtfMaxTableColumns; ++i)
        wide += R"(\cellx)" + QByteArray::number(100 * (i + 1));
    const int rowCount = kRtfMaxTableCells / kRtfMaxTableColumns + 100;
    for (int i = 0; i < rowCount; ++i)
        wide += R"(\intbl\row)";
    wide += "}";
    QTextDocument capped;
    ReadRtfInto(capped, wide);
    int cells = 0;
    for (QTextTable *table : Tables(capped))
        cells += table->rows() * table->columns();
    EXPECT_LE(cells, kRtfMaxTableCells);
    EXPECT_GT(cells, kRtfMaxTableCells - kRtfMaxTableColumns * 2);
    EXPECT_LT(capped.blockCount(), kRtfMaxTableCells + rowCount + 10);
}

TEST(RtfReaderTest, DeepGroupsShareTheStateOfTheDepthCap) {
    const QByteArray deep(300, '{');
    const QByteArray close(300, '}');
    QTextDocument doc;
    EXPECT_TRUE(ReadRtfInto(doc, "{\\rtf1 " + deep + "\\b x" + close + "y}"));
    EXPECT_EQ(BlockTexts(doc), QStringLiteral("xy"));
    EXPECT_EQ(FormatOf(doc, QStringLiteral("x")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(doc, QStringLiteral("y")).fontWeight(), QFont::Normal);
}

// A deterministic stream of bytes, biased towards the format's syntax.
QByteArray Garbage(qsizetype size, std::uint32_t seed, bool syntax) {
    static const char kAlphabet[] = "{}\\\\\\'uctrowdcellxintblparb0123456789- ;*~e9";
    QByteArray bytes(size, '\0');
    std::uint32_t state = seed;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        const std::uint32_t r = state >> 8;
        byte = syntax ? kAlphabet[r % (sizeof kAlphabet - 1)] : static_cast<char>(r & 0xFF);
    }
    return bytes;
}

TEST(RtfReaderTest, MalformedInputNeverFailsAndStaysBounded) {
    struct Case {
        const char *name;
        QByteArray rtf;
        const char *contains; // text expected in the result, or null
    };
    const Case cases[] = {
        {"empty", QByteArray(), nullptr},
        {"unclosed groups", "{{{", nullptr},
        {"unclosed document", R"({\rtf1 abc)", "abc"},
        {"unbalanced closes", "}}}}", nullptr},
        {"closes then text", R"(}}}}{\rtf1 ok})", "ok"},
        {"truncated hex escape", R"({\rtf1 a\')", "a"},
        {"hex escape with one digit", R"({\rtf1 a\'4)", "a4"},
        {"hex escape with bad digits", R"({\rtf1 a\'zzb})", "azzb"},
        {"unicode without digits", R"({\rtf1 a\u b\u})", "ab"},
        {"lone backslash at the end", "{\\rtf1 a\\", "a"},
        {"truncated control word", R"({\rtf1 x\par)", "x"},
        {"binary count beyond the end", R"({\rtf1 a\bin999999999 bcd)", "a"},
        {"negative binary count", R"({\rtf1 a\bin-5 b})", "ab"},
        {"1 MB control word", "{\\rtf1 \\" + QByteArray(1 << 20, 'a') + "1 text}", "text"},
        {"1 MB parameter", "{\\rtf1 \\fs" + QByteArray(1 << 20, '9') + " text}", "text"},
        {"100000 opening braces", "{\\rtf1 " + QByteArray(100000, '{') + "deep", "deep"},
        {"100000 balanced groups",
         "{\\rtf1 " + QByteArray(100000, '{') + "in" + QByteArray(100000, '}') + "}", "in"},
        {"font table never closed", R"({\rtf1{\fonttbl{\f0 Arial)", nullptr},
        {"huge font numbers",
         R"({\rtf1{\fonttbl{\f99999999999 A;}{\f-99999999999 B;}}\f99999999999 z})", "z"},
        {"unicode skip count huge", R"({\rtf1\uc999999999\u233 abc}d)", nullptr},
        {"only destinations", R"({\*{\*{\*)", nullptr},
        {"binary garbage", Garbage(1 << 16, 1, false), nullptr},
        {"syntax garbage", Garbage(1 << 17, 7, true), nullptr},
        {"syntax garbage in a document", "{\\rtf1 " + Garbage(1 << 17, 42, true), nullptr},
    };
    for (const Case &c : cases) {
        QTextDocument doc;
        ReadRtfInto(doc, c.rtf);
        const QString text = BlockTexts(doc);
        if (c.contains) {
            EXPECT_TRUE(text.contains(QLatin1String(c.contains))) << c.name;
        }
        // Every character and paragraph of the result comes from input bytes.
        EXPECT_LE(doc.characterCount(), c.rtf.size() + 1) << c.name;
        EXPECT_LE(doc.blockCount(), c.rtf.size() + 1) << c.name;
    }
}

TEST(RtfReaderTest, CompletenessAndReplacement) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old content"));
    EXPECT_FALSE(ReadRtfInto(doc, "{\\rtf1 new"));
    EXPECT_EQ(BlockTexts(doc), QStringLiteral("new"));
    EXPECT_FALSE(ReadRtfInto(doc, "plain"));
    EXPECT_FALSE(ReadRtfInto(doc, "{\\rtx1 a}"));
    EXPECT_TRUE(ReadRtfInto(doc, " \r\n{\\rtf1 a}}}"));
    EXPECT_EQ(BlockTexts(doc), QStringLiteral("a"));
}

} // namespace
