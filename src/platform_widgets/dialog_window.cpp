#include "platform_widgets/dialog_window.h"

#include "platform/message_box.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/edit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

constexpr char kAttachedEditProperty[] = "calvorAttachedEdit";

// The character a key press types, as an edit control receives it: text,
// backspace (8), and Ctrl+letter as a control character. Keys that move the
// focus or press buttons (Tab, Enter, Escape), Delete, Alt combinations and
// keys without text type nothing.
bool TypedChar(const QKeyEvent &event, QChar &ch) {
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool alt = mods.testFlag(Qt::AltModifier);
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return false;
    case Qt::Key_Backspace:
        ch = QChar(static_cast<char16_t>(ctrl ? 0x7F : 0x08));
        return true;
    default:
        break;
    }
    if (ctrl && !alt) {
        if (key < Qt::Key_A || key > Qt::Key_Z)
            return false;
        ch = QChar(static_cast<char16_t>(key - Qt::Key_A + 1));
        return true;
    }
    if (alt && !ctrl)
        return false;
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    ch = text.front();
    return ch.unicode() >= 0x20 && ch.unicode() != 0x7F;
}

// A label's text with its mnemonic marks removed: "&&" gives "&".
QString WithoutMnemonic(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out.append(text[i]);
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Text limit

EditLimitValidator::EditLimitValidator(QLineEdit *edit)
    : QValidator(edit)
    , m_edit(edit)
    , m_textBefore(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_textBefore = text; });
}

QValidator::State EditLimitValidator::validate(QString &input, int &pos) const {
    // The edit clears its modified flag whenever the program sets its text,
    // so an unmodified edit is showing set text, which is never refused.
    if (!m_edit->isModified())
        return Acceptable;
    const qsizetype allowed = std::max<qsizetype>(m_limit, m_textBefore.size());
    const qsizetype excess = input.size() - allowed;
    if (excess <= 0)
        return Acceptable;
    // Keep what fits of the characters just inserted before the caret.
    if (pos < excess)
        return Invalid;
    QString cut = input;
    cut.remove(pos - excess, excess);
    if (cut == m_textBefore)
        return Invalid;
    input = cut;
    pos -= static_cast<int>(excess);
    return Acceptable;
}

void EditLimitValidator::SetLimit(int limit) {
    m_limit = limit > 0 ? limit : kDefaultEditLimit;
}

int EditTextLimit(const QLineEdit *edit) {
    const auto *limit = qobject_cast<const EditLimitValidator *>(edit->validator());
    return limit ? limit->Limit() : kDefaultEditLimit;
}

void SetEditTextLimit(QLineEdit *edit, int limit) {
    auto *validator = edit->findChild<EditLimitValidator *>(QString(), Qt::FindDirectChildrenOnly);
    if (!validator) {
        validator = new EditLimitValidator(edit);
        edit->setValidator(validator);
    }
    validator->SetLimit(limit);
}

CEdit *AttachedEdit(const QLineEdit *edit) {
    return static_cast<CEdit *>(edit->property(kAttachedEditProperty).value<void *>());
}

void SetAttachedEdit(QLineEdit *edit, CEdit *attached) {
    edit->setProperty(kAttachedEditProperty, QVariant::fromValue(static_cast<void *>(attached)));
}

// ---------------------------------------------------------------------------
// List view

