#include "platform_widgets/list_cell_delegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include <utility>

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

ListCellDelegate::ListCellDelegate(QObject *parent, Commit commit)
    : QStyledItemDelegate(parent)
    , m_commit(std::move(commit)) {}

void ListCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (!PaintPlainCell(painter, cell))
        QStyledItemDelegate::paint(painter, option, index);
}

bool ListCellDelegate::eventFilter(QObject *object, QEvent *event) {
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

void ListCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *,
                                    const QModelIndex &) const {
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        m_commit(edit->text());
}

void ListCellDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const {
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    if (const QWidget *area = editor->parentWidget())
        editor->setGeometry(editor->geometry().intersected(area->rect()));
}
