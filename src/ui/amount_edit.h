#pragma once

#include "platform_widgets/edit.h"

#include <QStringView>

#include <optional>

class CDataExchange;

// A money amount field: only digits, the comma, the user's decimal
// separator and backspace can be typed (the comma whatever the separator
// is), and the whole text is selected each time the field receives the
// focus, so that typing replaces the old amount.
class CAmountEdit : public CEdit {
public:
    CAmountEdit() = default;
    ~CAmountEdit() override;

protected:
    bool OnChar(QChar ch) override;
    void OnReflectSetFocus() override;
};

// The number a typed amount holds when its whole text is one: blanks
// around it, an optional sign, digits with at most one decimal mark and no
// exponent. The decimal mark is the first character of `separator` (a full
// stop when it is empty); the other of "," and "." is read as the decimal
// mark too where it cannot separate groups of digits: alone, followed by
// one or two digits. Anything else (letters, two marks, "1,234" where ","
// is not the decimal mark, a number beyond the double range) has no value,
// so that nothing typed is ever cut short silently. An empty text has none
// either; callers decide what it means.
std::optional<double> ReadAmountText(QStringView text, QStringView separator);
// The same with the user's decimal separator.
std::optional<double> ReadAmountText(QStringView text);

// The example of a well-typed amount shown by the refusals: 850.5 with two
// decimals in the user's number format.
QString AmountExampleText();

// Exchange of an amount with edit `id`, as text with two decimals in the
// user's number format. Loading attaches `field` when it is not attached
// yet. Saving stores an empty text as 0 and refuses a text that is not
// wholly a number (message 260, focus on the field with its text selected).
bool DDX_Amount(CDataExchange &dx, int id, CAmountEdit &field, double &value);
