#include "platform_widgets/rich_text_view.h"

#include "support/modal_test_support.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Paragraph separator as it appears in a selection spanning paragraphs.
const QChar kParagraph(QChar::ParagraphSeparator);

const char kReport[] = R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}\pard\plain\f0\fs20\qr )"
                       R"(07/12/2026\par \ql{\b Montant du loyer\~:} 3 500,00\~F\par\par )"
                       R"(\tx1988\tx3124{\b Date de r\'e9vision\tab Indice\tab Loyer}\par )"
                       R"(01/07/1999\tab 1020,00\tab 3 570,00\~F\par)"
                       "\r\n"
                       R"(}\par}})";

class RichTextViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override {
        view_ = std::make_unique<RichTextView>();
        view_->resize(400, 300);
    }

    void Show() {
        view_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    }

    // The report, read-only with a selection bar, as the preview shows it.
    void ShowReport() {
        view_->StreamIn(QByteArrayView(kReport));
        view_->SetReadOnly(true);
        view_->SetSelectionBar(true);
        Show();
    }

    // Height, in the viewport and so in the selection bar, of the character
    // at `position`.
    int HeightOf(int position) const {
        QTextCursor cursor(view_->document());
        cursor.setPosition(position);
        return view_->cursorRect(cursor).center().y();
    }

    int HeightOfBlock(int blockNumber) const {
        return HeightOf(view_->document()->findBlockByNumber(blockNumber).position());
    }

    void SendToBar(QEvent::Type type, int y, Qt::MouseButtons buttons) {
        QWidget *bar = view_->SelectionBarWidget();
        const QPointF at(4, y);
        QMouseEvent event(type, at, bar->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &event);
    }

    std::unique_ptr<RichTextView> view_;
};

TEST_F(RichTextViewTest, StreamInReplacesTheContentWithTheRichText) {
    view_->setPlainText(QStringLiteral("previous"));
    view_->StreamIn(QByteArrayView(kReport));

    const QString expected = QStringLiteral(
        "07/12/2026\nMontant du loyer\u00a0: 3 500,00\u00a0F\n\n"
        "Date de r\u00e9vision\tIndice\tLoyer\n01/07/1999\t1020,00\t3 570,00\u00a0F");
    EXPECT_EQ(view_->document()->toRawText().replace(kParagraph, u'\n').toStdU16String(),
              expected.toStdU16String());
    EXPECT_EQ(view_->textCursor().position(), 0);
}

TEST_F(RichTextViewTest, StreamInFromReadsTheReaderInChunks) {
    struct Case {
        const char *name;
        std::vector<qsizetype> pieces; // bytes handed over at each call
        int errorAfter;                // calls before the reader fails; -1: never
        QString text;
        bool complete;
    };
    const QByteArray rtf("{\\rtf1 abcdefgh}");
    const Case cases[] = {
        {"whole in one call", {rtf.size()}, -1, QStringLiteral("abcdefgh"), true},
        {"one byte at a time", std::vector<qsizetype>(static_cast<size_t>(rtf.size()), 1), -1,
         QStringLiteral("abcdefgh"), true},
        {"uneven pieces", {3, 5, 1, 7}, -1, QStringLiteral("abcdefgh"), true},
        {"error ends the stream", {3, 5, 1, 7}, 2, QStringLiteral("a"), false},
        {"nothing", {}, -1, QString(), false},
    };
    for (const Case &c : cases) {
        std::vector<qsizetype> capacities;
        qsizetype offset = 0;
        size_t call = 0;
        const bool complete = view_->StreamInFrom([&](char *buffer, qsizetype capacity) {
            capacities.push_back(capacity);
            if (c.errorAfter >= 0 && call == static_cast<size_t>(c.errorAfter))
                return qsizetype(-1);
            if (call >= c.pieces.size())
                return qsizetype(0);
            const qsizetype n = std::min({c.pieces[call++], capacity, rtf.size() - offset});
            std::memcpy(buffer, rtf.constData() + offset, static_cast<size_t>(n));
            offset += n;
            return n;
        });
        EXPECT_EQ(complete, c.complete) << c.name;
        EXPECT_EQ(view_->toPlainText(), c.text) << c.name;
        for (const qsizetype capacity : capacities)
            EXPECT_EQ(capacity, RichTextView::kStreamChunk) << c.name;
    }

    // A reader that never ends is cut.
    qsizetype calls = 0;
    view_->StreamInFrom([&calls](char *buffer, qsizetype capacity) {
        ++calls;
        std::memset(buffer, '\n', static_cast<size_t>(capacity));
        return capacity;
    });
    EXPECT_EQ(calls, RichTextView::kMaxStreamBytes / RichTextView::kStreamChunk);
    EXPECT_TRUE(view_->toPlainText().isEmpty());
}

