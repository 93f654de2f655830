#pragma once

#include "platform_widgets/dialog.h"

#include <QByteArrayView>
#include <QPointer>

class CRevisionApp;
class QLabel;
class QPushButton;
class QTreeWidget;
class RichTextView;

// Control ids of the result preview.
enum PreviewDlgIds : int {
    IDD_PREVIEW = 134,
    IDC_REPORT_VIEW = 1078,
    IDC_NOTICES_LABEL = 1079, // "À vérifier :" over the notices
    IDC_NOTICES = 1080,       // the notices, each title opening to its text
};

// The window of the result preview: a read-only rich text view and, under
// it, "Revenir aux données" and "Exporter"; then the notices of the legal
// rules to check, shown beside the report only when there are some.
DialogTemplate PreviewDlgTemplate();

// Hands a text to a rich text view in pieces, as many bytes at each call as
// fit the buffer it is given, until none remain.
class ReportStreamReader {
public:
    explicit ReportStreamReader(QByteArrayView text);

    // Copies the next min(remaining, capacity) bytes into `buffer` and
    // returns their count; 0 once everything has been delivered.
    qsizetype Read(char *buffer, qsizetype capacity);

    qsizetype Delivered() const { return m_delivered; }
    qsizetype Remaining() const { return m_remaining; }

private:
    const char *m_next;
    qsizetype m_delivered = 0;
    qsizetype m_remaining;
};

// Shows the tab form of the report in a resizable window whose placement
// (maximised included) is remembered for the rest of the run. Ends with 101
// (back to the data dialog), after exporting when "Exporter" was pressed.
class CPreviewDlg : public CDialog {
public:
    // The layout: margins around the text, the band under it for the
    // buttons, and the distance of each button from the middle.
    static constexpr int kMargin = 4;
    static constexpr int kButtonBand = 36;
    static constexpr int kButtonGap = 18;
    static constexpr int kMinTrackWidth = 308;
    static constexpr int kMinTrackHeight = 115;
    // The notices take this share of the width beside the report, within
    // these bounds in pixels, and never more than half of it.
    static constexpr int kNoticesShare = 3;
    static constexpr int kMinNoticesWidth = 140;
    static constexpr int kMaxNoticesWidth = 420;

    explicit CPreviewDlg(CRevisionApp &app);
    ~CPreviewDlg() override;

    void OnBackToData();
    void OnExport();

protected:
    void DoDataExchange(CDataExchange &dx) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;
    void OnSize(int type, int cx, int cy) override;
    void OnPaint() override;
    void OnGetMinMaxInfo(QSize &minTrackSize) override;

private:
    static const MessageMapEntry<CPreviewDlg> kMessageMap[];

    void RememberPlacement();
    void FillNotices();
    bool ShowsNotices() const;

    CRevisionApp &m_app;
    QPointer<QPushButton> m_btnExport;
    QPointer<QPushButton> m_btnBack;
    QPointer<RichTextView> m_report;
    QPointer<QLabel> m_noticesLabel;
    QPointer<QTreeWidget> m_notices;
    int m_reportWidth = 0; // what the report's lines need, in pixels
};
