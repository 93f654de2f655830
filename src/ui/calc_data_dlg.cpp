#include "ui/calc_data_dlg.h"

#include "app/revision_app.h"
#include "engine/number_text.h"
#include "engine/packed_date.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "platform_widgets/data_exchange.h"

#include <QComboBox>
#include <QWidget>

namespace {

constexpr int kRows = 3;
// The fields of the three date rows: signature, first and last revision.
struct DateRowIds {
    int day, month, year;
};
constexpr DateRowIds kDateRows[kRows] = {
    {IDC_SIGNATURE_DAY, IDC_SIGNATURE_MONTH, IDC_SIGNATURE_YEAR},
    {IDC_FIRST_REVISION_DAY, IDC_FIRST_REVISION_MONTH, IDC_FIRST_REVISION_YEAR},
    {IDC_LAST_REVISION_DAY, IDC_LAST_REVISION_MONTH, IDC_LAST_REVISION_YEAR},
};
// DDX_Date finds the month and the year after the day.
constexpr bool FollowOneAnother(const DateRowIds &ids) {
    return ids.month == ids.day + 1 && ids.year == ids.day + 2;
}
static_assert(FollowOneAnother(kDateRows[0]) && FollowOneAnother(kDateRows[1]) &&
              FollowOneAnother(kDateRows[2]));
constexpr unsigned kLargestStorableYear = 0x3FFF; // the year field of a date word
constexpr int kIndexDecimals = 2;

constexpr unsigned kLabel = SS_LEFTNOWORDWRAP | WS_GROUP;
constexpr unsigned kEdit = WS_BORDER | ES_AUTOHSCROLL;
constexpr unsigned kValue = SS_RIGHT | SS_NOPREFIX | WS_GROUP;

// The document date bound to a date row.
PackedDate &RowDate(CalcDocument &doc, int row) {
    switch (row) {
    case 0:
        return doc.signature;
    case 1:
        return doc.firstRevision;
    default:
        return doc.lastRevision;
    }
}

void FailWithDateInvalid(CDataExchange &dx, int id) {
    MessageBox(dx.m_pDlgWnd->MessageBoxes(), DateInvalidText(), MB_OK | MB_ICONEXCLAMATION);
    dx.PrepareCtrl(id);
    dx.Fail();
}

} // namespace

DialogTemplate CalcDataDlgTemplate() {
    // What each field of a row holds, for the name a screen reader gives it.
    const QString day = QStringLiteral("jour");
    const QString month = QStringLiteral("mois");
    const QString year = QStringLiteral("année");
    const QString quarter = QStringLiteral("trimestre");
    const QString value = QStringLiteral("valeur");
    const QStringList quarters = {QStringLiteral("T 1"), QStringLiteral("T 2"),
                                  QStringLiteral("T 3"), QStringLiteral("T 4")};
    return {IDD_CALC_DATA,
            QStringLiteral("Données du calcul"),
            237,
            116,
            DS_CENTER | WS_EX_APPWINDOW,
            {
                {IDC_STATIC, ControlKind::Label, QStringLiteral("&Signature du bail:"), 7, 10, 60,
                 8, kLabel},
                {IDC_SIGNATURE_DAY, ControlKind::Edit, {}, 79, 8, 14, 13, kEdit, {}, day},
                {IDC_SIGNATURE_MONTH, ControlKind::Edit, {}, 94, 8, 14, 13, kEdit, {}, month},
                {IDC_SIGNATURE_YEAR, ControlKind::Edit, {}, 109, 8, 22, 13, kEdit, {}, year},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("&Première révision:"), 7, 25, 60,
                 8, kLabel},
                {IDC_FIRST_REVISION_DAY, ControlKind::Edit, {}, 79, 23, 14, 13, kEdit, {}, day},
                {IDC_FIRST_REVISION_MONTH, ControlKind::Edit, {}, 94, 23, 14, 13, kEdit, {}, month},
                {IDC_FIRST_REVISION_YEAR, ControlKind::Edit, {}, 109, 23, 22, 13, kEdit, {}, year},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("&Dernière révision:"), 7, 40, 60,
                 8, kLabel},
                {IDC_LAST_REVISION_DAY, ControlKind::Edit, {}, 79, 38, 14, 13, kEdit, {}, day},
                {IDC_LAST_REVISION_MONTH, ControlKind::Edit, {}, 94, 38, 14, 13, kEdit, {}, month},
                {IDC_LAST_REVISION_YEAR, ControlKind::Edit, {}, 109, 38, 22, 13, kEdit, {}, year},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("&Indice de référence:"), 7, 55, 68,
                 8, kLabel},
                {IDC_REF_QUARTER, ControlKind::ComboDropDownList, QString(), 79, 53, 29, 66,
                 CBS_SORT | WS_VSCROLL, quarters, quarter},
                {IDC_REF_YEAR, ControlKind::Edit, {}, 109, 53, 22, 13, kEdit, {}, year},
                {IDC_INDEX_VALUE, ControlKind::Label, {}, 140, 55, 35, 8, kValue, {}, value},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("Montant du &loyer:"), 7, 69, 60, 8,
                 kLabel},
                {IDC_RENT, ControlKind::Edit, QString(), 79, 68, 74, 12, kEdit},
                {IDCANCEL, ControlKind::PushButton, QStringLiteral("<< &Menu principal"), 7, 94, 70,
                 14, WS_GROUP},
                {IDC_SAVE_CALCULATION, ControlKind::PushButton,
                 QStringLiteral("&Enregistrer calcul"), 84, 94, 70, 14},
                {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 161, 94, 70, 14},
            }};
}

