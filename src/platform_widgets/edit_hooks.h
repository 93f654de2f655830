#pragma once

// The edit controls' side of a dialog's window: the text limit of its line
// edits, the CEdit attached to each, and the passing of typed characters and
// focus changes to that CEdit. Defined beside CEdit in edit.cpp; used by the
// framework's own sources only.

#include <QValidator>

class CEdit;
class QKeyEvent;
class QLineEdit;

// Default text limit of an edit.
constexpr int kDefaultEditLimit = 32767;

// The text limit of an edit, enforced on what the user types or pastes but
// never on text set by the program: a text longer than the limit stays
// whole, can be shortened, and cannot grow. A paste is cut to what fits.
class EditLimitValidator final : public QValidator {
    Q_OBJECT

public:
    explicit EditLimitValidator(QLineEdit *edit);

    State validate(QString &input, int &pos) const override;
    int Limit() const { return m_limit; }
    void SetLimit(int limit);

private:
    QLineEdit *m_edit;
    int m_limit = kDefaultEditLimit;
    QString m_textBefore; // the text before the change being checked
};

// The limit of a dialog's line edit (kDefaultEditLimit when it has none).
int EditTextLimit(const QLineEdit *edit);
// Sets it; 0 or less restores the default.
void SetEditTextLimit(QLineEdit *edit, int limit);

// The CEdit attached to a line edit, or null.
CEdit *AttachedEdit(const QLineEdit *edit);
void SetAttachedEdit(QLineEdit *edit, CEdit *attached);

// A key pressed in a dialog's line edit of window style `style`: the
// character it types goes to the attached CEdit's OnChar, then (unless the
// ES_NUMBER style refuses it) to the edit, then to OnAfterChar. True when
// the key has been dealt with here and the edit must not see it again.
bool FilterEditKey(QLineEdit *edit, unsigned style, QKeyEvent *event);
// Tells the attached CEdit, if any, that the edit received (`in`) or lost
// the focus.
void ReflectEditFocus(QLineEdit *edit, bool in);
