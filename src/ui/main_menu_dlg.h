#pragma once

#include "platform_widgets/dialog.h"

class CRevisionApp;

// Control ids of the main menu.
enum MainMenuDlgIds : int {
    IDD_MAIN_MENU = 100,
    IDC_START_CALCULATION = 1000,
    IDC_OPEN_CALCULATION = 1001,
    IDC_INDICES = 1002,
    IDC_OPTIONS = 1004,
    // "Quitter" carries the cancel id, so Escape and the close box reach it.
    IDC_QUIT = IDCANCEL,
};

// The window of the main menu: five large buttons one above the other, none
// of them the default button, and the author and version labels below.
DialogTemplate MainMenuDlgTemplate();

// The first window of an interactive run. It holds no data: it starts the
// other windows and tells the dialog loop where to go next, 101 for the
// calculation data dialog, 2 to end the program.
class CMainMenuDlg : public CDialog {
public:
    explicit CMainMenuDlg(CRevisionApp &app);

    // "&Commencer un calcul": on to the data dialog with the current document.
    void OnStartCalculation();
    // "&Ouvrir un calcul...": a document read into the current one; the menu
    // stays.
    void OnOpenCalculation();
    // "O&ptions...": the options dialog; the menu stays.
    void OnOptions();
    // "&Indices de l'INSEE...": the index table dialog; the menu stays.
    void OnIndices();
    // "Quitter", Escape and the close box: ends with 2 after a Yes to the
    // quit question.
    void OnQuit();

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

private:
    static const MessageMapEntry<CMainMenuDlg> kMessageMap[];

    CRevisionApp &m_app;
};
