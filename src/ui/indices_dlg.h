#pragma once

#include "platform_widgets/dialog.h"
#include "platform_widgets/list_ctrl.h"

class CRevisionApp;

// Control ids of the index table dialog.
enum IndicesDlgIds : int {
    IDD_INDICES = 142,
    IDC_INDEX_LIST = 1086,
};

// The window of the index table dialog: the list of quarters, "Annuler" and
// the default "OK".
DialogTemplate IndicesDlgTemplate();

// Lists the quarterly index values from 1970 Q1 to 2105 Q4, one row a
// quarter, the value editable in place. The list's texts are the working
// copy: OK stores them all into the index table and rewrites the index
// file; Cancel drops them. The quarters of 2106 are never shown or changed.
class CIndicesDlg : public CDialog {
public:
    static constexpr int kDecimals = 2;

    explicit CIndicesDlg(CRevisionApp &app);
    ~CIndicesDlg() override;

    // A click in the list: edits the value of the first selected row.
    void OnClickList(const NotifyInfo &info);
    // The end of an edit: the typed text read as a number and written back
    // with two decimals; a cancelled edit leaves the row as it was, and so
    // does a text that is not wholly a number or a value beyond 99 999,99,
    // with a message.
    void OnEndLabelEditList(const NotifyInfo &info);
    // The listed values into the index table, each read as a number and
    // narrowed to single precision.
    void StoreListedValues();

    CListCtrl m_listIndices;

protected:
    void DoDataExchange(CDataExchange &dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

private:
    static const MessageMapEntry<CIndicesDlg> kMessageMap[];

    CRevisionApp &m_app;
};
