#include "ui/main_menu_dlg.h"

#include "app/revision_app.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "ui/indices_dlg.h"
#include "ui/options_dlg.h"

DialogTemplate MainMenuDlgTemplate() {
    return {
        IDD_MAIN_MENU,
        QStringLiteral("Calvor"),
        167,
        180,
        DS_CENTER | WS_EX_APPWINDOW,
        {
            {IDC_START_CALCULATION, ControlKind::PushButton, QStringLiteral("&Commencer un calcul"),
             15, 10, 140, 20},
            {IDC_OPEN_CALCULATION, ControlKind::PushButton, QStringLiteral("&Ouvrir un calcul..."),
             15, 40, 140, 20},
            {IDC_OPTIONS, ControlKind::PushButton, QStringLiteral("O&ptions..."), 15, 70, 140, 20},
            {IDC_INDICES, ControlKind::PushButton, QStringLiteral("&Indices de l'INSEE..."), 15,
             101, 140, 20},
            {IDC_QUIT, ControlKind::PushButton, QStringLiteral("Quitter"), 15, 131, 140, 19},
            {IDC_STATIC, ControlKind::Label, QStringLiteral("MORVA"), 15, 162, 36, 8,
             SS_LEFT | SS_NOPREFIX},
            {IDC_STATIC, ControlKind::Label, QStringLiteral("Version 1.0"), 60, 162, 95, 8,
             SS_RIGHT | SS_NOPREFIX},
        }};
}

const MessageMapEntry<CMainMenuDlg> CMainMenuDlg::kMessageMap[] = {
    {IDC_START_CALCULATION, BN_CLICKED, &CMainMenuDlg::OnStartCalculation},
    {IDC_OPEN_CALCULATION, BN_CLICKED, &CMainMenuDlg::OnOpenCalculation},
    {IDC_OPTIONS, BN_CLICKED, &CMainMenuDlg::OnOptions},
    {IDC_INDICES, BN_CLICKED, &CMainMenuDlg::OnIndices},
    {IDC_QUIT, BN_CLICKED, &CMainMenuDlg::OnQuit},
};

CMainMenuDlg::CMainMenuDlg(CRevisionApp &app)
    : CDialog(MainMenuDlgTemplate(), app.MessageBoxes())
    , m_app(app) {}

bool CMainMenuDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

bool CMainMenuDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The focus goes to the first button, "&Commencer un calcul".
    return true;
}

void CMainMenuDlg::OnStartCalculation() {
    EndDialog(CRevisionApp::kDataDialog);
}

void CMainMenuDlg::OnOpenCalculation() {
    m_app.PromptOpenDocument();
}

void CMainMenuDlg::OnOptions() {
    // Built afresh at each click, from the settings as they are now; what
    // OK changes it has stored itself.
    COptionsDlg dlg(m_app);
    dlg.DoModal();
}

void CMainMenuDlg::OnIndices() {
    CIndicesDlg dlg(m_app);
    dlg.DoModal();
}

void CMainMenuDlg::OnQuit() {
    if (MessageBoxId(MessageBoxes(), IDS_QUIT_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDYES)
        EndDialog(IDCANCEL);
}
