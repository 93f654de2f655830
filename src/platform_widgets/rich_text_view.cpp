#include "platform_widgets/rich_text_view.h"

#include "platform_widgets/rtf_reader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <cstring>

// The left margin of a RichTextView in which clicks select whole lines.
class SelectionBar : public QWidget {
public:
    explicit SelectionBar(RichTextView *view)
        : QWidget(view)
        , m_view(view) {
        setCursor(Qt::ArrowCursor);
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), m_view->viewport()->palette().color(QPalette::Base));
    }
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            m_view->BeginLineSelection(event->position().toPoint().y());
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        if (event->buttons() & Qt::LeftButton)
            m_view->ExtendLineSelection(event->position().toPoint().y());
    }
    void mouseReleaseEvent(QMouseEvent *event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            m_view->SelectBlockAt(event->position().toPoint().y());
    }
    void wheelEvent(QWheelEvent *event) override {
        // Scrolling over the margin scrolls the text.
        QCoreApplication::sendEvent(m_view->verticalScrollBar(), event);
    }

private:
    RichTextView *m_view;
};

RichTextView::RichTextView(QWidget *parent)
    : QTextEdit(parent) {
    setAcceptRichText(true);
}

RichTextView::~RichTextView() = default;

void RichTextView::StreamIn(QByteArrayView rtf) {
    // A reader over the bytes: each call hands over the next piece that fits.
    const char *next = rtf.data();
    qsizetype remaining = rtf.size();
    StreamInFrom([&next, &remaining](char *buffer, qsizetype capacity) {
        const qsizetype n = std::min(remaining, capacity);
        if (n > 0)
            std::memcpy(buffer, next, static_cast<size_t>(n));
        next += n;
        remaining -= n;
        return n;
    });
}

bool RichTextView::StreamInFrom(const StreamReader &reader) {
    QByteArray bytes;
    QByteArray chunk(kStreamChunk, '\0');
    while (bytes.size() < kMaxStreamBytes) {
        const qsizetype n = reader(chunk.data(), chunk.size());
        if (n <= 0)
            break;
        bytes.append(chunk.constData(), std::min(n, chunk.size()));
    }
    if (bytes.size() > kMaxStreamBytes)
        bytes.truncate(kMaxStreamBytes);

    const bool complete = ReadRtfInto(*document(), bytes);
    moveCursor(QTextCursor::Start);
    m_anchorLine = QTextCursor();
    return complete;
}

void RichTextView::SetReadOnly(bool readOnly) {
    setReadOnly(readOnly);
    if (readOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void RichTextView::SetSelectionBar(bool on) {
    if (on == HasSelectionBar())
        return;
    if (on) {
        m_selectionBar = new SelectionBar(this);
        setViewportMargins(kSelectionBarWidth, 0, 0, 0);
        PlaceSelectionBar();
        m_selectionBar->show();
    } else {
        delete m_selectionBar;
        m_selectionBar = nullptr;
        setViewportMargins(0, 0, 0, 0);
    }
}

QWidget *RichTextView::SelectionBarWidget() const {
    return m_selectionBar;
}

void RichTextView::resizeEvent(QResizeEvent *event) {
    QTextEdit::resizeEvent(event);
    PlaceSelectionBar();
}

void RichTextView::PlaceSelectionBar() {
    if (!m_selectionBar)
        return;
    // Level with the viewport, so that a height in the bar is the same
    // height in the viewport.
    const QRect area = contentsRect();
    m_selectionBar->setGeometry(area.left(), viewport()->geometry().top(), kSelectionBarWidth,
                                viewport()->height());
}

QTextCursor RichTextView::LineAt(int y) const {
    QTextCursor line = cursorForPosition(QPoint(0, y));
    line.movePosition(QTextCursor::StartOfLine);
    line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    return line;
}

void RichTextView::BeginLineSelection(int y) {
    m_anchorLine = LineAt(y);
    setTextCursor(m_anchorLine);
}

void RichTextView::ExtendLineSelection(int y) {
    if (m_anchorLine.isNull()) {
        BeginLineSelection(y);
        return;
    }
    const QTextCursor line = LineAt(y);
    QTextCursor selection(document());
    if (line.selectionStart() >= m_anchorLine.selectionStart()) {
        selection.setPosition(m_anchorLine.selectionStart());
        selection.setPosition(line.selectionEnd(), QTextCursor::KeepAnchor);
    } else {
        // Dragging upwards: the anchor line stays selected to its end.
        selection.setPosition(m_anchorLine.selectionEnd());
        selection.setPosition(line.selectionStart(), QTextCursor::KeepAnchor);
    }
    setTextCursor(selection);
}

void RichTextView::SelectBlockAt(int y) {
    QTextCursor block = cursorForPosition(QPoint(0, y));
    block.movePosition(QTextCursor::StartOfBlock);
    block.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    m_anchorLine = block;
    setTextCursor(block);
}
