#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/list_ctrl.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>

#include <vector>

namespace {

DialogTemplate ListTemplate() {
    DialogTemplate t{142, QStringLiteral("Indices de l'INSEE"), 172, 201, DS_CENTER, {}};
    t.controls = {
        {1086, ControlKind::ListView, QString(), 5, 5, 160, 170,
         WS_BORDER | LVS_EDITLABELS | LVS_NOSORTHEADER},
        {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 6, 181, 74, 14},
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 91, 181, 74, 14},
    };
    return t;
}

// A list dialog that records the list's notifications.
class ListDlg : public CDialog {
public:
    explicit ListDlg(IMessageBoxService &boxes)
        : CDialog(ListTemplate(), boxes) {}

    void DoDataExchange(CDataExchange &dx) override { DDX_Control(dx, 1086, list); }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        const int w = (list.GetClientRect().width() - CListCtrl::ScrollBarExtent()) / 2;
        list.InsertColumn(0, QStringLiteral("Indices"), LVCFMT_LEFT, w);
        list.InsertColumn(1, QStringLiteral("Trimestre"), LVCFMT_CENTER, w);
        for (int row = 0; row < 20; ++row) {
            const int at = list.InsertItem(row, QString::number(row) + QStringLiteral(",00"));
            list.SetItemText(at, 1,
                             QStringLiteral("%1 - Trim %2").arg(1970 + row / 4).arg(row % 4 + 1));
        }
        return true;
    }
    bool OnCommand(int id, int code, const NotifyInfo &info) override;

    void OnClickList(const NotifyInfo &info) { clicks.push_back(info.item); }
    void OnEndLabelEditList(const NotifyInfo &info) { ends.push_back(info); }

    CListCtrl list;
    std::vector<int> clicks;
    std::vector<NotifyInfo> ends;

private:
    static const MessageMapEntry<ListDlg> kMessageMap[];
};

const MessageMapEntry<ListDlg> ListDlg::kMessageMap[] = {
    {1086, NM_CLICK, &ListDlg::OnClickList},
    {1086, LVN_ENDLABELEDIT, &ListDlg::OnEndLabelEditList},
};

bool ListDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

QLineEdit *OpenEditor(CListCtrl &list) {
    return list.Widget()->findChild<QLineEdit *>();
}

class ListCtrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    RecordingMessageBoxes boxes;
};

TEST_F(ListCtrlTest, RowsColumnsSelectionAndClicks) {
    ListDlg dlg(boxes);
    RunModal(dlg, [&] {
        CListCtrl &list = dlg.list;
        EXPECT_EQ(FocusedWidget(), list.Widget()) << "the list is the first tab stop";
        EXPECT_EQ(list.GetItemCount(), 20);
        EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("0,00"));
        EXPECT_EQ(list.GetItemText(19, 1), QStringLiteral("1974 - Trim 4"));
        EXPECT_EQ(list.GetItemText(20, 0), QString());
        EXPECT_FALSE(list.SetItemText(0, 2, QStringLiteral("x"))) << "no third column";
        EXPECT_EQ(list.InsertItem(99, QStringLiteral("end")), 20) << "appended";

        EXPECT_EQ(list.GetNextSelectedItem(-1), -1);
        list.SetItemSelected(7, true);
        list.SetItemSelected(3, true);
        EXPECT_EQ(list.GetNextSelectedItem(-1), 3);
        EXPECT_EQ(list.GetNextSelectedItem(3), 7);
        EXPECT_EQ(list.GetNextSelectedItem(7), -1);

        // A click notifies with the row under the mouse and selects it.
        auto *view = qobject_cast<QAbstractItemView *>(list.Widget());
        const QRect row2 = view->visualRect(view->model()->index(2, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row2.center());
        EXPECT_EQ(dlg.clicks, std::vector<int>{2});
        EXPECT_EQ(list.GetNextSelectedItem(-1), 2);
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(ListCtrlTest, EndOfEditReportsTheTextAndLeavesTheRowToTheHandler) {
    ListDlg dlg(boxes);
    const int result = RunModal(dlg, [&] {
        CListCtrl &list = dlg.list;
        ASSERT_TRUE(list.EditLabel(4));
        EXPECT_FALSE(list.EditLabel(5)) << "one edit at a time";
        QLineEdit *editor = OpenEditor(list);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->selectedText(), QStringLiteral("4,00"));
        QTest::keyClicks(editor, QStringLiteral("12.5"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(0);
        ASSERT_EQ(dlg.ends.size(), 1u);
        EXPECT_EQ(dlg.ends[0].item, 4);
        EXPECT_TRUE(dlg.ends[0].hasText);
        EXPECT_EQ(dlg.ends[0].text, QStringLiteral("12.5"));
        EXPECT_EQ(list.GetItemText(4, 0), QStringLiteral("4,00")) << "the list stores nothing";
        EXPECT_TRUE(dlg.Window()->isVisible()) << "Enter in the editor does not press OK";

        ASSERT_TRUE(list.EditLabel(6));
        QTest::keyClicks(OpenEditor(list), QStringLiteral("9"));
        QTest::keyClick(OpenEditor(list), Qt::Key_Escape);
        QTest::qWait(0);
        ASSERT_EQ(dlg.ends.size(), 2u);
        EXPECT_EQ(dlg.ends[1].item, 6);
        EXPECT_FALSE(dlg.ends[1].hasText) << "cancelled";
        EXPECT_TRUE(dlg.Window()->isVisible()) << "Escape in the editor does not cancel";

        EXPECT_FALSE(list.EditLabel(-1));
        EXPECT_FALSE(list.EditLabel(500));
        dlg.EndDialog(IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(ListCtrlTest, LeavingTheEditorByTabEndsTheEditWithItsText) {
    ListDlg dlg(boxes);
    RunModal(dlg, [&] {
        ASSERT_TRUE(dlg.list.EditLabel(1));
        QTest::keyClicks(OpenEditor(dlg.list), QStringLiteral("3"));
        QTest::keyClick(OpenEditor(dlg.list), Qt::Key_Tab);
        QTest::qWait(0);
        ASSERT_EQ(dlg.ends.size(), 1u);
        EXPECT_EQ(dlg.ends[0].text, QStringLiteral("3"));
        EXPECT_EQ(OpenEditor(dlg.list), nullptr) << "no editor opened on the next cell";
        dlg.EndDialog(IDOK);
    });
}

} // namespace
