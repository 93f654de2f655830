#pragma once

#include <QByteArrayView>
#include <QTextCursor>
#include <QTextEdit>

#include <functional>

class SelectionBar;

// Rich text view for reports: its content is streamed in as Rich Text
// (replacing everything it held), it can be made read-only while keeping the
// text selectable and copyable, and it can show a selection bar, a narrow
// left margin in which a click selects the whole line at that height and a
// drag extends the selection line by line.
class RichTextView : public QTextEdit {
    Q_OBJECT

public:
    // Source of a stream-in: fills at most `capacity` bytes of `buffer` and
    // returns how many it wrote; 0 ends the stream, a negative count is an
    // error that ends it too.
    using StreamReader = std::function<qsizetype(char *buffer, qsizetype capacity)>;

    // Bytes asked of the reader at each call.
    static constexpr qsizetype kStreamChunk = 4096;
    // A stream is cut after this many bytes.
    static constexpr qsizetype kMaxStreamBytes = 16 * 1024 * 1024;
    // Width of the selection bar in pixels.
    static constexpr int kSelectionBarWidth = 10;

    explicit RichTextView(QWidget *parent = nullptr);
    ~RichTextView() override;

    // Replaces the content with the Rich Text `rtf`, read through a reader
    // over the bytes in chunks.
    void StreamIn(QByteArrayView rtf);
    // Reads the reader to its end, then replaces the content with what it
    // delivered. Returns true when that was a complete Rich Text document.
    bool StreamInFrom(const StreamReader &reader);

    void SetReadOnly(bool readOnly);
    void SetSelectionBar(bool on);
    bool HasSelectionBar() const { return m_selectionBar != nullptr; }
    // The bar's widget, or null without a bar.
    QWidget *SelectionBarWidget() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class SelectionBar;

    // The visual line at height `y` of the viewport, as a cursor selecting it.
    QTextCursor LineAt(int y) const;
    void BeginLineSelection(int y);
    void ExtendLineSelection(int y);
    void SelectBlockAt(int y);
    void PlaceSelectionBar();

    SelectionBar *m_selectionBar = nullptr;
    QTextCursor m_anchorLine;
};