bool DDX_Date(CDataExchange &dx, int firstId, PackedDate &date) {
    if (dx.Failed())
        return false;
    if (dx.m_bSaveAndValidate)
        date.ReadFromEdits(*dx.m_pDlgWnd, firstId);
    else
        date.WriteToEdits(*dx.m_pDlgWnd, firstId);
    return true;
}

bool DDV_Date(CDataExchange &dx, int id, const PackedDate &date, bool bAllowEmpty) {
    if (dx.Failed())
        return false;
    if (!dx.m_bSaveAndValidate || date.Validate() == PackedDate::DateOk ||
        (bAllowEmpty && date.IsEmpty()))
        return true;
    FailWithDateInvalid(dx, id);
    return false;
}

const MessageMapEntry<CCalcDataDlg> CCalcDataDlg::kMessageMap[] = {
    {IDCANCEL, BN_CLICKED, &CCalcDataDlg::OnMainMenu},
    {IDC_SAVE_CALCULATION, BN_CLICKED, &CCalcDataDlg::OnSaveCalculation},
    {IDOK, BN_CLICKED, &CCalcDataDlg::OnOK},
    {IDC_REF_YEAR, EN_CHANGE, &CCalcDataDlg::UpdateIndexValue},
    {IDC_REF_QUARTER, CBN_SELCHANGE, &CCalcDataDlg::UpdateIndexValue},
};

CCalcDataDlg::CCalcDataDlg(CRevisionApp &app)
    : CDialog(CalcDataDlgTemplate(), app.MessageBoxes())
    , m_app(app) {
    // The pivot is read at each expansion, so a change made in the options
    // applies at once.
    for (CDatePartEdit &year : m_editYear)
        year.SetPivotSource([this] { return m_app.m_nDate2000; });
}

CCalcDataDlg::~CCalcDataDlg() = default;

bool CCalcDataDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

bool CCalcDataDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_app.RestoreWindowPosition(*this);
    m_editRent.SetLimitText(kRentLimit);
    for (int row = 0; row < kRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        m_editDay[r].SetKind(false);
        m_editMonth[r].SetKind(false);
        m_editYear[r].SetKind(true);
        // The year fields sit one pixel to the left of their template place.
        if (QWidget *year = GetDlgItem(kDateRows[row].year))
            year->move(year->x() - 1, year->y());
    }
    return true;
}

