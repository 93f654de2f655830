#include "platform_widgets/list_view_model.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <utility>

ListViewModel::ListViewModel(QObject *parent)
    : QAbstractTableModel(parent) {}

int ListViewModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_announced;
}

int ListViewModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : Columns();
}

QVariant ListViewModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return static_cast<int>(m_columns[static_cast<std::size_t>(index.column())].alignment);
    case Qt::BackgroundRole:
        // A light amber that keeps dark text readable.
        if (!RowMark(index.row()).isEmpty())
            return QBrush(QColor(255, 221, 153));
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString note = RowMark(index.row());
        return note.isEmpty() ? QVariant() : QVariant(note);
    }
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= Columns())
        return {};
    const Column &column = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return column.heading;
    case Qt::TextAlignmentRole:
        return static_cast<int>(column.alignment);
    default:
        return {};
    }
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    // Only the label, the first column, is edited in place.
    if (index.column() == 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

int ListViewModel::SetColumn(int column, const QString &heading, Qt::Alignment alignment) {
    if (column >= Columns()) {
        column = Columns();
        beginInsertColumns(QModelIndex(), column, column);
        m_columns.push_back({heading, alignment});
        endInsertColumns();
        return column;
    }
    m_columns[static_cast<std::size_t>(column)] = {heading, alignment};
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    if (m_announced > 0)
        Q_EMIT dataChanged(index(0, column), index(m_announced - 1, column),
                           {Qt::TextAlignmentRole});
    return column;
}

int ListViewModel::InsertRow(int row, const QString &text) {
    row = std::clamp(row, 0, Rows());
    // Room for a text in every column.
    QStringList cells;
    cells.reserve(std::max(Columns(), 1));
    cells.append(text);
    m_marks.insert(m_marks.begin() + row, QString());
    if (row >= m_announced) {
        // Among the rows the views do not know yet.
        m_rows.insert(m_rows.begin() + row, std::move(cells));
        if (!m_holding)
            AnnounceRows();
        return row;
    }
    AnnounceRows();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, std::move(cells));
    ++m_announced;
    endInsertRows();
    return row;
}

bool ListViewModel::SetText(int row, int column, const QString &text) {
    if (row < 0 || row >= Rows() || column < 0 || column >= Columns())
        return false;
    QStringList &cells = m_rows[static_cast<std::size_t>(row)];
    if (cells.size() <= column)
        cells.resize(column + 1);
    // What is already right is not announced again.
    if (cells[column] == text)
        return true;
    cells[column] = text;
    if (row < m_announced) {
        const QModelIndex cell = index(row, column);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

QString ListViewModel::Text(int row, int column) const {
    if (row < 0 || row >= Rows() || column < 0)
        return {};
    const QStringList &cells = m_rows[static_cast<std::size_t>(row)];
    return column < cells.size() ? cells[column] : QString();
}

bool ListViewModel::SetRowMark(int row, const QString &note) {
    if (row < 0 || row >= Rows())
        return false;
    QString &mark = m_marks[static_cast<std::size_t>(row)];
    if (mark == note)
        return true;
    mark = note;
    if (row < m_announced && Columns() > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, Columns() - 1),
                           {Qt::BackgroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
    return true;
}

QString ListViewModel::RowMark(int row) const {
    if (row < 0 || row >= Rows())
        return {};
    return m_marks[static_cast<std::size_t>(row)];
}

void ListViewModel::HoldRows(bool hold) {
    m_holding = hold;
    if (!hold)
        AnnounceRows();
}

void ListViewModel::AnnounceRows() {
    if (m_announced == Rows())
        return;
    beginInsertRows(QModelIndex(), m_announced, Rows() - 1);
    m_announced = Rows();
    endInsertRows();
}
