#include "platform_widgets/list_view_widget.h"

#include "platform_widgets/dialog_template.h"
#include "platform_widgets/list_cell_delegate.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

ListViewWidget::ListViewWidget(unsigned style, QWidget *parent)
    : QTreeView(parent)
    , m_cells(new ListViewModel(this))
    , m_delegate(
          new ListCellDelegate(this, [this](const QString &text) { m_committedText = text; }))
    , m_editable((style & LVS_EDITLABELS) != 0) {
    // Hidden until its window is shown.
    m_cells->HoldRows(true);
    setModel(m_cells);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode((style & LVS_SINGLESEL) ? SingleSelection : ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    header()->setSectionsClickable(!(style & LVS_NOSORTHEADER));
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setItemDelegate(m_delegate);
    // Connected after the view's own handling, so the editor is gone when
    // the end of the edit is reported.
    connect(m_delegate, &QAbstractItemDelegate::closeEditor, this, [this] { EditorClosed(); });
}

ListViewWidget::~ListViewWidget() {
    // An edit still open when the list goes is not ended through it: the
    // editor losing the focus as the widgets under this one are taken down
    // would report to a list that is no longer whole.
    disconnect(m_delegate, nullptr, this, nullptr);
}

bool ListViewWidget::IsRowSelected(int row) const {
    return row >= 0 && row < m_cells->rowCount() &&
           selectionModel()->isSelected(m_cells->index(row, 0));
}

void ListViewWidget::SetRowSelected(int row, bool selected) {
    if (row < 0 || row >= m_cells->Rows())
        return;
    m_cells->AnnounceRows();
    selectionModel()->select(m_cells->index(row, 0), (selected ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                                         QItemSelectionModel::Rows);
}

bool ListViewWidget::EditLabel(int row) {
    if (row < 0 || row >= m_cells->Rows() || !m_editable || state() == EditingState)
        return false;
    m_cells->AnnounceRows();
    setFocus(Qt::OtherFocusReason);
    m_editedRow = row;
    m_committedText.reset();
    edit(m_cells->index(row, 0));
    return state() == EditingState;
}

void ListViewWidget::showEvent(QShowEvent *event) {
    m_cells->HoldRows(false);
    QTreeView::showEvent(event);
    // The rows are laid out, and the scroll bar they need shown, before the
    // first paint: left to the events waiting, they would come after it and
    // have the rows painted again beside the scroll bar.
    executeDelayedItemsLayout();
    QEvent layout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &layout);
}

void ListViewWidget::hideEvent(QHideEvent *event) {
    QTreeView::hideEvent(event);
    m_cells->HoldRows(true);
}

void ListViewWidget::mouseReleaseEvent(QMouseEvent *event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_notify)
        return;
    NotifyInfo info;
    const QModelIndex index = indexAt(event->position().toPoint());
    info.item = index.isValid() ? index.row() : -1;
    m_notify(NM_CLICK, info);
}

void ListViewWidget::keyPressEvent(QKeyEvent *event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_F2 && m_editable) {
        if (currentIndex().isValid())
            EditLabel(currentIndex().row());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ListViewWidget::EditorClosed() {
    NotifyInfo info;
    info.item = m_editedRow;
    info.hasText = m_committedText.has_value();
    info.text = m_committedText.value_or(QString());
    m_editedRow = -1;
    m_committedText.reset();
    if (m_notify)
        m_notify(LVN_ENDLABELEDIT, info);
}
