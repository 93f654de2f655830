#include "ui/amount_edit.h"

#include "engine/number_text.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

constexpr char16_t kBackspace = 8;
constexpr int kAmountDecimals = 2;
// GetWindowNumber reads at most this much of a control's text.
constexpr qsizetype kReadLength = kNumberTextCapacity - 1;

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

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

std::optional<double> ReadAmountText(QStringView text, QStringView separator) {
    text = text.trimmed();
    const QChar own = separator.isEmpty() ? QChar(u'.') : separator.front();
    qsizetype i = 0;
    std::string number;
    number.reserve(static_cast<std::size_t>(text.size()) + 2);
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    int wholeDigits = 0;
    int fractionDigits = 0;
    bool marked = false;
    QChar mark;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            if (!marked && wholeDigits == 0 && fractionDigits == 0)
                number += '0'; // so that ",5" reads as 0.5
            number += static_cast<char>(c.unicode());
            ++(marked ? fractionDigits : wholeDigits);
            continue;
        }
        if (marked || (c != own && c != u',' && c != u'.'))
            return std::nullopt;
        marked = true;
        mark = c;
        number += '.';
    }
    if (wholeDigits + fractionDigits == 0)
        return std::nullopt;
    // The other mark stands for the decimal one only where it cannot be a
    // group separator: one or two digits after it.
    if (marked && mark != own && (fractionDigits < 1 || fractionDigits > 2))
        return std::nullopt;
    if (marked && fractionDigits == 0)
        number.pop_back();
    double value = 0.0;
    const char *first = number.data();
    const char *last = first + number.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ReadAmountText(QStringView text) {
    return ReadAmountText(text, DecimalSeparator());
}

QString AmountExampleText() {
    return FormatNumber(850.5, kAmountDecimals);
}

bool DDX_Amount(CDataExchange &dx, int id, CAmountEdit &field, double &value) {
    if (dx.Failed())
        return false;
    dx.PrepareEditCtrl(id);
    if (dx.m_bSaveAndValidate) {
        const QString text = dx.m_pDlgWnd->GetDlgItemText(id).left(kReadLength);
        if (text.trimmed().isEmpty()) {
            value = 0.0;
            return true;
        }
        const std::optional<double> read = ReadAmountText(text);
        if (!read) {
            MessageBox(dx.m_pDlgWnd->MessageBoxes(),
                       FormatPrintf(LoadString(IDS_AMOUNT_NOT_A_NUMBER), {AmountExampleText()}),
                       MB_OK | MB_ICONEXCLAMATION);
            dx.Fail();
            return false;
        }
        value = *read;
        return true;
    }
    if (!field.IsAttached())
        field.SubclassDlgItem(id, dx.m_pDlgWnd);
    SetWindowNumber(*dx.m_pDlgWnd, id, value, kAmountDecimals);
    return true;
}