// Records the text of an in-place edit that ends by Enter or by the focus
// leaving, instead of storing it in the row.
class ListViewWidget::LabelDelegate final : public QStyledItemDelegate {
public:
    explicit LabelDelegate(ListViewWidget *view)
        : QStyledItemDelegate(view)
        , m_view(view) {}

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
    : QTreeWidget(parent)
    , m_delegate(new LabelDelegate(this))
    , m_editable((style & LVS_EDITLABELS) != 0) {
    setColumnCount(0);
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

bool ListViewWidget::EditLabel(int row) {
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item || !m_editable || state() == EditingState)
        return false;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    setFocus(Qt::OtherFocusReason);
    m_editedRow = row;
    m_committedText.reset();
    editItem(item, 0);
    return state() == EditingState;
}

void ListViewWidget::mouseReleaseEvent(QMouseEvent *event) {
    QTreeWidget::mouseReleaseEvent(event);
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
    QTreeWidget::keyPressEvent(event);
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

// ---------------------------------------------------------------------------
// Dialog window

DialogWindow::DialogWindow(CDialog &owner, QWidget *parent)
    : QDialog(parent)
    , m_owner(owner) {}

DialogWindow::~DialogWindow() {
    m_notifying = false;
}

bool DialogWindow::Build(const DialogTemplate &dialogTemplate) {
    setFont(CDialog::DialogFont());
    setWindowFlags(DialogWindowFlags(dialogTemplate.style));
    setWindowTitle(dialogTemplate.caption);
    if (!CDialog::ApplicationIcon().isNull())
        setWindowIcon(CDialog::ApplicationIcon());

    for (const DialogControl &control : dialogTemplate.controls) {
        QWidget *widget = CreateControl(control);
        if (!widget)
            return false;
        // Whether a control is a tab stop is fixed here: Qt later takes the
        // tab focus from radio buttons that are not checked.
        const bool tabStop = control.kind != ControlKind::Label &&
                             control.kind != ControlKind::GroupBox &&
                             (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
        m_items.push_back({control.id, control.kind, control.style, widget, tabStop});
    }

    LinkControls();
    m_baseUnits = FittingBaseUnits(dialogTemplate);
    const QSize client =
        DialogUnitsToPixels(QRect(0, 0, dialogTemplate.cx, dialogTemplate.cy), m_baseUnits).size();
    resize(client);
    if (!(dialogTemplate.style & WS_THICKFRAME))
        setFixedSize(client);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const DialogControl &control = dialogTemplate.controls[i];
        QWidget *widget = m_items[i].widget;
        QRect rect =
            DialogUnitsToPixels(QRect(control.x, control.y, control.cx, control.cy), m_baseUnits);
        // A drop-down list's height in the template is that of its open list.
        if (control.kind == ControlKind::ComboDropDownList)
            rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
    }
    m_notifying = true;
    return true;
}

QSize DialogWindow::FittingBaseUnits(const DialogTemplate &dialogTemplate) const {
    QSize base = DialogBaseUnits(QFontMetrics(font()));
    // Dialog units follow the font's average letter, but a text is made of
    // its own letters, and the arrow of a drop-down list and the circle of a
    // radio button keep their size: with some fonts a control of one line
    // would cut its text ("T 1" shown as "T :"). The units then widen, for
    // the whole window, until each such control shows its text whole.
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const DialogControl &control = dialogTemplate.controls[i];
        int needed = 0;
        switch (control.kind) {
        case ControlKind::ComboDropDownList:
        case ControlKind::RadioButton:
            needed = m_items[i].widget->sizeHint().width();
            break;
        case ControlKind::Label: {
            // A label that wraps but has room for one line only is one too.
            const bool wraps = !(control.style & SS_LEFTNOWORDWRAP);
            if (wraps && MulDiv(control.cy, base.height(), 8) >= 2 * fontMetrics().height())
                break;
            const QString shown =
                (control.style & SS_NOPREFIX) ? control.text : WithoutMnemonic(control.text);
            needed = fontMetrics().horizontalAdvance(shown);
            break;
        }
        default:
            break;
        }
        base.setWidth(BaseWidthForPixels(control.cx, needed, base.width()));
    }
    return base;
}

QWidget *DialogWindow::CreateControl(const DialogControl &control) {
    const int id = control.id;
    const unsigned style = control.style;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto *button = new QPushButton(control.text, this);
        button->setAutoDefault(true);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        connect(button, &QAbstractButton::clicked, this, [this, id] { Notify(id, BN_CLICKED); });
        return button;
    }
    case ControlKind::RadioButton: {
        auto *button = new QRadioButton(control.text, this);
        button->setAutoExclusive(false);
        connect(button, &QAbstractButton::clicked, this, [this, id] { Notify(id, BN_CLICKED); });
        return button;
    }
    case ControlKind::GroupBox: {
        auto *group = new QGroupBox(control.text, this);
        group->setFocusPolicy(Qt::NoFocus);
        return group;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        Qt::Alignment align = Qt::AlignTop | Qt::AlignLeft;
        if (style & SS_RIGHT)
            align = Qt::AlignTop | Qt::AlignRight;
        else if (style & SS_CENTER)
            align = Qt::AlignTop | Qt::AlignHCenter;
        label->setAlignment(align);
        label->setWordWrap(!(style & SS_LEFTNOWORDWRAP));
        label->setText(control.text);
        return label;
    }
    case ControlKind::Edit: {
        if (style & ES_MULTILINE) {
            auto *edit = new QPlainTextEdit(control.text, this);
            edit->setReadOnly((style & ES_READONLY) != 0);
            edit->setTabChangesFocus(true);
            edit->setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
            edit->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAsNeeded);
            connect(edit, &QPlainTextEdit::textChanged, this,
                    [this, id] { Notify(id, EN_CHANGE); });
            return edit;
        }
        auto *edit = new QLineEdit(control.text, this);
        edit->setFrame((style & WS_BORDER) != 0);
        edit->setReadOnly((style & ES_READONLY) != 0);
        edit->setValidator(new EditLimitValidator(edit));
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, id] { Notify(id, EN_CHANGE); });
        return edit;
    }
    case ControlKind::ComboDropDownList: {
        auto *combo = new QComboBox(this);
        QStringList items = control.items;
        if (style & CBS_SORT) {
            std::stable_sort(items.begin(), items.end(), [](const QString &a, const QString &b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
        }
        combo->addItems(items);
        combo->setCurrentIndex(-1);
        // Only the user's choices notify, as setting the selection does not.
        connect(combo, &QComboBox::activated, this, [this, id] { Notify(id, CBN_SELCHANGE); });
        return combo;
    }
    case ControlKind::ListView: {
        auto *list = new ListViewWidget(style, this);
        list->SetNotify([this, id](int code, const NotifyInfo &info) { Notify(id, code, info); });
        return list;
    }
    case ControlKind::RichEdit:
        return CDialog::CreateRichEdit(this, control);
    }
    return nullptr;
}

