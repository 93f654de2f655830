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
        , view_(view) {
        setCursor(Qt::ArrowCursor);
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), view_->viewport()->palette().color(QPalette::Base));
    }
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            view_->BeginLineSelection(event->position().toPoint().y());
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        if (event->buttons() & Qt::LeftButton)
            view_->ExtendLineSelection(event->position().toPoint().y());
    }
    void mouseReleaseEvent(QMouseEvent *event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            view_->SelectBlockAt(event->position().toPoint().y());
    }
    void wheelEvent(QWheelEvent *event) override {
        // Scrolling over the margin scrolls the text.
        QCoreApplication::sendEvent(view_->verticalScrollBar(), event);
    }

private:
    RichTextView *view_;
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
    anchorLine_ = QTextCursor();
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
        selectionBar_ = new SelectionBar(this);
        setViewportMargins(kSelectionBarWidth, 0, 0, 0);
        PlaceSelectionBar();
        selectionBar_->show();
    } else {
        delete selectionBar_;
        selectionBar_ = nullptr;
        setViewportMargins(0, 0, 0, 0);
    }
}

QWidget *RichTextView::SelectionBarWidget() const {
    return selectionBar_;
}

void RichTextView::resizeEvent(QResizeEvent *event) {
    QTextEdit::resizeEvent(event);
    PlaceSelectionBar();
}

void RichTextView::PlaceSelectionBar() {
    if (!selectionBar_)
        return;
    // Level with the viewport, so that a height in the bar is the same
    // height in the viewport.
    const QRect area = contentsRect();
    selectionBar_->setGeometry(area.left(), viewport()->geometry().top(), kSelectionBarWidth,
                               viewport()->height());
}

QTextCursor RichTextView::LineAt(int y) const {
    QTextCursor line = cursorForPosition(QPoint(0, y));
    line.movePosition(QTextCursor::StartOfLine);
    line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    return line;
}

void RichTextView::BeginLineSelection(int y) {
    anchorLine_ = LineAt(y);
    setTextCursor(anchorLine_);
}

void RichTextView::ExtendLineSelection(int y) {
    if (anchorLine_.isNull()) {
        BeginLineSelection(y);
        return;
    }
    const QTextCursor line = LineAt(y);
    QTextCursor selection(document());
    if (line.selectionStart() >= anchorLine_.selectionStart()) {
        selection.setPosition(anchorLine_.selectionStart());
        selection.setPosition(line.selectionEnd(), QTextCursor::KeepAnchor);
    } else {
        // Dragging upwards: the anchor line stays selected to its end.
        selection.setPosition(anchorLine_.selectionEnd());
        selection.setPosition(line.selectionStart(), QTextCursor::KeepAnchor);
    }
    setTextCursor(selection);
}

void RichTextView::SelectBlockAt(int y) {
    QTextCursor block = cursorForPosition(QPoint(0, y));
    block.movePosition(QTextCursor::StartOfBlock);
    block.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    anchorLine_ = block;
    setTextCursor(block);
}