TEST_F(RichTextViewTest, ReadOnlyKeepsTheTextSelectable) {
    view_->StreamIn(QByteArrayView(kReport));
    view_->SetReadOnly(true);
    Show();
    const QString before = view_->toPlainText();
    QTest::keyClicks(view_.get(), QStringLiteral("xyz"));
    QTest::keyClick(view_.get(), Qt::Key_Delete);
    EXPECT_EQ(view_->toPlainText(), before);
    EXPECT_TRUE(view_->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_TRUE(view_->textInteractionFlags() & Qt::TextSelectableByMouse);

    QTest::keyClick(view_.get(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view_->textCursor().selectedText(), QStringLiteral("07/12/2026"));

    view_->SetReadOnly(false);
    QTest::keyClick(view_.get(), Qt::Key_Home);
    QTest::keyClicks(view_.get(), QStringLiteral("x"));
    EXPECT_TRUE(view_->toPlainText().startsWith(QStringLiteral("x07/12/2026")));
}

TEST_F(RichTextViewTest, SelectionBarSitsLeftOfTheText) {
    Show();
    EXPECT_EQ(view_->SelectionBarWidget(), nullptr);
    const int textLeft = view_->viewport()->geometry().left();

    view_->SetSelectionBar(true);
    QWidget *bar = view_->SelectionBarWidget();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().left(), textLeft);
    EXPECT_EQ(bar->width(), RichTextView::kSelectionBarWidth);
    EXPECT_EQ(view_->viewport()->geometry().left(), textLeft + RichTextView::kSelectionBarWidth);
    EXPECT_EQ(bar->geometry().top(), view_->viewport()->geometry().top());

    view_->resize(500, 200);
    EXPECT_EQ(bar->height(), view_->viewport()->height());

    view_->SetSelectionBar(false);
    EXPECT_EQ(view_->SelectionBarWidget(), nullptr);
    EXPECT_EQ(view_->viewport()->geometry().left(), textLeft);
}

TEST_F(RichTextViewTest, SelectionBarSelectsVisualLinesOfAWrappedParagraph) {
    QByteArray rtf("{\\rtf1 ");
    for (int i = 0; i < 40; ++i)
        rtf += "word" + QByteArray::number(i) + " ";
    rtf += "}";
    view_->resize(200, 300);
    view_->StreamIn(rtf);
    view_->SetSelectionBar(true);
    Show();

    const QTextBlock block = view_->document()->begin();
    ASSERT_GT(block.layout()->lineCount(), 2);
    const QTextLine second = block.layout()->lineAt(1);
    QTest::mouseClick(view_->SelectionBarWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(4, HeightOf(block.position() + second.textStart())));
    EXPECT_EQ(view_->textCursor().selectedText().trimmed(),
              block.text().mid(second.textStart(), second.textLength()).trimmed());
}

TEST_F(RichTextViewTest, ClickInTheSelectionBarSelectsTheLineAndDragExtendsByLines) {
    ShowReport();

    const QString lines[] = {
        QStringLiteral("07/12/2026"),
        QStringLiteral("Montant du loyer\u00a0: 3 500,00\u00a0F"),
        QString(),
        QStringLiteral("Date de r\u00e9vision\tIndice\tLoyer"),
        QStringLiteral("01/07/1999\t1020,00\t3 570,00\u00a0F"),
    };
    for (int block : {0, 1, 3, 4}) {
        QTest::mouseClick(view_->SelectionBarWidget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(4, HeightOfBlock(block)));
        EXPECT_EQ(view_->textCursor().selectedText().toStdU16String(),
                  lines[block].toStdU16String())
            << block;
    }

    // Downwards: from the start of the first line to the end of the last.
    SendToBar(QEvent::MouseButtonPress, HeightOfBlock(1), Qt::LeftButton);
    SendToBar(QEvent::MouseMove, HeightOfBlock(2), Qt::LeftButton);
    SendToBar(QEvent::MouseMove, HeightOfBlock(3), Qt::LeftButton);
    SendToBar(QEvent::MouseButtonRelease, HeightOfBlock(3), Qt::NoButton);
    EXPECT_EQ(view_->textCursor().selectedText(),
              lines[1] + kParagraph + lines[2] + kParagraph + lines[3]);

    // Upwards: the line pressed stays selected to its end.
    SendToBar(QEvent::MouseButtonPress, HeightOfBlock(1), Qt::LeftButton);
    SendToBar(QEvent::MouseMove, HeightOfBlock(0), Qt::LeftButton);
    EXPECT_EQ(view_->textCursor().selectedText(), lines[0] + kParagraph + lines[1]);
    EXPECT_EQ(view_->textCursor().position(), 0);

    // Moving without the button does not select.
    QTest::mouseClick(view_->SelectionBarWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(4, HeightOfBlock(0)));
    SendToBar(QEvent::MouseMove, HeightOfBlock(3), Qt::NoButton);
    EXPECT_EQ(view_->textCursor().selectedText(), lines[0]);
}

} // namespace