void DialogWindow::LinkControls() {
    // Tab order is template order.
    QWidget *previous = nullptr;
    for (const Item &item : m_items) {
        if (!IsTabStop(item.widget))
            continue;
        if (previous)
            setTabOrder(previous, item.widget);
        previous = item.widget;
    }

    // A label's mnemonic gives the focus to the next tab stop after it.
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].kind != ControlKind::Label || (m_items[i].style & SS_NOPREFIX))
            continue;
        auto *label = static_cast<QLabel *>(m_items[i].widget);
        QWidget *buddy = nullptr;
        for (std::size_t j = i + 1; j < m_items.size() && !buddy; ++j) {
            if (IsTabStop(m_items[j].widget))
                buddy = m_items[j].widget;
        }
        if (buddy)
            label->setBuddy(buddy);
        else
            label->setText(WithoutMnemonic(label->text()));
    }

    // Radio buttons are exclusive within a group: from a control that starts
    // a group to the next one.
    QButtonGroup *group = nullptr;
    for (const Item &item : m_items) {
        if (item.style & WS_GROUP)
            group = nullptr;
        if (item.kind != ControlKind::RadioButton)
            continue;
        if (!group) {
            group = new QButtonGroup(this);
            group->setExclusive(true);
        }
        group->addButton(static_cast<QRadioButton *>(item.widget));
    }
}

QWidget *DialogWindow::Control(int id) const {
    for (const Item &item : m_items) {
        if (item.id == id)
            return item.widget;
    }
    return nullptr;
}

const DialogWindow::Item *DialogWindow::ItemOf(const QWidget *widget) const {
    for (const Item &item : m_items) {
        if (item.widget == widget)
            return &item;
    }
    return nullptr;
}

bool DialogWindow::IsTabStop(const QWidget *widget) const {
    const Item *item = ItemOf(widget);
    return item && item->tabStop;
}

void DialogWindow::reject() {
    // Escape and the close box send command 2, unless its button is disabled.
    const QWidget *cancel = Control(IDCANCEL);
    if (cancel && !cancel->isEnabled())
        return;
    Notify(IDCANCEL, BN_CLICKED);
}

bool DialogWindow::event(QEvent *event) {
    const bool handled = QDialog::event(event);
    // The desktop frames a window some time after it is shown: the frame
    // is known once the window has moved or been resized with it.
    const QEvent::Type type = event->type();
    if (m_notifying && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show)) {
        const QRect outer = frameGeometry();
        const QRect inner = geometry();
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                             outer.right() - inner.right(), outer.bottom() - inner.bottom());
        if (frame != m_frame) {
            m_frame = frame;
            m_owner.OnFrameChanged();
        }
    }
    return handled;
}

