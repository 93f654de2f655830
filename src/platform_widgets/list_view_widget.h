#pragma once

// The list view control of the dialogs: a report list of text cells, the
// first column editable in place. Used through CListCtrl.

#include "platform_widgets/list_view_model.h"
#include "platform_widgets/message_map.h"

#include <QString>
#include <QTreeView>

#include <functional>
#include <optional>

class ListCellDelegate;

// The list view control: a report list whose rows can be edited in place in
// the first column. The list never stores the typed text itself: the end of
// an edit is reported, and the handler decides what the row shows. Its rows
// are held while it is hidden, so that filling it before it is shown is cheap.
class ListViewWidget final : public QTreeView {
    Q_OBJECT

public:
    using Notify = std::function<void(int code, const NotifyInfo &info)>;

    ListViewWidget(unsigned style, QWidget *parent);
    ~ListViewWidget() override;
    void SetNotify(Notify notify) { m_notify = std::move(notify); }
    ListViewModel &Cells() const { return *m_cells; }
    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    // Opens the in-place editor over the first column of `row`, when the
    // list has LVS_EDITLABELS.
    bool EditLabel(int row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // F2, the edit key of lists, edits the current row.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void EditorClosed();

    ListViewModel *m_cells;
    Notify m_notify;
    ListCellDelegate *m_delegate;
    bool m_editable; // LVS_EDITLABELS
    int m_editedRow = -1;
    std::optional<QString> m_committedText;
};
