#include "ui/preview_dlg.h"

#include "app/revision_app.h"
#include "platform/message_box.h"
#include "platform_widgets/rich_text_view.h"

#include <QPushButton>

#include <algorithm>
#include <cstring>

DialogTemplate PreviewDlgTemplate() {
    return {IDD_PREVIEW,
            QStringLiteral("Aperçu du résultat du calcul"),
            466,
            249,
            DS_CENTER | WS_THICKFRAME | WS_MAXIMIZEBOX,
            {
                {IDC_REPORT_VIEW, ControlKind::RichEdit, QString(), 20, 15, 170, 110,
                 WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY},
                {IDCANCEL, ControlKind::PushButton, QStringLiteral("Revenir aux données"), 50, 145,
                 85, 14},
                {IDOK, ControlKind::DefPushButton, QStringLiteral("Exporter"), 170, 145, 85, 14},
            }};
}

ReportStreamReader::ReportStreamReader(QByteArrayView text)
    : m_next(text.data())
    , m_remaining(text.size()) {}

qsizetype ReportStreamReader::Read(char *buffer, qsizetype capacity) {
    const qsizetype n = std::clamp<qsizetype>(capacity, 0, m_remaining);
    if (n > 0)
        std::memcpy(buffer, m_next, static_cast<std::size_t>(n));
    m_next += n;
    m_delivered += n;
    m_remaining -= n;
    return n;
}

const MessageMapEntry<CPreviewDlg> CPreviewDlg::kMessageMap[] = {
    {IDCANCEL, BN_CLICKED, &CPreviewDlg::OnBackToData},
    {IDOK, BN_CLICKED, &CPreviewDlg::OnExport},
};

CPreviewDlg::CPreviewDlg(CRevisionApp &app)
    : CDialog(PreviewDlgTemplate(), app.MessageBoxes())
    , m_app(app) {}

CPreviewDlg::~CPreviewDlg() = default;

bool CPreviewDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

void CPreviewDlg::DoDataExchange(CDataExchange &) {
    m_btnExport = qobject_cast<QPushButton *>(GetDlgItem(IDOK));
    m_btnBack = qobject_cast<QPushButton *>(GetDlgItem(IDCANCEL));
    m_report = qobject_cast<RichTextView *>(GetDlgItem(IDC_REPORT_VIEW));
}

bool CPreviewDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    // Each button wide enough for its text in the dialog's font.
    for (QPushButton *button : {m_btnBack.data(), m_btnExport.data()}) {
        if (button && button->width() < button->sizeHint().width())
            button->resize(button->sizeHint().width(), button->height());
    }
    if (m_report)
        m_report->SetSelectionBar(true);
    if (m_app.m_wpPreview)
        SetWindowPlacement(*m_app.m_wpPreview);
    if (m_report) {
        m_report->SetReadOnly(true);
        ReportStreamReader reader(m_app.m_report.Tabs());
        m_report->StreamInFrom(
            [&reader](char *buffer, qsizetype capacity) { return reader.Read(buffer, capacity); });
    }
    return true;
}

void CPreviewDlg::OnSize(int type, int cx, int cy) {
    // Sizes arrive while the window is being built, and with a zero width
    // while it is minimised: the controls then stay where they are.
    if (!m_btnBack || !m_btnExport || !m_report || cx == 0)
        return;
    // The smallest window follows the buttons' widths; a window that grows
    // to it has been laid out for its new size already.
    ApplyMinimumSize();
    if (type != SIZE_MINIMIZED && GetClientRect().size() != QSize(cx, cy) && !IsZoomed())
        return;
    const QSize back = m_btnBack->size();
    const QSize exportSize = m_btnExport->size();
    int backX = cx / 2 - back.width() - kButtonGap;
    int exportX = cx / 2 + kButtonGap;
    int backY = cy - back.height() - kMargin;
    const int exportY = cy - exportSize.height() - kMargin;
    // The band under the text grows with buttons made taller by a large
    // font, so that they never cover the text.
    int band = std::max(kButtonBand, back.height() + 2 * kMargin);
    // A screen too small for the smallest window: the buttons come closer
    // together, or where even that leaves no room, one above the other.
    const int space = cx - back.width() - exportSize.width();
    if (backX < 0 || exportX + exportSize.width() > cx) {
        if (space >= 3 * kMargin) {
            backX = space / 3;
            exportX = cx - exportSize.width() - space / 3;
        } else {
            backX = std::max((cx - back.width()) / 2, 0);
            exportX = std::max((cx - exportSize.width()) / 2, 0);
            backY = exportY - back.height() - kMargin;
            band = back.height() + exportSize.height() + 3 * kMargin;
        }
    }
    m_report->setGeometry(kMargin, kMargin, std::max(cx - 2 * kMargin, 0),
                          std::max(cy - kMargin - band, 0));
    m_btnBack->move(backX, backY);
    m_btnExport->move(exportX, exportY);
}

void CPreviewDlg::OnPaint() {
    const QRect client = GetClientRect();
    OnSize(IsZoomed() ? SIZE_MAXIMIZED : SIZE_RESTORED, client.width(), client.height());
}

void CPreviewDlg::OnGetMinMaxInfo(QSize &minTrackSize) {
    minTrackSize = QSize(kMinTrackWidth, kMinTrackHeight);
    // Never so small that a button is cut: with the desktop's font, or a
    // large one, the buttons are wider than the fixed minimum allows.
    const QWidget *back = GetDlgItem(IDCANCEL);
    const QWidget *exportButton = GetDlgItem(IDOK);
    if (!back || !exportButton)
        return;
    const QSize frame = WindowRect().size() - GetClientRect().size();
    const int widest = std::max(back->width(), exportButton->width());
    const int tallest = std::max(back->height(), exportButton->height());
    const int band = std::max(kButtonBand, tallest + 2 * kMargin);
    minTrackSize =
        minTrackSize.expandedTo(QSize(2 * (widest + kButtonGap + kMargin), band + kMargin) + frame);
}

void CPreviewDlg::OnBackToData() {
    RememberPlacement();
    EndDialog(CRevisionApp::kDataDialog);
}

void CPreviewDlg::OnExport() {
    RememberPlacement();
    EndDialog(m_app.ExportResult());
}

void CPreviewDlg::RememberPlacement() {
    m_app.m_wpPreview = GetWindowPlacement();
}
