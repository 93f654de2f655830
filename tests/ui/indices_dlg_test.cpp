#include "ui/indices_dlg.h"

#include "app/revision_app.h"
#include "engine/index_series.h"
#include "engine/index_update.h"
#include "engine/number_text.h"
#include "platform/download.h"
#include "platform/file_io.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/qt_downloader.h"
#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/sdmx_replies.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
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
        {click, "1e39", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_NOT_A_NUMBER},
        {click, "99999,995", Qt::Key_Return, "103,00", Qt::Key_Return, true, IDS_INDEX_TOO_LARGE},
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
        EXPECT_EQ(boxes.Texts().size(), (c.refusal ? 1 : 0) + (c.writable ? 0 : 1));
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
    for (const bool backupIsAFolder : {true, false}) {
        SCOPED_TRACE(backupIsAFolder ? "backup's name taken by a folder" : "read-only file");
        Reset(true);
        const QString path = app.m_strIndicesPath;
        const QString backup = BackupPathFor(path);
        ASSERT_TRUE(WriteFileBytes(path, old));
        ASSERT_TRUE(backupIsAFolder ? QDir().mkdir(backup)
                                    : QFile::setPermissions(path, QFile::ReadOwner));
        CIndicesDlg dlg(app);
        EXPECT_EQ(RunModal(dlg, [&] { QTest::keyClick(View(dlg), Qt::Key_Return); }), IDOK);
        const unsigned message =
            backupIsAFolder ? IDS_INDEX_BACKUP_NOT_KEPT : IDS_INDEX_FILE_NOT_SAVED;
        EXPECT_EQ(boxes.Texts(),
                  QStringList{FormatFrameworkMessage(LoadString(message), path, backup)});
        EXPECT_FALSE(IsQuitPending());
        EXPECT_EQ(app.m_indices.At(5), 1234.57f);
        EXPECT_EQ(ReadFileBytes(path), backupIsAFolder ? app.m_indices.IndexFileText() : old);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QDir().rmdir(backup);
    }
}

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
        ASSERT_NE(Editor(dlg), nullptr);
        EXPECT_TRUE(view->viewport()->rect().contains(Editor(dlg)->geometry()));
        QTest::keyClick(Editor(dlg), Qt::Key_Escape);
    });
}

// Answers every download with one result, behind a progress window.
class FixedDownloader final : public IDownloader {
public:
    DownloadResult Get(const DownloadRequest &request) override {
        EXPECT_TRUE(request.showProgress);
        return result;
    }
    DownloadResult result;
};

class IndicesUpdateTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
    }
    // The IRL without its last two quarters and with one quarter typed
    // wrong, in the table and the file.
    void SetUp() override {
        app.m_strIndicesPath = QDir(dir.path()).filePath(QStringLiteral("Indices.txt"));
        app.m_indices = PublishedValues(IndexSeries::Irl);
        app.m_indices.Set(last, 0.0f);
        app.m_indices.Set(last - 1, 0.0f);
        app.m_indices.Set(typo, app.m_indices.At(typo) + 2.0f);
        ASSERT_EQ(app.m_indices.WriteIndexFile(app.m_strIndicesPath), WriteStatus::Ok);
        original = ReadFileBytes(app.m_strIndicesPath);
        downloader.result.status = DownloadStatus::Ok;
        downloader.result.body = PublishedReply(IndexSeries::Irl);
    }
    void TearDown() override { ClearQuitRequest(); }

    const int last = LastPublishedPosition(IndexSeries::Irl);
    const int typo = last - 8;
    QTemporaryDir dir;
    FixedDownloader downloader;
    AppServices services = [this] {
        AppServices s = As<AppServices>();
        s.downloader = &downloader;
        return s;
    }();
    CRevisionApp app{services, TestLocale::French(), dir.path()};
    QByteArray original;
};

// A value as the list shows it.
QString Shown(float value) {
    return FormatNumber(static_cast<double>(value), 2);
}
QString Published(int position) {
    return Shown(PublishedValues(IndexSeries::Irl).At(position));
}

