#include "platform_widgets/dialog.h"

#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

#include <algorithm>
#include <utility>

namespace {

bool g_quitPending = false;
int g_quitExitCode = 0;

// The modal runs in progress, innermost last.
struct RunningDialog {
    CDialog *dialog;
    QEventLoop *loop; // null until the window is shown
};

std::vector<RunningDialog> &Running() {
    static std::vector<RunningDialog> running;
    return running;
}

CDialog::RichEditFactory &RichEditMaker() {
    static CDialog::RichEditFactory factory;
    return factory;
}

} // namespace

// An edit field that receives the focus from the dialog has its whole text
// selected, so typing replaces it. A read-only text view is left alone: a
// report shown wholly selected reads badly and nothing can be typed over it.
void SelectAllText(QWidget *control) {
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control); plain && !plain->isReadOnly())
        plain->selectAll();
    else if (auto *rich = qobject_cast<QTextEdit *>(control); rich && !rich->isReadOnly())
        rich->selectAll();
}

void PostQuitMessage(int exitCode) {
    g_quitPending = true;
    g_quitExitCode = exitCode;
    // Each loop returns as soon as control comes back to it, the innermost
    // first; a dialog whose end value was already given keeps it.
    for (const RunningDialog &run : Running()) {
        if (run.loop)
            run.loop->exit();
    }
}

bool IsQuitPending() {
    return g_quitPending;
}

int QuitExitCode() {
    return g_quitExitCode;
}

void ClearQuitRequest() {
    g_quitPending = false;
    g_quitExitCode = 0;
}

CDialog::CDialog(DialogTemplate dialogTemplate, IMessageBoxService &messageBoxes)
    : m_template(std::move(dialogTemplate))
    , m_messageBoxes(&messageBoxes) {}

CDialog::~CDialog() {
    DestroyWindow();
}

int CDialog::DoModal() {
    if (IsQuitPending() || m_window)
        return -1;
    m_result = 0;
    m_ended = false;
    m_showMaximized = false;

    // A dialog opened from another is owned by it, unless it is a window of
    // its own on the task bar.
    QWidget *owner = nullptr;
    if (!Running().empty() && !(m_template.style & WS_EX_APPWINDOW))
        owner = Running().back().dialog->Window();
    m_window = new DialogWindow(*this, owner);
    if (!m_window->Build(m_template)) {
        DestroyWindow();
        return -1;
    }
    m_centredAt.reset();
    FitToScreen();
    if (m_template.style & DS_CENTER)
        CenterWindow();
    ApplyMinimumSize();

    Running().push_back({this, nullptr});
    const bool focusFirst = OnInitDialog();
    if (!m_ended && !IsQuitPending()) {
        m_window->setWindowModality(Qt::ApplicationModal);
        if (m_showMaximized)
            m_window->showMaximized();
        else
            m_window->show();
        ApplyMinimumSize();
        if (focusFirst) {
            if (QWidget *first = GetNextDlgTabItem(nullptr))
                GotoDlgCtrl(first);
        }
        // Each control shown has asked to be painted once the events waiting
        // are handled, which can be after the window's first paint and would
        // paint it all again. Taken now, those requests join the first paint.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
        QEventLoop loop;
        m_loop = &loop;
        Running().back().loop = &loop;
        if (!m_ended && !IsQuitPending())
            loop.exec(QEventLoop::DialogExec);
        m_loop = nullptr;
    }
    const int result = m_ended ? m_result : -1;
    auto &running = Running();
    running.erase(std::find_if(running.begin(), running.end(),
                               [this](const RunningDialog &r) { return r.dialog == this; }));
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    if (m_loop)
        m_loop->exit();
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

QWidget *CDialog::GetDlgItem(int id) const {
    return m_window ? m_window->Control(id) : nullptr;
}

int CDialog::GetDlgCtrlID(const QWidget *control) const {
    if (!m_window || !control)
        return 0;
    const DialogWindow::Item *item = m_window->ItemOf(control);
    return item ? item->id : 0;
}

void CDialog::GotoDlgCtrl(QWidget *control) {
    if (!control)
        return;
    control->setFocus(Qt::TabFocusReason);
    SelectAllText(control);
}

QWidget *CDialog::GetNextDlgTabItem(QWidget *from, bool previous) const {
    if (!m_window)
        return nullptr;
    const auto &items = m_window->Items();
    const auto count = static_cast<std::ptrdiff_t>(items.size());
    // Searching from null starts just outside the list, on the side the
    // search comes from.
    std::ptrdiff_t start = previous ? count : -1;
    for (std::ptrdiff_t i = 0; i < count && from; ++i) {
        const QWidget *w = items[static_cast<std::size_t>(i)].widget;
        if (w == from || w->isAncestorOf(from)) {
            start = i;
            break;
        }
    }
    const std::ptrdiff_t direction = previous ? -1 : 1;
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
        const std::ptrdiff_t i = ((start + direction * step) % count + count) % count;
        QWidget *w = items[static_cast<std::size_t>(i)].widget;
        if (w == from)
            continue;
        if (m_window->IsTabStop(w) && w->isEnabled() && !w->isHidden())
            return w;
    }
    return nullptr;
}

