#include "platform_widgets/dialog.h"

#include "platform_widgets/dialog_window.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

QScreen *ScreenOf(const QWidget *window) {
    const QWidget *owner = window->parentWidget();
    return owner ? owner->screen() : QGuiApplication::primaryScreen();
}

} // namespace

QRect CDialog::GetClientRect() const {
    return m_window ? m_window->rect() : QRect();
}

bool CDialog::IsZoomed() const {
    return m_window && m_window->isMaximized();
}

QRect CDialog::WindowRect() const {
    return m_window ? m_window->frameGeometry() : QRect();
}

void CDialog::MoveTo(QPoint topLeft) {
    if (m_window)
        m_window->move(topLeft);
}

DialogPlacement CDialog::GetWindowPlacement() const {
    if (!m_window)
        return {};
    return {m_window->normalGeometry(), m_window->isMaximized()};
}

void CDialog::SetWindowPlacement(const DialogPlacement &placement) {
    if (!m_window)
        return;
    if (m_window->isVisible() && m_window->isMaximized())
        m_window->showNormal();
    if (placement.normalGeometry.isValid())
        m_window->setGeometry(placement.normalGeometry);
    if (m_window->isVisible()) {
        if (placement.maximized)
            m_window->showMaximized();
    } else {
        m_showMaximized = placement.maximized;
    }
}

void CDialog::CenterWindow() {
    QScreen *screen = ScreenOf(m_window);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = m_window->frameGeometry().size();
    const QPoint corner(area.x() + (area.width() - size.width()) / 2,
                        area.y() + (area.height() - size.height()) / 2);
    // Before the window is shown its position is that of its frame's corner.
    m_window->move(corner);
    m_centredAt = m_window->frameGeometry().topLeft();
}

void CDialog::FitToScreen() {
    QScreen *screen = ScreenOf(m_window);
    if (!screen || m_window->isMaximized())
        return;
    // No window opens larger than the screen's free area, frame included.
    const QSize area = screen->availableGeometry().size();
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    const QSize room = (area - frame).expandedTo(QSize(1, 1));
    if (m_template.style & WS_THICKFRAME) {
        // A window the user can resize lays its controls out itself.
        const QSize client = m_window->size().boundedTo(room);
        if (client != m_window->size())
            m_window->resize(client);
        return;
    }
    // The others bring their controls closer, or scroll them, to fit.
    const QSize client = m_window->FitControls(room);
    if (client != m_window->size())
        m_window->setFixedSize(client);
}

void CDialog::ApplyMinimumSize() {
    if (!(m_template.style & WS_THICKFRAME))
        return;
    QSize minTrack(0, 0);
    OnGetMinMaxInfo(minTrack);
    // The minimum is of the whole window, frame included, and never more
    // than the screen's free area.
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    QSize minimum = (minTrack - frame).expandedTo(QSize(0, 0));
    if (QScreen *screen = ScreenOf(m_window))
        minimum = minimum.boundedTo(screen->availableGeometry().size() - frame);
    m_window->setMinimumSize(minimum.expandedTo(QSize(0, 0)));
}

void CDialog::OnFrameChanged() {
    ApplyMinimumSize();
    FitToScreen();
    // Framing keeps either the frame's corner or the client's where it was
    // put; when neither is, the window has been moved since.
    if (m_centredAt && (m_window->frameGeometry().topLeft() == *m_centredAt ||
                        m_window->geometry().topLeft() == *m_centredAt))
        CenterWindow();
}
