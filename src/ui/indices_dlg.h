#pragma once

#include "engine/index_series.h"
#include "engine/index_table.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/list_ctrl.h"

#include <array>
#include <optional>

class CRevisionApp;
struct SdmxReadOutcome;

// Control ids of the index table dialog.
enum IndicesDlgIds : int {
    IDD_INDICES = 142,
    IDC_INDEX_LIST = 1086,
    IDC_SERIES_LINE = 1087,
    IDC_SERIES_CHOICE = 1088,
    IDC_NEXT_DIFFERENCE = 1089,
    IDC_UPDATE_FROM_INSEE = 1090,
    IDC_IMPORT_INSEE_FILE = 1091,
};

// The window of the index table dialog: the list of quarters, "Annuler" and
// the default "OK"; below them the line that names the table's series, the
// series to update, "Différence suivante", "Mettre à jour depuis l'INSEE…"
// and "Importer un fichier INSEE…".
DialogTemplate IndicesDlgTemplate();

// Lists the quarterly index values from 1970 Q1 to 2105 Q4, one row a
// quarter, the value editable in place. The list's texts are the working
// copy: OK stores them all into the index table and rewrites the index
// file; Cancel drops them. The quarters of 2106 are never shown or changed.
//
// The dialog also names the published series the table holds, marks the
// quarters whose value differs from the published one (the published value
// in the row's tool tip; F3 or "Différence suivante" goes to the next), and
// takes a series from INSEE, downloaded or from a saved reply, into the list
// as typing would: quarters at 0,00 are filled, differing ones replaced only
// when the user chooses to align on INSEE.
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
    // The listed values as a table (2106 as the application's table holds it).
    IndexTable ListedTable() const;
    // The series the differences are marked against, if any.
    std::optional<IndexSeries> MarkedSeries() const { return m_series; }

    void OnNextDifference();
    void OnUpdateFromInsee();
    void OnImportInseeFile();

    CListCtrl m_listIndices;

protected:
    void DoDataExchange(CDataExchange &dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

private:
    static const MessageMapEntry<CIndicesDlg> kMessageMap[];

    // The values the series is checked against: those received in this
    // opening over the shipped ones.
    const IndexTable &Reference(IndexSeries series) const;
    IndexSeries ChosenSeries() const;
    // Marks the differing rows (one row, or all with -1) and rewrites the
    // series line.
    void MarkDifferences(int row = -1);
    void UpdateSeriesLine();
    void TakePublishedValues(IndexSeries series, const SdmxReadOutcome &outcome);

    CRevisionApp &m_app;
    std::optional<IndexSeries> m_series;
    bool m_ownTableEmpty = false;
    std::array<std::optional<IndexTable>, 4> m_received;
};
