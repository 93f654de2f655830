#pragma once

// The list view control of the dialogs: a report list of text cells, the
// first column editable in place. Used through CListCtrl.

#include "platform_widgets/message_map.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <optional>
#include <vector>

// The cells of a list: a text per row and column, and per column a heading
// and the alignment its cells share. Rows added at the end while the rows
// are held stay unknown to the views until they are announced, all in one
// insertion: a list filled with hundreds of rows before it is shown costs
// its view one insertion, not one per row.
class ListViewModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListViewModel(QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The rows, announced or not, and the columns.
    int Rows() const { return static_cast<int>(m_rows.size()); }
    int Columns() const { return static_cast<int>(m_columns.size()); }
    // Appends a column when `column` is past the last one, else gives column
    // `column` this heading and alignment. Returns the column's index.
    int SetColumn(int column, const QString &heading, Qt::Alignment alignment);
    // Inserts a row at `row` (at the end when beyond) with the text of its
    // first cell. Returns the row's index.
    int InsertRow(int row, const QString &text);
    // False when the cell's row or column does not exist.
    bool SetText(int row, int column, const QString &text);
    QString Text(int row, int column) const;
    // While held, rows inserted at the end wait for AnnounceRows; releasing
    // announces them.
    void HoldRows(bool hold);
    void AnnounceRows();

private:
    struct Column {
        QString heading;
        Qt::Alignment alignment;
    };

    std::vector<Column> m_columns;
    std::vector<QStringList> m_rows; // the cells of each row, missing ones empty
    int m_announced = 0;             // the rows the views know of: the first ones
    bool m_holding = false;
};

// The list view control: a report list whose rows can be edited in place in
// the first column. The list never stores the typed text itself: the end of
// an edit is reported, and the handler decides what the row shows. Its rows
// are held while it is hidden, so that filling it before it is shown is cheap.
class ListViewWidget final : public QTreeView {
    Q_OBJECT

public:
    using Notify = std::function<void(int code, const NotifyInfo &info)>;

    ListViewWidget(unsigned style, QWidget *parent);
    ~ListViewWidget() override;
    void SetNotify(Notify notify) { m_notify = std::move(notify); }
    ListViewModel &Cells() const { return *m_cells; }
    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    // Opens the in-place editor over the first column of `row`, when the
    // list has LVS_EDITLABELS.
    bool EditLabel(int row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // F2, the edit key of lists, edits the current row.
    void keyPressEvent(QKeyEvent *event) override;

private:
    class CellDelegate;
    void EditorClosed();

    ListViewModel *m_cells;
    Notify m_notify;
    CellDelegate *m_delegate;
    bool m_editable; // LVS_EDITLABELS
    int m_editedRow = -1;
    std::optional<QString> m_committedText;
};
