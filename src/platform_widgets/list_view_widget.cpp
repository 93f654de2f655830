#include "platform_widgets/list_view_widget.h"

#include "platform_widgets/dialog_template.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------
// Cells

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

// ---------------------------------------------------------------------------
// List view

namespace {

// Whether the style paints an item view's cell as the common style does:
// its panel, then its text in the palette's colour, laid out on one line.
// Other styles (the native ones of Windows and macOS) paint every cell
// themselves.
bool PaintsCellsAsCommonStyle(const QStyle *style) {
    const QString name = style->name();
    return name == QLatin1String("fusion") || name == QLatin1String("windows");
}

// The common style's painting of a cell of one line that fits; false,
// having painted nothing, for any other cell.
bool PaintPlainCell(QPainter *painter, const QStyleOptionViewItem &cell) {
    const QWidget *widget = cell.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const QStyleOptionViewItem::ViewItemFeatures others = QStyleOptionViewItem::WrapText |
                                                          QStyleOptionViewItem::HasCheckIndicator |
                                                          QStyleOptionViewItem::HasDecoration;
    if (!PaintsCellsAsCommonStyle(style) || (cell.features & others) ||
        (cell.state & (QStyle::State_HasFocus | QStyle::State_Editing)) ||
        cell.text.contains(QChar::LineSeparator) || cell.text.contains(u'\n'))
        return false;

    // The text's place: the cell less the focus frame's margin on each
    // side, the line as wide as that, the line's box aligned in it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(cell.direction);
    textOption.setAlignment(QStyle::visualAlignment(cell.direction, cell.displayAlignment));
    QTextLayout layout(cell.text, cell.font);
    layout.setTextOption(textOption);
    // The glyphs shaped for the layout are kept for drawing it.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(textRect.width());
    const bool fits = !line.isValid() || (line.naturalTextWidth() <= textRect.width() &&
                                          !layout.createLine().isValid());
    layout.endLayout();
    if (!fits)
        return false;
    const QRect lineBox = QStyle::alignedRect(Qt::LayoutDirectionAuto, cell.displayAlignment,
                                              layout.boundingRect().size().toSize(), textRect);

    painter->save();
    painter->setClipRect(cell.rect, Qt::IntersectClip);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
    QPalette::ColorGroup group =
        (cell.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->setPen(cell.palette.color(
        group, (cell.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(textRect.x(), lineBox.top()));
    painter->restore();
    return true;
}

} // namespace

// Paints the cells, and records the text of an in-place edit that ends by
// Enter or by the focus leaving instead of storing it in the row.
//
// A cell of a list is one line of text, which the style would lay out three
// times (to size it, to elide it and to draw it) with line breaking each
// time: most of the cost of showing a list. A cell whose text fits its
// width is painted here with one layout, exactly as the style would; other
// cells (text elided or on several lines, a focus frame, a cell being
// edited) are left to the style.
class ListViewWidget::CellDelegate final : public QStyledItemDelegate {
public:
    explicit CellDelegate(ListViewWidget *view)
        : QStyledItemDelegate(view)
        , m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        if (!PaintPlainCell(painter, cell))
            QStyledItemDelegate::paint(painter, option, index);
    }

    // Tab in the editor ends the edit like Enter, without moving on to
    // another cell.
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, NoHint);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &) const override {
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            m_view->m_committedText = edit->text();
    }

private:
    ListViewWidget *m_view;
};

ListViewWidget::ListViewWidget(unsigned style, QWidget *parent)
    : QTreeView(parent)
    , m_cells(new ListViewModel(this))
    , m_delegate(new CellDelegate(this))
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
