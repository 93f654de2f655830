#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

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
    // A row marked for the user's attention: a distinct background and
    // `note` as its tool tip (and accessible description); an empty note
    // removes the mark.
    bool SetRowMark(int row, const QString &note);
    QString RowMark(int row) const;
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
    std::vector<QString> m_marks;    // the note of each row, empty when unmarked
    int m_announced = 0;             // the rows the views know of: the first ones
    bool m_holding = false;
};
