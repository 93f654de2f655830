#include "ui/indices_dlg.h"

#include "app/revision_app.h"
#include "engine/number_text.h"
#include "platform/file_io.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>

#include <functional>

namespace {

// An application object whose table holds 100 + element, and 1234.567 in
// element 5.
class IndicesDlgTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
    }
    void Reset(bool writable) {
        boxes.Clear();
        ClearQuitRequest();
        app.m_strIndicesPath = QDir(dir.path())
                                   .filePath(writable ? QStringLiteral("Indices.txt")
                                                      : QStringLiteral("absent/Indices.txt"));
        QFile::remove(app.m_strIndicesPath);
        for (int p = 0; p < IndexTable::kSize; ++p)
            app.m_indices.Set(p, 100.0f + static_cast<float>(p));
        app.m_indices.Set(5, 1234.567f);
    }
    void TearDown() override { ClearQuitRequest(); }

    QTemporaryDir dir;
    CRevisionApp app{As<AppServices>(), TestLocale::French(), dir.path()};
};

QTreeView *View(CIndicesDlg &dlg) {
    return qobject_cast<QTreeView *>(dlg.m_listIndices.Widget());
}

// The open edit box (a closed one lingers hidden until deleted).
QLineEdit *Editor(CIndicesDlg &dlg) {
    for (QLineEdit *edit : View(dlg)->findChildren<QLineEdit *>()) {
        if (edit->isVisible())
            return edit;
    }
    return nullptr;
}

void ClickRow(CIndicesDlg &dlg, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QAbstractItemModel *cells = View(dlg)->model();
    const QRect rect =
        View(dlg)->visualRect(cells->index(row, 0)) | View(dlg)->visualRect(cells->index(row, 1));
    QTest::mouseClick(View(dlg)->viewport(), Qt::LeftButton, modifiers, rect.center());
}

TEST_F(IndicesDlgTest, EditsAreReadAsNumbersOkStoresThemAndRewritesTheFileCancelKeepsAll) {
    const auto click = [](CIndicesDlg &d) { ClickRow(d, 3); };
    const auto f2 = [](CIndicesDlg &d) {
        // Row 1 stays selected while the current row moves on to 3.
        ClickRow(d, 1);
        QTest::keyClick(Editor(d), Qt::Key_Escape);
        QTest::keyClick(View(d), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(View(d), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(View(d), Qt::Key_F2);
    };
    const auto twoSelected = [](CIndicesDlg &d) {
        // Rows 3 and 9 selected: a click edits the lowest.
        ClickRow(d, 3);
        QTest::keyClick(Editor(d), Qt::Key_Escape);
        ClickRow(d, 9, Qt::ControlModifier);
    };
    struct Case {
        std::function<void(CIndicesDlg &)> open; // opens the edit of row 3
        const char *typed;
        Qt::Key endEdit;
        const char *shown; // row 3 afterwards
        Qt::Key endDialog; // Return: OK, Escape: Cancel
        bool writable = true;
        unsigned refusal = 0; // the message of a refused text
    };
    const Case cases[] = {
        {click, "12.5", Qt::Key_Return, "12,50", Qt::Key_Return},
        {click, "12,5", Qt::Key_Return, "12,50", Qt::Key_Return},
        // A text that is not wholly a number, or a value no table can
        // hold, is refused and the row keeps its value.
        {click, "1 234,5", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "abc", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "150,5x", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "12.500", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "1e39", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "99999,99", Qt::Key_Return, "99999,99", Qt::Key_Return},
        {click, "99999,995", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_TOO_LARGE},
        {click, "100000", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_TOO_LARGE},
        {click, "77", Qt::Key_Escape, "103,00", Qt::Key_Return},
        {f2, "8", Qt::Key_Return, "8,00", Qt::Key_Return},
        {twoSelected, "9", Qt::Key_Return, "9,00", Qt::Key_Return},
        {click, "12,5", Qt::Key_Return, "12,50", Qt::Key_Escape},
        {click, "12,5", Qt::Key_Return, "12,50", Qt::Key_Return, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(&c - cases);
        Reset(c.writable);
        CIndicesDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            CListCtrl &list = dlg.m_listIndices;
            EXPECT_EQ(FocusedWidget(), View(dlg));
            ASSERT_EQ(list.GetItemCount(), 544);
            const std::pair<int, const char *> cells[] = {{0, "100,00"},
                                                          {1, "1970 - Trim 1"},
                                                          {5 * 2, "1234,57"},
                                                          {543 * 2, "643,00"},
                                                          {543 * 2 + 1, "2105 - Trim 4"}};
            for (const auto &[cell, text] : cells)
                EXPECT_EQ(list.GetItemText(cell / 2, cell % 2), QString::fromUtf8(text));
            EXPECT_TRUE(
                View(dlg)->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                Qt::AlignHCenter);
            const int w = (list.GetClientRect().width() - CListCtrl::ScrollBarExtent()) / 2;
            EXPECT_EQ(View(dlg)->columnWidth(0), w);
            EXPECT_EQ(View(dlg)->columnWidth(1), w);
            EXPECT_FALSE(View(dlg)->header()->sectionsClickable());

            c.open(dlg);
            QLineEdit *editor = Editor(dlg);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->text(), QStringLiteral("103,00"));
            editor->clear();
            QTest::keyClicks(editor, QString::fromUtf8(c.typed));
            QTest::keyClick(editor, c.endEdit);
            QTest::qWait(0); // the edit ends once the key has been handled
            EXPECT_EQ(list.GetItemText(3, 0), QString::fromUtf8(c.shown));
            EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("101,00"));
            EXPECT_EQ(list.GetItemText(9, 0), QStringLiteral("109,00"));
            EXPECT_TRUE(dlg.Window()->isVisible()) << "Enter and Escape end the edit only";
            QTest::keyClick(View(dlg), c.endDialog);
        });
        const bool ok = c.endDialog == Qt::Key_Return;
        EXPECT_EQ(result, ok ? IDOK : IDCANCEL);
        QStringList texts;
        if (c.refusal == IDS_INDEX_NOT_A_NUMBER)
            texts << FormatPrintf(LoadString(c.refusal), {QStringLiteral("150,50")});
        else if (c.refusal == IDS_INDEX_TOO_LARGE)
            texts << FormatPrintf(LoadString(c.refusal), {QStringLiteral("99999,99")});
        if (!c.writable)
            texts << LoadString(IDS_INDEX_FILE_ERROR);
        EXPECT_EQ(boxes.Texts(), texts);
        EXPECT_EQ(IsQuitPending(), !c.writable);
        // OK rounds every listed value to two decimals; 2106 is left alone.
        const float edited = static_cast<float>(ParseNumber(QString::fromUtf8(c.shown)));
        EXPECT_EQ(app.m_indices.At(3), ok ? edited : 103.0f);
        EXPECT_EQ(app.m_indices.At(5), ok ? 1234.57f : 1234.567f);
        EXPECT_EQ(app.m_indices.At(544), 644.0f);
        EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath),
                  ok && c.writable ? app.m_indices.IndexFileText() : QByteArray());
    }
}

