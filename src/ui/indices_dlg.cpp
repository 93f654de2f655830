#include "ui/indices_dlg.h"

#include "app/revision_app.h"
#include "engine/index_table.h"
#include "engine/number_text.h"
#include "engine/packed_date.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/data_exchange.h"
#include "ui/amount_edit.h"

#include <QStringBuilder>

#include <cmath>

DialogTemplate IndicesDlgTemplate() {
    return {IDD_INDICES,
            QStringLiteral("Indices de l'INSEE"),
            172,
            201,
            DS_CENTER,
            {
                {IDC_INDEX_LIST, ControlKind::ListView, QString(), 5, 5, 160, 170,
                 WS_BORDER | LVS_EDITLABELS | LVS_NOSORTHEADER},
                {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 6, 181, 74, 14},
                {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 91, 181, 74, 14},
            }};
}

namespace {

// "%d - Trim %d" of a quarter (1 to 4), put together in one allocation:
// written for every row each time the dialog opens, it is worth avoiding
// the parsing of a format.
QString QuarterText(int year, int quarter) {
    return QString::number(year) % QStringView(u" - Trim ") % QChar(u'0' + quarter);
}

// The largest index a cell takes: the widest value of the index file's
// field, and far above any published index. A value that would round to
// more at two decimals is refused.
constexpr double kLargestIndex = 99999.99;
constexpr double kLargestBeforeRounding = 99999.995;

} // namespace

const MessageMapEntry<CIndicesDlg> CIndicesDlg::kMessageMap[] = {
    {IDOK, BN_CLICKED, &CIndicesDlg::OnOK},
    {IDC_INDEX_LIST, NM_CLICK, &CIndicesDlg::OnClickList},
    {IDC_INDEX_LIST, LVN_ENDLABELEDIT, &CIndicesDlg::OnEndLabelEditList},
};

CIndicesDlg::CIndicesDlg(CRevisionApp &app)
    : CDialog(IndicesDlgTemplate(), app.MessageBoxes())
    , m_app(app) {}

CIndicesDlg::~CIndicesDlg() = default;

bool CIndicesDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

void CIndicesDlg::DoDataExchange(CDataExchange &dx) {
    DDX_Control(dx, IDC_INDEX_LIST, m_listIndices);
}

bool CIndicesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Both columns share the width left beside a vertical scroll bar, which
    // the list shows once its rows are in.
    const int width = (m_listIndices.GetClientRect().width() - CListCtrl::ScrollBarExtent()) / 2;
    m_listIndices.InsertColumn(0, QStringLiteral("Indices"), LVCFMT_LEFT, width);
    m_listIndices.InsertColumn(1, QStringLiteral("Trimestre"), LVCFMT_CENTER, width);
    const IndexTable &table = m_app.m_indices;
    int row = 0;
    for (int year = PackedDate::kFirstYear; row < IndexTable::kListedSize; ++year) {
        for (int quarter = 1; quarter <= 4; ++quarter, ++row) {
            const int item = m_listIndices.InsertItem(
                row, FormatNumber(static_cast<double>(table.At(row)), kDecimals));
            m_listIndices.SetItemText(item, 1, QuarterText(year, quarter));
        }
    }
    // The focus goes to the first control, the list.
    return true;
}

void CIndicesDlg::OnClickList(const NotifyInfo &) {
    // No selected row: no edit.
    m_listIndices.EditLabel(m_listIndices.GetNextSelectedItem(-1));
}

void CIndicesDlg::OnEndLabelEditList(const NotifyInfo &info) {
    if (!info.hasText)
        return;
    // The value goes to the row that was edited: the first selected row
    // for an edit opened by a click, the current row for one opened by the
    // keyboard, which need not be the first selected.
    const int row = info.item >= 0 ? info.item : m_listIndices.GetNextSelectedItem(-1);
    // A text that is not wholly a number, or a value no table can hold, is
    // refused and the row keeps its value: nothing typed is cut silently.
    const std::optional<double> value = ReadAmountText(info.text);
    if (!value) {
        MessageBox(
            MessageBoxes(),
            FormatPrintf(LoadString(IDS_INDEX_NOT_A_NUMBER), {FormatNumber(150.5, kDecimals)}),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (std::abs(*value) >= kLargestBeforeRounding) {
        MessageBox(
            MessageBoxes(),
            FormatPrintf(LoadString(IDS_INDEX_TOO_LARGE), {FormatNumber(kLargestIndex, kDecimals)}),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_listIndices.SetItemText(row, 0, FormatNumber(*value, kDecimals));
}

void CIndicesDlg::StoreListedValues() {
    IndexTable &table = m_app.m_indices;
    for (int row = 0; row < IndexTable::kListedSize; ++row)
        table.Set(row, NarrowIndexValue(ParseNumber(m_listIndices.GetItemText(row, 0))));
}

void CIndicesDlg::OnOK() {
    StoreListedValues();
    // A failed write has shown its message (and, when no file could be
    // written at all, asked the program to end); the dialog ends all the
    // same, and the values stay in the table.
    m_app.WriteIndexFile();
    EndDialog(IDOK);
}
