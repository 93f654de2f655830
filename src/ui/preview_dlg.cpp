#include "ui/preview_dlg.h"

#include "app/revision_app.h"
#include "platform/message_box.h"
#include "platform_widgets/rich_text_view.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

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
                {IDC_NOTICES_LABEL, ControlKind::Label, QStringLiteral("À &vérifier :"), 200, 15,
                 100, 8, SS_LEFTNOWORDWRAP},
                {IDC_NOTICES, ControlKind::TreeView, QStringLiteral("Règles à vérifier"), 200, 25,
                 100, 100, WS_BORDER},
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
    m_noticesLabel = qobject_cast<QLabel *>(GetDlgItem(IDC_NOTICES_LABEL));
    m_notices = qobject_cast<QTreeWidget *>(GetDlgItem(IDC_NOTICES));
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
    FillNotices();
    return true;
}

void CPreviewDlg::FillNotices() {
    if (!m_notices || !m_noticesLabel)
        return;
    const std::vector<RevisionNotice> &notices = m_app.m_notices;
    m_notices->clear();
    // Without notices the preview is the report and its two buttons alone.
    m_noticesLabel->setVisible(!notices.empty());
    m_notices->setVisible(!notices.empty());
    for (const RevisionNotice &notice : notices) {
        auto *title = new QTreeWidgetItem(m_notices, QStringList(notice.title));
        title->setData(0, Qt::AccessibleTextRole, notice.title);
        title->setToolTip(0, notice.title);
        const QString text =
            notice.Text() + QStringLiteral("\nSource : ") + notice.reference + u'.';
        auto *body = new QTreeWidgetItem(title, QStringList(text));
        body->setData(0, Qt::AccessibleTextRole, text);
        body->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    m_notices->setAccessibleDescription(
        notices.size() == 1
            ? QStringLiteral("Une règle à vérifier ; elle s'ouvre sur son texte.")
            : QStringLiteral("%1 règles à vérifier ; chacune s'ouvre sur son texte.")
                  .arg(notices.size()));
    if (notices.empty())
        return;
    m_notices->setCurrentItem(m_notices->topLevelItem(0));
    // The width the report's longest line needs, its frame, margin and
    // scroll bar included.
    if (m_report) {
        std::unique_ptr<QTextDocument> unwrapped(m_report->document()->clone());
        unwrapped->setTextWidth(-1);
        m_reportWidth = static_cast<int>(std::ceil(unwrapped->idealWidth())) + m_report->width() -
                        m_report->viewport()->width() +
                        m_report->verticalScrollBar()->sizeHint().width();
    }
}

bool CPreviewDlg::ShowsNotices() const {
    return m_notices && m_noticesLabel && !m_notices->isHidden();
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
    const int height = std::max(cy - kMargin - band, 0);
    int width = std::max(cx - 2 * kMargin, 0);
    int reportHeight = height;
    if (ShowsNotices()) {
        // The notices stand at the right of the report, as tall as it, and
        // leave the report the width its lines need; where that leaves them
        // too little room they go under it instead.
        int notices =
            std::min(std::clamp(cx / kNoticesShare, kMinNoticesWidth, kMaxNoticesWidth), width / 2);
        notices = std::min(notices, width - kMargin - m_reportWidth);
        const int labelHeight = m_noticesLabel->sizeHint().height();
        if (notices >= kMinNoticesWidth) {
            width -= notices + kMargin;
            const int x = kMargin + width + kMargin;
            m_noticesLabel->setGeometry(x, kMargin, notices, labelHeight);
            m_notices->setGeometry(x, kMargin + labelHeight + 2, notices,
                                   std::max(height - labelHeight - 2, 0));
        } else {
            reportHeight = height * 2 / 3;
            const int y = kMargin + reportHeight + kMargin;
            m_noticesLabel->setGeometry(kMargin, y, width, labelHeight);
            m_notices->setGeometry(kMargin, y + labelHeight + 2, width,
                                   std::max(height - reportHeight - kMargin - labelHeight - 2, 0));
        }
    }
    m_report->setGeometry(kMargin, kMargin, width, reportHeight);
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
