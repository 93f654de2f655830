#include "platform_widgets/dialog_window.h"

#include "platform/message_box.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/edit_hooks.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

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
    SelectAllText(target);
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

void DialogWindow::NotifyFocus(QLineEdit *edit, bool in) {
    QPointer<QLineEdit> guard(edit);
    ReflectEditFocus(edit, in);
    if (!guard)
        return;
    if (const Item *item = ItemOf(edit))
        Notify(item->id, in ? EN_SETFOCUS : EN_KILLFOCUS);
}

void DialogWindow::Notify(int id, int code, const NotifyInfo &info) {
    if (m_notifying)
        m_owner.SendCommand(id, code, info);
}