void CCalcDataDlg::DoDataExchange(CDataExchange &dx) {
    CalcDocument &doc = m_app.m_doc;
    if (!dx.m_bSaveAndValidate) {
        m_nQuarter = static_cast<int>(doc.referenceDate.QuarterIndex());
        m_nYear = doc.referenceDate.Year();
    }
    for (int row = 0; row < kRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        const DateRowIds &ids = kDateRows[row];
        if (!dx.m_bSaveAndValidate) {
            DDX_Control(dx, ids.day, m_editDay[r]);
            DDX_Control(dx, ids.month, m_editMonth[r]);
            DDX_Control(dx, ids.year, m_editYear[r]);
        }
        DDX_Date(dx, ids.day, RowDate(doc, row));
        DDV_Date(dx, ids.day, RowDate(doc, row), true);
    }
    DDX_Amount(dx, IDC_RENT, m_editRent, doc.rent);
    if (dx.m_bSaveAndValidate)
        SaveReference(dx);
    else
        LoadReference(dx);
}

void CCalcDataDlg::LoadReference(CDataExchange &dx) {
    if (!DDX_CBIndex(dx, IDC_REF_QUARTER, m_nQuarter))
        return;
    if (m_nYear != 0)
        SetDlgItemText(IDC_REF_YEAR, QString::number(m_nYear));
    UpdateIndexValue();
}

void CCalcDataDlg::SaveReference(CDataExchange &dx) {
    if (!DDX_CBIndex(dx, IDC_REF_QUARTER, m_nQuarter))
        return;
    if (GetDlgItemText(IDC_REF_YEAR).isEmpty())
        m_nYear = 0;
    else if (!DDX_Text(dx, IDC_REF_YEAR, m_nYear))
        return;
    // Without a year the stored reference date stays as it was.
    if (m_nYear == 0)
        return;
    // A year too wide for the date word would be cut to another, valid
    // looking year; it is refused instead, before anything is stored.
    if (m_nYear > kLargestStorableYear) {
        FailWithDateInvalid(dx, IDC_REF_QUARTER);
        return;
    }
    PackedDate &reference = m_app.m_doc.referenceDate;
    reference.MakeQuarterDate(static_cast<unsigned>(m_nQuarter), m_nYear);
    DDV_Date(dx, IDC_REF_QUARTER, reference, true);
}

void CCalcDataDlg::UpdateIndexValue() {
    bool ok = false;
    const int year = GetDlgItemInt(IDC_REF_YEAR, &ok, false);
    m_nYear = ok ? static_cast<unsigned>(year) : 0;
    QString text;
    if (ok) {
        m_nQuarter = SelectedQuarter();
        // Nothing is shown while no quarter is selected (a stored month of
        // 12 or more selects none), so that the lookup stays in the table.
        const bool inTable = m_nYear >= static_cast<unsigned>(PackedDate::kFirstYear) &&
                             m_nYear <= static_cast<unsigned>(PackedDate::kLastYear);
        if (inTable && m_nQuarter >= 0 && m_nQuarter <= 3) {
            const int position = IndexTable::PositionOf(static_cast<int>(m_nYear), m_nQuarter);
            FormatNumberInto(text, static_cast<double>(m_app.m_indices.At(position)),
                             kIndexDecimals);
        }
    }
    SetDlgItemText(IDC_INDEX_VALUE, text);
}

int CCalcDataDlg::SelectedQuarter() const {
    const auto *list = qobject_cast<const QComboBox *>(GetDlgItem(IDC_REF_QUARTER));
    return list ? list->currentIndex() : -1;
}

void CCalcDataDlg::OnMainMenu() {
    if (!UpdateData(true))
        return;
    m_app.SaveWindowPosition(*this);
    EndDialog(CRevisionApp::kMainMenu);
}

void CCalcDataDlg::OnSaveCalculation() {
    if (!UpdateData(true))
        return;
    m_app.SaveWindowPosition(*this);
    m_app.SaveDocument();
}

void CCalcDataDlg::OnOK() {
    // Leaving the field being edited first lets a year field finish its
    // two-digit-year expansion before the fields are read.
    GotoDlgCtrl(GetDlgItem(IDOK));
    if (!UpdateData(true))
        return;
    m_app.SaveWindowPosition(*this);
    if (m_app.CalculateRevision())
        EndDialog(CRevisionApp::kPreview);
}
