#include "ui/amount_edit.h"

#include "engine/number_text.h"
#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"

namespace {

constexpr char16_t kBackspace = 8;
constexpr int kAmountDecimals = 2;

} // namespace

CAmountEdit::~CAmountEdit() = default;

bool CAmountEdit::OnChar(QChar ch) {
    if (ch == u',' || (ch >= u'0' && ch <= u'9') || ch.unicode() == kBackspace)
        return true;
    // The user's own decimal separator too: where it is not the comma, a
    // refused separator would silently turn 3500.50 into 350050.
    // Before the separator is read, numbers are shown with a full stop.
    const QString separator = DecimalSeparator();
    return ch == (separator.isEmpty() ? QChar(u'.') : separator.front());
}

void CAmountEdit::OnReflectSetFocus() {
    // The caret goes to the end of the selection, which keeps it in view.
    SetSel(0, -1);
}

bool DDX_Amount(CDataExchange &dx, int id, CAmountEdit &field, double &value) {
    if (dx.Failed())
        return false;
    dx.PrepareEditCtrl(id);
    if (dx.m_bSaveAndValidate) {
        value = GetWindowNumber(*dx.m_pDlgWnd, id);
        return true;
    }
    if (!field.IsAttached())
        field.SubclassDlgItem(id, dx.m_pDlgWnd);
    SetWindowNumber(*dx.m_pDlgWnd, id, value, kAmountDecimals);
    return true;
}
