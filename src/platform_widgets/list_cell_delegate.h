#pragma once

#include <QString>
#include <QStyledItemDelegate>

#include <functional>

// Paints the cells of a list view, and hands the text of an in-place edit
// that ends by Enter or by the focus leaving to `commit` instead of storing
// it in the row.
//
// A cell of a list is one line of text, which the style would lay out three
// times (to size it, to elide it and to draw it) with line breaking each
// time: most of the cost of showing a list. A cell whose text fits its
// width is painted here with one layout, exactly as the style would; other
// cells (text elided or on several lines, a focus frame, a cell being
// edited) are left to the style.
class ListCellDelegate final : public QStyledItemDelegate {
public:
    using Commit = std::function<void(const QString &text)>;

    ListCellDelegate(QObject *parent, Commit commit);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // Tab in the editor ends the edit like Enter, without moving on to
    // another cell.
    bool eventFilter(QObject *object, QEvent *event) override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    // The edit box over the cell, cut to the list's visible area so that it
    // never spills past the list's edge.
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    Commit m_commit;
};
