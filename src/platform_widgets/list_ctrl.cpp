#include "platform_widgets/list_ctrl.h"

#include "platform_widgets/dialog_window.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace {

Qt::Alignment AlignmentOf(int format) {
    switch (format) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

bool CListCtrl::Attach(QWidget *control) {
    m_list = qobject_cast<ListViewWidget *>(control);
    return !m_list.isNull();
}

void CListCtrl::Detach() {
    m_list = nullptr;
}

bool CListCtrl::IsAttached() const {
    return !m_list.isNull();
}

QWidget *CListCtrl::Widget() const {
    return m_list;
}

int CListCtrl::InsertColumn(int column, const QString &heading, int format, int width) {
    if (!m_list || column < 0)
        return -1;
    if (column >= m_list->columnCount()) {
        column = m_list->columnCount();
        m_list->setColumnCount(column + 1);
    }
    QTreeWidgetItem *header = m_list->headerItem();
    header->setText(column, heading);
    header->setTextAlignment(column, AlignmentOf(format));
    m_list->setColumnWidth(column, width);
    return column;
}

namespace {

// Sets a cell's text in its column's alignment. A change to an item that is
// in a list is announced to the view, so what is already right is not set.
void SetCellText(QTreeWidgetItem &item, int column, const QString &text, int alignment) {
    if (item.textAlignment(column) != alignment)
        item.setTextAlignment(column, Qt::Alignment::fromInt(alignment));
    if (item.text(column) != text)
        item.setText(column, text);
}

} // namespace

int CListCtrl::InsertItem(int row, const QString &text) {
    if (!m_list || row < 0)
        return -1;
    row = std::min(row, m_list->topLevelItemCount());
    // Filled before it joins the list, so that the view hears of it once.
    auto *item = new QTreeWidgetItem;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    SetCellText(*item, 0, text, m_list->headerItem()->textAlignment(0));
    m_list->insertTopLevelItem(row, item);
    return row;
}

bool CListCtrl::SetItemText(int row, int column, const QString &text) {
    if (!m_list || column < 0 || column >= m_list->columnCount())
        return false;
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return false;
    SetCellText(*item, column, text, m_list->headerItem()->textAlignment(column));
    return true;
}

QString CListCtrl::GetItemText(int row, int column) const {
    const QTreeWidgetItem *item = m_list ? m_list->topLevelItem(row) : nullptr;
    return item ? item->text(column) : QString();
}

int CListCtrl::GetItemCount() const {
    return m_list ? m_list->topLevelItemCount() : 0;
}

int CListCtrl::GetNextSelectedItem(int start) const {
    if (!m_list)
        return -1;
    for (int row = std::max(start + 1, 0); row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            return row;
    }
    return -1;
}

void CListCtrl::SetItemSelected(int row, bool selected) {
    if (QTreeWidgetItem *item = m_list ? m_list->topLevelItem(row) : nullptr)
        item->setSelected(selected);
}

bool CListCtrl::EditLabel(int row) {
    return m_list && m_list->EditLabel(row);
}

QRect CListCtrl::GetClientRect() const {
    if (!m_list)
        return {};
    return QRect(QPoint(0, 0), m_list->contentsRect().size());
}

int CListCtrl::ScrollBarExtent() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}
