#include "platform_widgets/dialog_window.h"

#include "platform_widgets/dialog.h"
#include "platform_widgets/edit_hooks.h"
#include "platform_widgets/list_view_widget.h"
#include "platform_widgets/tree_view_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

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
    NameControls(dialogTemplate);
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
        m_natural.push_back(rect);
    }
    m_naturalClient = client;
    m_notifying = true;
    return true;
}

QSize DialogWindow::FittingBaseUnits(const DialogTemplate &dialogTemplate) const {
    QSize base = DialogBaseUnits(font());
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
        case ControlKind::CheckBox:
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
        // Exclusive through the group LinkControls puts it in; auto-exclusive
        // as well, so that it is reported to screen readers as a radio
        // button (the group takes precedence over auto-exclusivity).
        auto *button = new QRadioButton(control.text, this);
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
        MarkNamedComboBox(combo);
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
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(control.text, this);
        connect(box, &QAbstractButton::clicked, this, [this, id] { Notify(id, BN_CLICKED); });
        return box;
    }
    case ControlKind::TreeView:
        return new TreeViewWidget(style, control.text, this);
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
