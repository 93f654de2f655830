#pragma once

#include <QChar>
#include <QPointer>
#include <QString>

class CDialog;
class QKeyEvent;
class QLineEdit;

// An edit field class attached to an edit control of a dialog's window. A
// derived class filters typed characters and reacts to the focus. The object
// outlives the windows: it is attached each time a window is created (by
// SubclassDlgItem or DDX_Control) and is detached when that window goes.
class CEdit {
public:
    CEdit() = default;
    virtual ~CEdit();
    CEdit(const CEdit &) = delete;
    CEdit &operator=(const CEdit &) = delete;

    // Attaches to the line edit `id` of the dialog's current window. True
    // when attached (also when it already was); false when there is no such
    // edit.
    bool SubclassDlgItem(int id, CDialog *dialog);
    void UnsubclassWindow();
    bool IsAttached() const;

    QLineEdit *GetEdit() const;
    int GetDlgCtrlID() const;
    CDialog *GetParentDialog() const;

    // The most characters the user can type; 0 restores the default. Text
    // set by the program is never cut to the limit.
    void SetLimitText(int maxChars);
    int GetLimitText() const;
    // Selects from `start` to `end` (-1: to the end of the text) with the
    // caret at `end`; a negative `start` removes the selection.
    void SetSel(int start, int end);
    QString GetWindowText() const;
    void SetWindowText(const QString &text);
    int GetWindowTextLength() const;

protected:
    // A typed character, before the edit processes it: printable characters,
    // backspace as QChar(8), and Ctrl+letter shortcuts as control characters
    // (Ctrl+A = 1 ... Ctrl+Z = 26). False discards it. The base accepts all.
    virtual bool OnChar(QChar ch);
    // After the edit has processed a character that OnChar accepted.
    virtual void OnAfterChar(QChar ch);
    // The edit received or lost the focus.
    virtual void OnReflectSetFocus();
    virtual void OnReflectKillFocus();

private:
    // The framework's edit hooks pass the typed characters and the focus
    // changes of the attached edit to the virtual operations above.
    friend bool FilterEditKey(QLineEdit *edit, unsigned style, QKeyEvent *event);
    friend void ReflectEditFocus(QLineEdit *edit, bool in);

    QPointer<QLineEdit> m_edit;
    CDialog *m_dialog = nullptr;
    int m_id = 0;
};
