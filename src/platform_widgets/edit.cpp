#include "platform_widgets/edit.h"

#include "platform_widgets/dialog.h"
#include "platform_widgets/dialog_template.h"
#include "platform_widgets/edit_hooks.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

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

} // namespace

CEdit::~CEdit() {
    UnsubclassWindow();
}

bool CEdit::SubclassDlgItem(int id, CDialog *dialog) {
    if (!dialog)
        return false;
    auto *edit = qobject_cast<QLineEdit *>(dialog->GetDlgItem(id));
    if (!edit)
        return false;
    if (m_edit == edit)
        return true;
    UnsubclassWindow();
    // An edit has one class at a time.
    if (CEdit *previous = AttachedEdit(edit))
        previous->UnsubclassWindow();
    m_edit = edit;
    m_dialog = dialog;
    m_id = id;
    SetAttachedEdit(edit, this);
    return true;
}

void CEdit::UnsubclassWindow() {
    if (m_edit && AttachedEdit(m_edit) == this)
        SetAttachedEdit(m_edit, nullptr);
    m_edit = nullptr;
    m_dialog = nullptr;
    m_id = 0;
}

bool CEdit::IsAttached() const {
    return !m_edit.isNull();
}

QLineEdit *CEdit::GetEdit() const {
    return m_edit;
}

int CEdit::GetDlgCtrlID() const {
    return m_edit ? m_id : 0;
}

CDialog *CEdit::GetParentDialog() const {
    return m_edit ? m_dialog : nullptr;
}

void CEdit::SetLimitText(int maxChars) {
    if (m_edit)
        SetEditTextLimit(m_edit, maxChars);
}

int CEdit::GetLimitText() const {
    return m_edit ? EditTextLimit(m_edit) : 0;
}

void CEdit::SetSel(int start, int end) {
    if (!m_edit)
        return;
    const int length = static_cast<int>(m_edit->text().size());
    if (start < 0) {
        m_edit->deselect();
        return;
    }
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    // The caret goes to `end`, also when it comes before `start`.
    m_edit->setSelection(start, end - start);
}

QString CEdit::GetWindowText() const {
    return m_edit ? m_edit->text() : QString();
}

void CEdit::SetWindowText(const QString &text) {
    if (m_edit)
        m_edit->setText(text);
}

int CEdit::GetWindowTextLength() const {
    return m_edit ? static_cast<int>(m_edit->text().size()) : 0;
}

bool CEdit::OnChar(QChar) {
    return true;
}

void CEdit::OnAfterChar(QChar) {}

void CEdit::OnReflectSetFocus() {}

void CEdit::OnReflectKillFocus() {}

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

// ---------------------------------------------------------------------------
// Attached edit

CEdit *AttachedEdit(const QLineEdit *edit) {
    return static_cast<CEdit *>(edit->property(kAttachedEditProperty).value<void *>());
}

void SetAttachedEdit(QLineEdit *edit, CEdit *attached) {
    edit->setProperty(kAttachedEditProperty, QVariant::fromValue(static_cast<void *>(attached)));
}

bool FilterEditKey(QLineEdit *edit, unsigned style, QKeyEvent *event) {
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

void ReflectEditFocus(QLineEdit *edit, bool in) {
    if (CEdit *attached = AttachedEdit(edit)) {
        if (in)
            attached->OnReflectSetFocus();
        else
            attached->OnReflectKillFocus();
    }
}
