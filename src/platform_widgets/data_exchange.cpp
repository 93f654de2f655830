#include "platform_widgets/data_exchange.h"

#include "platform/dialog_items.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/edit.h"
#include "platform_widgets/edit_hooks.h"
#include "platform_widgets/list_ctrl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace {

// The framework's text for a signed field; the string table holds only the
// unsigned one.
QString ParseIntText() {
    return QStringLiteral("Veuillez entrer un entier.");
}

void FailWith(CDataExchange &dx, const QString &text) {
    MessageBox(dx.m_pDlgWnd->MessageBoxes(), text, MB_ICONEXCLAMATION);
    dx.Fail();
}

} // namespace

CDataExchange::CDataExchange(CDialog *dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate)
    , m_pDlgWnd(dialog) {}

QWidget *CDataExchange::PrepareCtrl(int id) {
    m_lastControl = m_pDlgWnd->GetDlgItem(id);
    m_bEditLastControl = false;
    return m_lastControl;
}

QWidget *CDataExchange::PrepareEditCtrl(int id) {
    PrepareCtrl(id);
    m_bEditLastControl = true;
    return m_lastControl;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (!m_lastControl)
        return;
    m_lastControl->setFocus(Qt::OtherFocusReason);
    // A refused edit has its whole text selected, whichever check refused
    // it, so that typing the right value replaces the wrong one instead of
    // running into the field's text limit.
    SelectAllText(m_lastControl);
}

namespace {

// Moves an integer between an edit and its variable; a saving exchange
// refuses text that is not such an integer with `message`.
template<class Integer>
bool ExchangeInteger(CDataExchange &dx, int id, Integer &value, bool isSigned,
                     const QString &message) {
    if (dx.Failed())
        return false;
    dx.PrepareEditCtrl(id);
    if (!dx.m_bSaveAndValidate) {
        dx.m_pDlgWnd->SetDlgItemText(id, QString::number(value));
        return true;
    }
    bool ok = false;
    const int read = ParseDlgItemInt(dx.m_pDlgWnd->GetDlgItemText(id), &ok, isSigned);
    if (!ok) {
        FailWith(dx, message);
        return false;
    }
    value = static_cast<Integer>(read);
    return true;
}

} // namespace

bool DDX_Text(CDataExchange &dx, int id, unsigned &value) {
    return ExchangeInteger(dx, id, value, false, LoadString(IDS_PARSE_UINT));
}

bool DDX_Text(CDataExchange &dx, int id, int &value) {
    return ExchangeInteger(dx, id, value, true, ParseIntText());
}

bool DDX_Text(CDataExchange &dx, int id, QString &value) {
    if (dx.Failed())
        return false;
    dx.PrepareEditCtrl(id);
    if (dx.m_bSaveAndValidate)
        value = dx.m_pDlgWnd->GetDlgItemText(id);
    else
        dx.m_pDlgWnd->SetDlgItemText(id, value);
    return true;
}

namespace {

// Refuses, in a saving exchange, a value outside [minValue, maxValue].
template<class Integer>
bool CheckRange(CDataExchange &dx, Integer value, Integer minValue, Integer maxValue) {
    if (dx.Failed())
        return false;
    if (!dx.m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return true;
    FailWith(dx, FormatFrameworkMessage(LoadString(IDS_PARSE_INT_RANGE), QString::number(minValue),
                                        QString::number(maxValue)));
    return false;
}

} // namespace

bool DDV_MinMaxUInt(CDataExchange &dx, unsigned value, unsigned minValue, unsigned maxValue) {
    return CheckRange(dx, value, minValue, maxValue);
}

bool DDV_MinMaxInt(CDataExchange &dx, int value, int minValue, int maxValue) {
    return CheckRange(dx, value, minValue, maxValue);
}

bool DDV_MaxChars(CDataExchange &dx, const QString &value, int maxChars) {
    if (dx.Failed())
        return false;
    if (dx.m_bSaveAndValidate && value.size() > maxChars) {
        FailWith(dx, FormatFrameworkMessage(LoadString(IDS_PARSE_STRING_SIZE),
                                            QString::number(maxChars)));
        return false;
    }
    if (dx.LastControlIsEdit()) {
        if (auto *edit = qobject_cast<QLineEdit *>(dx.LastControl()))
            SetEditTextLimit(edit, maxChars);
    }
    return true;
}

bool DDX_Radio(CDataExchange &dx, int firstId, int &value) {
    if (dx.Failed())
        return false;
    dx.PrepareCtrl(firstId);
    const std::vector<QRadioButton *> group = dx.m_pDlgWnd->GetRadioGroup(firstId);
    if (dx.m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i]->isChecked()) {
                value = static_cast<int>(i);
                break;
            }
        }
        return true;
    }
    for (std::size_t i = 0; i < group.size(); ++i) {
        QRadioButton *button = group[i];
        // An exclusive group refuses to clear its checked button.
        QButtonGroup *exclusive = button->group();
        const bool wasExclusive = exclusive && exclusive->exclusive();
        if (wasExclusive)
            exclusive->setExclusive(false);
        button->setChecked(static_cast<int>(i) == value);
        if (wasExclusive)
            exclusive->setExclusive(true);
    }
    return true;
}

bool DDX_Check(CDataExchange &dx, int id, bool &checked) {
    if (dx.Failed())
        return false;
    auto *box = qobject_cast<QCheckBox *>(dx.PrepareCtrl(id));
    if (!box)
        return true;
    if (dx.m_bSaveAndValidate)
        checked = box->isChecked();
    else
        box->setChecked(checked);
    return true;
}

bool DDX_CBIndex(CDataExchange &dx, int id, int &index) {
    if (dx.Failed())
        return false;
    auto *combo = qobject_cast<QComboBox *>(dx.PrepareCtrl(id));
    if (!combo)
        return true;
    if (dx.m_bSaveAndValidate)
        index = combo->currentIndex();
    else
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    return true;
}

bool DDX_Control(CDataExchange &dx, int id, CEdit &control) {
    if (dx.Failed())
        return false;
    if (!control.IsAttached())
        control.SubclassDlgItem(id, dx.m_pDlgWnd);
    return true;
}

bool DDX_Control(CDataExchange &dx, int id, CListCtrl &control) {
    if (dx.Failed())
        return false;
    if (!control.IsAttached())
        control.Attach(dx.m_pDlgWnd->GetDlgItem(id));
    return true;
}
