#include "platform_widgets/process_end.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// Watches the application's events until the first top-level window is
// about to be shown, sets the icon then and goes.
class FirstWindowWatcher final : public QObject {
public:
    FirstWindowWatcher(QIcon (*icon)(), QObject *parent)
        : QObject(parent)
        , m_icon(icon) {}

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            qApp->removeEventFilter(this);
            QApplication::setWindowIcon(m_icon());
            deleteLater();
        }
        return false;
    }

private:
    QIcon (*m_icon)();
};

} // namespace

void SetApplicationIconOnFirstWindow(QIcon (*icon)()) {
    qApp->installEventFilter(new FirstWindowWatcher(icon, qApp));
}

void EndCommandLineRunNow(int status) {
    // What this process put on the clipboard must be handed to a clipboard
    // manager or a keeper, which the normal end does.
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard != nullptr && (clipboard->ownsClipboard() || clipboard->ownsSelection()))
        return;
    // In a sandbox the word processor is asked for through the desktop
    // portal, a message on the session bus that Qt's end sees out.
    if (QFileInfo::exists(QStringLiteral("/.flatpak-info")) || qEnvironmentVariableIsSet("SNAP"))
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}
