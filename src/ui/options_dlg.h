#pragma once

#include "platform_widgets/dialog.h"

#include <QString>

class CRevisionApp;

// Control ids of the options dialog.
enum OptionsDlgIds : int {
    IDD_OPTIONS = 103,
    IDC_TARGET_WORD = 1009, // first of the three export targets
    IDC_TARGET_TABLE = 1010,
    IDC_TARGET_TABS = 1011,
    IDC_SYMBOL = 1013,
    IDC_PIVOT = 1014,
    IDC_CONTROLS = 1015, // "Signaler les règles à vérifier"
};

// The window of the options dialog: the three export targets in a group,
// the currency symbol, the two-digit-year pivot, "Annuler" and the default
// "OK", then under them the check box that turns the legal notices on.
DialogTemplate OptionsDlgTemplate();

// Changes the settings: the export target, the currency symbol, the
// two-digit-year pivot and whether the legal notices are given. It works on copies taken when it is
// built; OK stores them back into the application object and writes the settings at once, Cancel
// (also Escape and the close box) drops them.
class COptionsDlg : public CDialog {
public:
    static constexpr unsigned kMaxPivot = 99;
    static constexpr int kMaxSymbolChars = 3;

    explicit COptionsDlg(CRevisionApp &app);
    ~COptionsDlg() override;

    int m_nTarget;       // 0-2, the checked target; -1 for none
    QString m_strSymbol; // at most kMaxSymbolChars when saved
    unsigned m_nPivot;   // 0 to kMaxPivot when saved
    bool m_bControles;   // "Contrôles" not 0

protected:
    void DoDataExchange(CDataExchange &dx) override;
    void OnOK() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

private:
    static const MessageMapEntry<COptionsDlg> kMessageMap[];

    CRevisionApp &m_app;
};
