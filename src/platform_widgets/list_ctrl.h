#pragma once

#include <QPointer>
#include <QRect>
#include <QString>

class ListViewWidget;
class QWidget;

// Alignment of a list column.
enum ListColumnFormat : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

// A list view control of a dialog's window, reached by rows and columns
// (column 0 is the row's label, the others its sub-items). Attached like
// CEdit, each time a window is created.
class CListCtrl {
public:
    bool Attach(QWidget *control);
    void Detach();
    bool IsAttached() const;
    QWidget *Widget() const;

    // Adds column `column` with its heading, alignment and width in pixels.
    // Returns its index, or -1.
    int InsertColumn(int column, const QString &heading, int format, int width);
    // Inserts a row at `row` (at the end when beyond) with its label text.
    // Returns the row's index, or -1.
    int InsertItem(int row, const QString &text);
    bool SetItemText(int row, int column, const QString &text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const;
    // The first selected row after `start` (-1: from the top), or -1.
    int GetNextSelectedItem(int start) const;
    void SetItemSelected(int row, bool selected);
    // Marks a row for the user's attention (a distinct background, `note`
    // as its tool tip); an empty note removes the mark.
    bool SetItemMark(int row, const QString &note);
    QString GetItemMark(int row) const;
    // Makes `row` the current and only selected row, scrolled into view.
    void SetCurrentItem(int row);
    // The current row (where the keyboard is), or -1.
    int GetCurrentItem() const;
    // Opens the in-place editor over the label of `row`; false when the row
    // does not exist or an edit is already open.
    bool EditLabel(int row);
    // The control's inside, its frame excluded.
    QRect GetClientRect() const;
    // The width of a vertical scroll bar (the height of a horizontal one).
    static int ScrollBarExtent();

private:
    QPointer<ListViewWidget> m_list;
};
