#include "platform_widgets/list_ctrl.h"

#include "platform_widgets/list_view_widget.h"

#include <QApplication>
#include <QItemSelectionModel>
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
    column = m_list->Cells().SetColumn(column, heading, AlignmentOf(format));
    m_list->setColumnWidth(column, width);
    return column;
}

int CListCtrl::InsertItem(int row, const QString &text) {
    if (!m_list || row < 0)
        return -1;
    return m_list->Cells().InsertRow(row, text);
}

bool CListCtrl::SetItemText(int row, int column, const QString &text) {
    return m_list && m_list->Cells().SetText(row, column, text);
}

QString CListCtrl::GetItemText(int row, int column) const {
    return m_list ? m_list->Cells().Text(row, column) : QString();
}

int CListCtrl::GetItemCount() const {
    return m_list ? m_list->Cells().Rows() : 0;
}

int CListCtrl::GetNextSelectedItem(int start) const {
    if (!m_list)
        return -1;
    for (int row = std::max(start + 1, 0); row < m_list->Cells().Rows(); ++row) {
        if (m_list->IsRowSelected(row))
            return row;
    }
    return -1;
}

void CListCtrl::SetItemSelected(int row, bool selected) {
    if (m_list)
        m_list->SetRowSelected(row, selected);
}

bool CListCtrl::SetItemMark(int row, const QString &note) {
    return m_list && m_list->Cells().SetRowMark(row, note);
}

QString CListCtrl::GetItemMark(int row) const {
    return m_list ? m_list->Cells().RowMark(row) : QString();
}

void CListCtrl::SetCurrentItem(int row) {
    if (!m_list || row < 0 || row >= m_list->Cells().Rows())
        return;
    m_list->Cells().AnnounceRows();
    const QModelIndex index = m_list->Cells().index(row, 0);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_list->scrollTo(index);
}

int CListCtrl::GetCurrentItem() const {
    if (!m_list)
        return -1;
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? index.row() : -1;
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