void CDialog::MoveFocusToNextTabStop(QWidget *from) {
    GotoDlgCtrl(GetNextDlgTabItem(from));
}

QWidget *CDialog::Window() const {
    return m_window;
}

int CDialog::GetDlgItemInt(int id, bool *ok, bool isSigned) const {
    return ParseDlgItemInt(GetDlgItemText(id), ok, isSigned);
}

QString CDialog::GetDlgItemText(int id) const {
    QWidget *w = GetDlgItem(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    if (auto *rich = qobject_cast<QTextEdit *>(w))
        return rich->toPlainText();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    return {};
}

void CDialog::SetDlgItemText(int id, const QString &text) {
    QWidget *w = GetDlgItem(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(w))
        rich->setPlainText(text);
    else if (auto *label = qobject_cast<QLabel *>(w)) {
        label->setText(text);
        m_window->RenameValueLabel(label);
    } else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        group->setTitle(text);
}

void CDialog::SetDlgItemInt(int id, int value, bool isSigned) {
    SetDlgItemText(id, isSigned ? QString::number(value)
                                : QString::number(static_cast<unsigned>(value)));
}

std::vector<QRadioButton *> CDialog::GetRadioGroup(int firstId) const {
    std::vector<QRadioButton *> group;
    if (!m_window)
        return group;
    bool inGroup = false;
    for (const DialogWindow::Item &item : m_window->Items()) {
        if (inGroup && (item.style & WS_GROUP))
            break;
        if (!inGroup && item.id == firstId)
            inGroup = true;
        if (inGroup && item.kind == ControlKind::RadioButton)
            group.push_back(static_cast<QRadioButton *>(item.widget));
    }
    return group;
}

QIcon CDialog::ApplicationIcon() {
    static const QIcon icon = [] {
        // The pictures are compiled into a static library: registering them
        // here keeps the linker from dropping them.
        Q_INIT_RESOURCE(calvor);
        QIcon pictures;
        pictures.addFile(QStringLiteral(":/calvor/calvor16.png"), QSize(16, 16));
        pictures.addFile(QStringLiteral(":/calvor/calvor32.png"), QSize(32, 32));
        return pictures;
    }();
    return icon;
}

void CDialog::SetRichEditFactory(RichEditFactory factory) {
    RichEditMaker() = std::move(factory);
}

QFont CDialog::DialogFont() {
    return QApplication::font();
}

QSize CDialog::BaseUnits() const {
    return m_window ? m_window->BaseUnits() : QSize();
}

bool CDialog::OnInitDialog() {
    if (!UpdateData(false)) {
        EndDialog(-1);
        return false;
    }
    return true;
}

void CDialog::DoDataExchange(CDataExchange &) {}

void CDialog::OnOK() {
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(int id, int code, const NotifyInfo &) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnSize(int, int, int) {}

void CDialog::OnPaint() {}

void CDialog::OnGetMinMaxInfo(QSize &) {}

void CDialog::DestroyWindow() {
    if (!m_window)
        return;
    DialogWindow *window = m_window;
    m_window = nullptr;
    window->StopNotifications();
    window->hide();
    delete window;
}

void CDialog::SendCommand(int id, int code, const NotifyInfo &info) {
    OnCommand(id, code, info);
}

QWidget *CDialog::CreateRichEdit(QWidget *parent, const DialogControl &control) {
    const RichEditFactory &factory = RichEditMaker();
    return factory ? factory(parent, control) : nullptr;
}