TEST_F(IndicesUpdateTest, AnUpdateFillsTheListAndOnlyOkWritesIt) {
    const QString reply = QDir(dir.path()).filePath(QStringLiteral("IRL.xml"));
    ASSERT_TRUE(WriteFileBytes(reply, PublishedReply(IndexSeries::Irl)));
    const struct {
        const char *name;
        int button;           // the update or the import
        int answer;           // at the confirmation
        int endDialog;        // the button that ends it
        bool filled, aligned; // what the list then shows
    } cases[] = {
        {"fill only, OK", IDC_UPDATE_FROM_INSEE, IDNO, IDOK, true, false},
        {"align on INSEE, OK", IDC_UPDATE_FROM_INSEE, IDYES, IDOK, true, true},
        {"cancel at the confirmation", IDC_UPDATE_FROM_INSEE, IDCANCEL, IDOK, false, false},
        {"align, then Cancel", IDC_UPDATE_FROM_INSEE, IDYES, IDCANCEL, true, true},
        {"import, align, OK", IDC_IMPORT_INSEE_FILE, IDYES, IDOK, true, true},
    };
    const IndexTable before = app.m_indices;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        app.m_indices = before;
        ASSERT_EQ(app.m_indices.WriteIndexFile(app.m_strIndicesPath), WriteStatus::Ok);
        QFile::remove(BackupPathFor(app.m_strIndicesPath));
        boxes.Clear();
        boxes.Answer(c.answer);
        files.answers = {reply};
        IndexTable expected = before;
        for (const int p : {last, last - 1, typo}) {
            if (p == typo ? c.aligned : c.filled)
                expected.Set(p, PublishedValues(IndexSeries::Irl).At(p));
        }
        CIndicesDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            ClickControl(dlg, c.button);
            for (const int p : {last, last - 1, typo})
                EXPECT_EQ(dlg.m_listIndices.GetItemText(p, 0), Shown(expected.At(p))) << p;
            EXPECT_EQ(dlg.m_listIndices.GetItemMark(typo).isEmpty(), c.aligned);
            ClickControl(dlg, c.endDialog);
        });
        EXPECT_EQ(result, c.endDialog);
        // The confirmation names the differing quarter, then a summary.
        ASSERT_EQ(boxes.Texts().size(), c.answer == IDCANCEL ? 1 : 2);
        EXPECT_TRUE(boxes.Texts()[0].contains(QuarterName(typo) + QStringLiteral(" : ") +
                                              Shown(before.At(typo)) + QStringLiteral(" → ") +
                                              Published(typo)))
            << boxes.Texts()[0].toStdString();
        const bool ok = c.endDialog == IDOK, written = ok && c.filled;
        EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath),
                  written ? expected.IndexFileText() : original);
        EXPECT_EQ(ReadFileBytes(BackupPathFor(app.m_strIndicesPath)),
                  written ? original : QByteArray());
        EXPECT_EQ(app.m_indices.Values(), ok ? expected.Values() : before.Values());
    }
}

// The series line names the series and counts the differing quarters; only
// they are marked, with the published value; F3 and the button go to them;
// typing the published value removes the mark.
TEST_F(IndicesUpdateTest, TheSeriesLineAndTheMarksShowWhereTheTableDiffers) {
    CIndicesDlg dlg(app);
    RunThenLeave(dlg, [&] {
        const auto *line = qobject_cast<QLabel *>(dlg.GetDlgItem(IDC_SERIES_LINE));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), QStringLiteral("Série : IRL — publiée jusqu'au 2e trimestre 2026 — "
                                               "1 trimestre diffère des valeurs publiées"));
        CListCtrl &list = dlg.m_listIndices;
        for (int row = 0; row < IndexTable::kListedSize; ++row)
            EXPECT_EQ(list.GetItemMark(row).isEmpty(), row != typo) << row;
        EXPECT_TRUE(list.GetItemMark(typo).endsWith(Published(typo)));
        EXPECT_TRUE(View(dlg)->model()->index(typo, 1).data(Qt::BackgroundRole).isValid());
        QTest::keyClick(View(dlg), Qt::Key_F3);
        EXPECT_EQ(list.GetCurrentItem(), typo);
        ClickControl(dlg, IDC_NEXT_DIFFERENCE);
        EXPECT_EQ(list.GetCurrentItem(), typo);
        ClickRow(dlg, typo);
        Editor(dlg)->setText(Published(typo));
        QTest::keyClick(Editor(dlg), Qt::Key_Return);
        QTest::qWait(0);
        EXPECT_EQ(list.GetItemMark(typo), QString());
    });
}

// A download that never answers ends at the progress window's cancel, with
// no message and the list and the file as they were.
TEST_F(IndicesUpdateTest, TheProgressWindowCancelsADownloadThatDoesNotAnswer) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    qputenv("CALVOR_INSEE_URL",
            QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()).toUtf8());
    QtDownloader real;
    AppServices withReal = services;
    withReal.downloader = &real;
    CRevisionApp realApp{withReal, TestLocale::French(), dir.path()};
    realApp.m_strIndicesPath = app.m_strIndicesPath;
    realApp.m_indices = app.m_indices;
    CIndicesDlg dlg(realApp);
    RunModal(dlg, [&] {
        QTimer::singleShot(300, [&] {
            auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(progress, nullptr);
            auto *cancel = progress->findChild<QPushButton *>();
            ASSERT_NE(cancel, nullptr);
            cancel->click();
        });
        ClickControl(dlg, IDC_UPDATE_FROM_INSEE);
        EXPECT_EQ(dlg.m_listIndices.GetItemText(last, 0), QStringLiteral("0,00"));
        ClickControl(dlg, IDCANCEL);
    });
    qunsetenv("CALVOR_INSEE_URL");
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(u'\n').toStdString();
    EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath), original);
}

} // namespace
