#include "platform_widgets/edit.h"

#include "platform_widgets/dialog.h"
#include "platform_widgets/dialog_window.h"

#include <QLineEdit>

#include <algorithm>

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
