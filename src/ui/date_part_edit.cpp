#include "ui/date_part_edit.h"

#include "platform/dialog_items.h"
#include "platform_widgets/dialog.h"

#include <QLineEdit>

#include <utility>

namespace {

constexpr int kYearLimit = 4;
constexpr int kDayMonthLimit = 2;
constexpr char16_t kBackspace = 8;

} // namespace

CDatePartEdit::~CDatePartEdit() = default;

void CDatePartEdit::SetKind(bool bYear) {
    m_bYear = bYear;
    m_pParent = GetParentDialog();
    SetLimitText(bYear ? kYearLimit : kDayMonthLimit);
}

void CDatePartEdit::SetPivotSource(PivotSource source) {
    m_pivot = std::move(source);
}

unsigned CDatePartEdit::ExpandYear(unsigned value, int pivot) {
    if (value >= 100)
        return value;
    return value < static_cast<unsigned>(pivot) ? value + 2000 : value + 1900;
}

bool CDatePartEdit::OnChar(QChar ch) {
    // Everything else, control characters included, is dropped: clipboard
    // shortcuts typed as characters do nothing here.
    return (ch >= u'0' && ch <= u'9') || ch.unicode() == kBackspace;
}

void CDatePartEdit::OnAfterChar(QChar) {
    // A full field hands over to the next one, also when the character was
    // refused by the limit or a backspace deleted nothing.
    if (GetWindowTextLength() != GetLimitText())
        return;
    CDialog *parent = m_pParent ? m_pParent : GetParentDialog();
    if (parent)
        parent->MoveFocusToNextTabStop(GetEdit());
}

void CDatePartEdit::OnReflectKillFocus() {
    if (!m_bYear)
        return;
    const QString text = GetWindowText();
    if (text.isEmpty())
        return;
    // Read as the dialog reads an unsigned field; text that is no number
    // counts as 0.
    const auto value = static_cast<unsigned>(ParseDlgItemInt(text, nullptr, false));
    if (value >= 100)
        return;
    SetWindowText(QString::number(ExpandYear(value, Pivot())));
}

int CDatePartEdit::Pivot() const {
    return m_pivot ? m_pivot() : kDefaultPivot;
}
