#pragma once

#include "platform_widgets/dialog.h"
#include "ui/amount_edit.h"
#include "ui/date_part_edit.h"

#include <array>

class CRevisionApp;
class PackedDate;

// Control ids of the calculation data dialog.
enum CalcDataDlgIds : int {
    IDD_CALC_DATA = 101,
    IDC_REF_QUARTER = 1000, // drop-down list "T 1" to "T 4"
    IDC_INDEX_VALUE = 1001, // index value of the reference quarter
    IDC_RENT = 1053,
    IDC_SAVE_CALCULATION = 1060,
    // The three fields of each date row, day, month and year, follow one
    // another.
    IDC_SIGNATURE_DAY = 1123,
    IDC_SIGNATURE_MONTH = 1124,
    IDC_SIGNATURE_YEAR = 1125,
    IDC_FIRST_REVISION_DAY = 1126,
    IDC_FIRST_REVISION_MONTH = 1127,
    IDC_FIRST_REVISION_YEAR = 1128,
    IDC_LAST_REVISION_DAY = 1129,
    IDC_LAST_REVISION_MONTH = 1130,
    IDC_LAST_REVISION_YEAR = 1131,
    IDC_REF_YEAR = 1134,
};

// The window of the calculation data dialog: three date rows, the reference
// quarter and year with the index value beside them, the rent and the three
// buttons.
DialogTemplate CalcDataDlgTemplate();

// Exchange of a date typed in three fields: `firstId` (day), `firstId` + 1
// (month) and `firstId` + 2 (year). Loading fills them only when the date
// has a day, a month and a year; saving stores what they read as, each cut
// to its field, without checking.
bool DDX_Date(CDataExchange &dx, int firstId, PackedDate &date);
// When saving: a date that is invalid, and not empty when `bAllowEmpty`,
// shows "Date invalide", puts the focus on control `id` and fails.
bool DDV_Date(CDataExchange &dx, int id, const PackedDate &date, bool bAllowEmpty);

// Where the user enters a calculation. The dialog writes straight into the
// application's current document and ends with 100 (back to the main menu)
// or, after a successful calculation, 134 (show the preview). Every way out
// goes through a successful saving exchange.
class CCalcDataDlg : public CDialog {
public:
    static constexpr int kRentLimit = 12;

    explicit CCalcDataDlg(CRevisionApp &app);
    ~CCalcDataDlg() override;

    // "<< &Menu principal", Escape and the close box.
    void OnMainMenu();
    // "&Enregistrer calcul": the dialog stays open.
    void OnSaveCalculation();
    // Shows the index value of the selected quarter of the typed year.
    void UpdateIndexValue();

    int m_nQuarter = 0;   // 0-3 for "T 1" to "T 4", -1 for none
    unsigned m_nYear = 0; // reference year as typed, 0 for none
    CAmountEdit m_editRent;
    std::array<CDatePartEdit, 3> m_editDay;
    std::array<CDatePartEdit, 3> m_editMonth;
    std::array<CDatePartEdit, 3> m_editYear;

protected:
    void DoDataExchange(CDataExchange &dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

private:
    static const MessageMapEntry<CCalcDataDlg> kMessageMap[];

    void LoadReference(CDataExchange &dx);
    void SaveReference(CDataExchange &dx);
    int SelectedQuarter() const;

    CRevisionApp &m_app;
};
