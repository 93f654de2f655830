#pragma once

#include "platform_widgets/edit.h"

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

// Exchange of an amount with edit `id`, as text with two decimals in the
// user's number format. Loading attaches `field` when it is not attached
// yet; saving stores whatever the text reads as (no number gives 0) and
// never fails.
bool DDX_Amount(CDataExchange &dx, int id, CAmountEdit &field, double &value);