void DialogWindow::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && key == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        // Enter in a list's in-place editor only ends that edit.
        for (QWidget *w = focusWidget(); w && w != this; w = w->parentWidget()) {
            if (w != focusWidget() && qobject_cast<QAbstractItemView *>(w))
                return;
        }
        for (const Item &item : m_items) {
            auto *button = qobject_cast<QPushButton *>(item.widget);
            if (button && button->isDefault()) {
                if (button->isEnabled() && button->isVisible())
                    button->click();
                return;
            }
        }
        // Without a default button Enter sends command 1.
        Notify(IDOK, BN_CLICKED);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DialogWindow::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab visit every tab stop in template order, including
    // each radio button of a group.
    QWidget *target = m_owner.GetNextDlgTabItem(focusWidget(), !next);
    if (!target)
        return QDialog::focusNextPrevChild(next);
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(target))
        edit->selectAll();
    return true;
}

void DialogWindow::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    if (!m_notifying)
        return;
    const int type = isMinimized()   ? SIZE_MINIMIZED
                     : isMaximized() ? SIZE_MAXIMIZED
                                     : SIZE_RESTORED;
    m_owner.OnSize(type, width(), height());
}

void DialogWindow::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    if (m_notifying)
        m_owner.OnPaint();
}

void DialogWindow::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_notifying)
        m_owner.OnSize(SIZE_MINIMIZED, 0, 0);
}

bool DialogWindow::eventFilter(QObject *watched, QEvent *event) {
    auto *edit = qobject_cast<QLineEdit *>(watched);
    const Item *item = edit ? ItemOf(edit) : nullptr;
    if (!item || !m_notifying)
        return QDialog::eventFilter(watched, event);
    QObject *target = edit;
    switch (event->type()) {
    case QEvent::KeyPress:
        return FilterEditKey(edit, item->style, static_cast<QKeyEvent *>(event));
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason)
            break;
        if (reason == Qt::MouseFocusReason) {
            // Reported once the click has placed the caret, so that what a
            // handler selects on the focus stays selected.
            m_mouseFocusPending = edit;
            break;
        }
        target->event(event);
        NotifyFocus(edit, true);
        return true;
    }
    case QEvent::MouseButtonPress:
        if (m_mouseFocusPending != edit)
            break;
        m_mouseFocusPending = nullptr;
        target->event(event);
        NotifyFocus(edit, true);
        return true;
    case QEvent::FocusOut: {
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            break;
        if (m_mouseFocusPending == edit) {
            m_mouseFocusPending = nullptr;
            NotifyFocus(edit, true);
        }
        target->event(event);
        NotifyFocus(edit, false);
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

bool DialogWindow::FilterEditKey(QLineEdit *edit, unsigned style, QKeyEvent *event) {
    QChar ch;
    if (!TypedChar(*event, ch)) {
        // Alt and a letter that no mnemonic took types nothing, as on
        // Windows: it would slip a letter past every character filter.
        const Qt::KeyboardModifiers mods = event->modifiers();
        return mods.testFlag(Qt::AltModifier) && !mods.testFlag(Qt::ControlModifier) &&
               !event->text().isEmpty() && event->text().front().isPrint();
    }
    CEdit *attached = AttachedEdit(edit);
    if (attached && !attached->OnChar(ch))
        return true;
    const bool digitsOnly = (style & ES_NUMBER) != 0;
    const bool refused = digitsOnly && ch.unicode() >= 0x20 && !(ch >= u'0' && ch <= u'9');
    if (!attached)
        return refused;
    QPointer<QLineEdit> guard(edit);
    if (!refused)
        static_cast<QObject *>(edit)->event(event);
    if (guard && AttachedEdit(edit) == attached)
        attached->OnAfterChar(ch);
    return true;
}

void DialogWindow::NotifyFocus(QLineEdit *edit, bool in) {
    QPointer<QLineEdit> guard(edit);
    if (CEdit *attached = AttachedEdit(edit)) {
        if (in)
            attached->OnReflectSetFocus();
        else
            attached->OnReflectKillFocus();
    }
    if (!guard)
        return;
    if (const Item *item = ItemOf(edit))
        Notify(item->id, in ? EN_SETFOCUS : EN_KILLFOCUS);
}

void DialogWindow::Notify(int id, int code, const NotifyInfo &info) {
    if (m_notifying)
        m_owner.SendCommand(id, code, info);
}
