#include "ui/indices_dlg.h"

#include "app/revision_app.h"
#include "engine/number_text.h"
#include "platform/string_table.h"
#include "platform_widgets/modal_test_support.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <functional>

namespace {

class IndicesDlgTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(UserLocale::French());
    }
    void SetUp() override {
        app.m_strIndicesPath = QDir(dir.path()).filePath(QStringLiteral("Indices.txt"));
        for (int p = 0; p < IndexTable::kSize; ++p)
            app.m_indices.Set(p, 100.0f + static_cast<float>(p));
        app.m_indices.Set(5, 1234.567f);
    }
    void TearDown() override { ClearQuitRequest(); }

    QTemporaryDir dir;
    CRevisionApp app{As<AppServices>(), UserLocale::French(), dir.path()};
};

QTreeWidget *View(CIndicesDlg &dlg) {
    return qobject_cast<QTreeWidget *>(dlg.m_listIndices.Widget());
}

// The open edit box (a closed one lingers hidden until deleted).
QLineEdit *Editor(CIndicesDlg &dlg) {
    for (QLineEdit *edit : dlg.m_listIndices.Widget()->findChildren<QLineEdit *>()) {
        if (edit->isVisible())
            return edit;
    }
    return nullptr;
}

void ClickRow(CIndicesDlg &dlg, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTreeWidget *view = View(dlg);
    view->scrollToItem(view->topLevelItem(row));
    const QRect rect = view->visualItemRect(view->topLevelItem(row));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
}

TEST_F(IndicesDlgTest, ListsTheQuartersOf1970To2105InTwoEqualColumns) {
    CIndicesDlg dlg(app);
    RunModal(dlg, [&] {
        CListCtrl &list = dlg.m_listIndices;
        QTreeWidget *view = View(dlg);
        EXPECT_EQ(FocusedWidget(), view);
        ASSERT_EQ(list.GetItemCount(), 544);
        EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("100,00"));
        EXPECT_EQ(list.GetItemText(0, 1), QStringLiteral("1970 - Trim 1"));
        EXPECT_EQ(list.GetItemText(5, 0), QStringLiteral("1234,57"));
        EXPECT_EQ(list.GetItemText(543, 0), QStringLiteral("643,00"));
        EXPECT_EQ(list.GetItemText(543, 1), QStringLiteral("2105 - Trim 4"));
        EXPECT_EQ(view->headerItem()->text(0), QStringLiteral("Indices"));
        EXPECT_EQ(view->headerItem()->text(1), QStringLiteral("Trimestre"));
        EXPECT_TRUE(view->headerItem()->textAlignment(1) & Qt::AlignHCenter);
        const int w = (list.GetClientRect().width() - CListCtrl::ScrollBarExtent()) / 2;
        EXPECT_EQ(view->columnWidth(0), w);
        EXPECT_EQ(view->columnWidth(1), w);
        EXPECT_FALSE(view->header()->sectionsClickable());
        EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(IndicesDlgTest, EditedValuesAreReadAsNumbersAndWrittenWithTwoDecimals) {
    struct Case {
        const char *name;
        std::function<void(CIndicesDlg &)> open; // opens the edit of row 3
        const char *typed;
        Qt::Key end;
        const char *shown; // row 3 afterwards
    };
    const auto click = [](CIndicesDlg &d) { ClickRow(d, 3); };
    const auto f2 = [](CIndicesDlg &d) {
        ClickRow(d, 1);
        QTest::keyClick(Editor(d), Qt::Key_Escape); // the click's edit, cancelled
        // Row 1 stays selected; the current row moves on to 3.
        QTest::keyClick(View(d), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(View(d), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(View(d), Qt::Key_F2);
    };
    const auto selectedPair = [](CIndicesDlg &d) {
        // Rows 3 and 9 selected: the click on 9 edits the lowest, 3.
        ClickRow(d, 3);
        QTest::keyClick(Editor(d), Qt::Key_Escape);
        ClickRow(d, 9, Qt::ControlModifier);
    };
    const Case cases[] = {
        {"point", click, "12.5", Qt::Key_Return, "12,50"},
        {"comma", click, "12,5", Qt::Key_Return, "12,50"},
        {"digit groups are not read", click, "1 234,5", Qt::Key_Return, "1,00"},
        {"letters", click, "abc", Qt::Key_Return, "0,00"},
        {"nothing", click, "", Qt::Key_Return, "0,00"},
        {"cancelled", click, "77", Qt::Key_Escape, "103,00"},
        {"the keyboard's edit of the current row", f2, "8", Qt::Key_Return, "8,00"},
        {"several rows selected", selectedPair, "9", Qt::Key_Return, "9,00"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CIndicesDlg dlg(app);
        RunThenLeave(dlg, [&] {
            c.open(dlg);
            QLineEdit *editor = Editor(dlg);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->text(), QStringLiteral("103,00"));
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_Delete);
            QTest::keyClicks(editor, QString::fromUtf8(c.typed));
            QTest::keyClick(editor, c.end);
            QTest::qWait(0);
            EXPECT_EQ(dlg.m_listIndices.GetItemText(3, 0), QString::fromUtf8(c.shown));
            EXPECT_EQ(dlg.m_listIndices.GetItemText(1, 0), QStringLiteral("101,00"));
            EXPECT_EQ(dlg.m_listIndices.GetItemText(9, 0), QStringLiteral("109,00"));
            EXPECT_TRUE(dlg.Window()->isVisible()) << "Enter and Escape end the edit only";
        });
    }
}

TEST_F(IndicesDlgTest, OkStoresTheListedValuesAndRewritesTheFileCancelKeepsBoth) {
    struct Case {
        const char *name;
        Qt::Key end; // Return: OK, Escape: Cancel
        bool writable;
        int result;
        float row3; // in the table afterwards
        QStringList messages;
    };
    const Case cases[] = {
        {"OK", Qt::Key_Return, true, IDOK, 12.5f, {}},
        {"Cancel", Qt::Key_Escape, true, IDCANCEL, 103.0f, {}},
        {"OK, file not writable",
         Qt::Key_Return,
         false,
         IDOK,
         12.5f,
         {LoadString(IDS_INDEX_FILE_ERROR)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        boxes.Clear();
        ClearQuitRequest();
        if (!c.writable)
            app.m_strIndicesPath = QDir(dir.path()).filePath(QStringLiteral("absent/Indices.txt"));
        QFile::remove(app.m_strIndicesPath);
        CIndicesDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            ClickRow(dlg, 3);
            QTest::keyClicks(Editor(dlg), QStringLiteral("12,5"));
            QTest::keyClick(Editor(dlg), Qt::Key_Return);
            QTest::qWait(0);
            QTest::keyClick(View(dlg), c.end);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(boxes.Texts(), c.messages);
        EXPECT_EQ(IsQuitPending(), !c.writable);
        EXPECT_EQ(app.m_indices.At(3), c.row3);
        const bool ok = c.result == IDOK;
        // OK rounds every listed value to two decimals; 2106 is left alone.
        EXPECT_EQ(app.m_indices.At(5), ok ? 1234.57f : 1234.567f);
        EXPECT_EQ(app.m_indices.At(544), 644.0f);
        EXPECT_EQ(QFile::exists(app.m_strIndicesPath), ok && c.writable);
        if (ok && c.writable) {
            EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath), app.m_indices.IndexFileText());
        }
    }
}

} // namespace