// OK never loses the values typed: a backup that cannot be kept does not
// stop the write, and a file that cannot be replaced keeps its content while
// the values stay in use; each says which file.
TEST_F(IndicesDlgTest, OkKeepsTheValuesWhenTheBackupOrTheFileCannotBeWritten) {
    const QByteArray old = "7\r\n";
    enum Situation { kBackupFolder, kReadOnlyFile };
    const struct {
        const char *name;
        Situation situation;
        unsigned message;
        bool written;
    } cases[] = {
        {"backup's name taken by a folder", kBackupFolder, IDS_INDEX_BACKUP_NOT_KEPT, true},
        {"read-only file", kReadOnlyFile, IDS_INDEX_FILE_NOT_SAVED, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Reset(true);
        const QString path = app.m_strIndicesPath;
        const QString backup = BackupPathFor(path);
        ASSERT_TRUE(WriteFileBytes(path, old));
        ASSERT_TRUE(c.situation == kBackupFolder ? QDir().mkdir(backup)
                                                 : QFile::setPermissions(path, QFile::ReadOwner));
        CIndicesDlg dlg(app);
        EXPECT_EQ(RunModal(dlg, [&] { QTest::keyClick(View(dlg), Qt::Key_Return); }), IDOK);
        EXPECT_EQ(boxes.Texts(),
                  QStringList{FormatFrameworkMessage(LoadString(c.message), path, backup)});
        EXPECT_FALSE(IsQuitPending());
        EXPECT_EQ(app.m_indices.At(5), 1234.57f);
        EXPECT_EQ(ReadFileBytes(path), c.written ? app.m_indices.IndexFileText() : old);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QDir().rmdir(backup);
    }
}

} // namespace

namespace {

TEST_F(IndicesDlgTest, EditBoxStaysWithinTheList) {
    Reset(true);
    CIndicesDlg dlg(app);
    RunThenLeave(dlg, [&] {
        QTreeView *view = View(dlg);
        // The row cut by the list's lower edge, whose cell runs past it.
        const QModelIndex cut = view->indexAt(QPoint(2, view->viewport()->height() - 2));
        ASSERT_TRUE(cut.isValid());
        ASSERT_GT(view->visualRect(cut).bottom(), view->viewport()->rect().bottom());
        EXPECT_TRUE(dlg.m_listIndices.EditLabel(cut.row()));
        QLineEdit *editor = Editor(dlg);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(view->viewport()->rect().contains(editor->geometry()));
        QTest::keyClick(editor, Qt::Key_Escape);
    });
}

} // namespace
