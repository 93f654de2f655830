#pragma once

#include <QString>

// The controls of a dialog reached by their numeric ids, as the date and
// number exchanges use them. Implemented by the dialog framework and by
// tests.
class IDialogItems {
public:
    virtual ~IDialogItems() = default;
    // The control's text read as an integer: leading blanks, an optional
    // sign when `isSigned`, then digits; anything else fails. On failure the
    // result is 0 and *ok (when given) is false.
    virtual int GetDlgItemInt(int id, bool *ok, bool isSigned) const = 0;
    virtual QString GetDlgItemText(int id) const = 0;
    virtual void SetDlgItemText(int id, const QString &text) = 0;
};

// The integer reading of a control's text, shared by every implementation:
// blanks, an optional sign when signed, decimal digits, trailing blanks; a
// value that does not fit 32 bits fails.
int ParseDlgItemInt(const QString &text, bool *ok, bool isSigned);
