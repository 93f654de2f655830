#include "platform_widgets/tree_view_widget.h"

#include "platform_widgets/dialog_template.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Gives each item the height of its text wrapped to the room its row has:
// the item views measure wrapped text against no width at all, and then cut
// long texts to two lines.
class WrappingDelegate final : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QTreeWidget *tree)
        : QStyledItemDelegate(tree)
        , m_tree(tree) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        int depth = m_tree->rootIsDecorated() ? 1 : 0;
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            ++depth;
        const int width = m_tree->viewport()->width() - depth * m_tree->indentation();
        item.rect = QRect(0, 0, std::max(width, 1), 1);
        item.features |= QStyleOptionViewItem::WrapText;
        return m_tree->style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), m_tree);
    }

private:
    QTreeWidget *m_tree;
};

} // namespace

TreeViewWidget::TreeViewWidget(unsigned style, const QString &name, QWidget *parent)
    : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    header()->setStretchLastSection(true);
    setWordWrap(true);
    setUniformRowHeights(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    setItemDelegate(new WrappingDelegate(this));
    setAccessibleName(name);
}

TreeViewWidget::~TreeViewWidget() = default;

void TreeViewWidget::resizeEvent(QResizeEvent *event) {
    QTreeWidget::resizeEvent(event);
    // The heights of wrapped items follow the width.
    if (event->size().width() != event->oldSize().width())
        doItemsLayout();
}
