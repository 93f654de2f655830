#include "ui/preview_dlg.h"

#include "app/revision_app.h"
#include "engine/number_text.h"
#include "engine/revision_report.h"
#include "platform/clock.h"
#include "platform/user_locale.h"
#include "platform_widgets/rich_text_view.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <climits>
#include <vector>

namespace {

class PreviewDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        CDialog::SetRichEditFactory(
            [](QWidget *parent, const DialogControl &) { return new RichTextView(parent); });
    }
};

// An application object on fakes whose report holds `rows` revision rows.
struct Harness : FakeServices {
    explicit Harness(int rows = 3)
        : app(As<AppServices>(), TestLocale::French(), dir.path()) {
        ReadDecimalSeparator(TestLocale::French());
        app.m_nDlgLeft = INT_MIN;
        app.m_strSymbole = QStringLiteral("€");
        app.m_strReportPath = dir.filePath(QStringLiteral("Calcul.rtf"));
        CalcDocument doc;
        doc.signature = PackedDate::FromParts(15, 7, 2001);
        doc.firstRevision = PackedDate::FromParts(15, 7, 2002);
        doc.lastRevision = PackedDate::FromParts(15, 7, 2002 + rows - 1);
        doc.referenceDate = PackedDate::FromParts(1, 7, 2001);
        doc.rent = 1000.0;
        const ReportSettings settingsOfReport{2, app.m_strSymbole, TestLocale::French()};
        app.m_report.AppendReportHeader(doc, 110.5, PackedDate::FromParts(8, 12, 2026),
                                        settingsOfReport);
        for (int i = 0; i < rows; ++i) {
            const RevisionRow row{PackedDate::FromParts(15, 7, static_cast<unsigned>(2002 + i)),
                                  111.0 + i, 1000.0 + 10.0 * i};
            app.m_report.AppendReportRow(row, settingsOfReport);
        }
        app.m_report.AppendReportClosing(2);
    }

    QTemporaryDir dir;
    CRevisionApp app;
};

// The preview with its layout reachable by the tests.
class TestPreviewDlg : public CPreviewDlg {
public:
    using CPreviewDlg::CPreviewDlg;
    using CPreviewDlg::OnSize;
};

RichTextView *View(CDialog &dlg) {
    return qobject_cast<RichTextView *>(dlg.GetDlgItem(IDC_REPORT_VIEW));
}

TEST_F(PreviewDlgTest, StreamReaderHandsOverTheTextInPiecesThatFitTheBuffer) {
    struct Case {
        qsizetype length;
        qsizetype capacity;
        std::vector<qsizetype> reads; // the last one 0
    };
    const Case cases[] = {
        {10000, 4096, {4096, 4096, 1808, 0}},
        {4096, 4096, {4096, 0}},
        {5, 2, {2, 2, 1, 0}},
        {5, 4096, {5, 0}},
        {0, 4096, {0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.length);
        QByteArray text(c.length, '\0');
        for (qsizetype i = 0; i < c.length; ++i)
            text[i] = static_cast<char>('a' + i % 26);
        ReportStreamReader reader(text);
        QByteArray received;
        qsizetype delivered = 0;
        for (qsizetype expected : c.reads) {
            QByteArray buffer(c.capacity, '#');
            const qsizetype n = reader.Read(buffer.data(), buffer.size());
            ASSERT_EQ(n, expected);
            received.append(buffer.constData(), n);
            delivered += n;
            EXPECT_EQ(reader.Delivered(), delivered);
            EXPECT_EQ(reader.Remaining(), c.length - delivered);
        }
        EXPECT_EQ(received, text);
        // Once everything is delivered, the reader keeps answering 0.
        char spare[8];
        EXPECT_EQ(reader.Read(spare, sizeof spare), 0);
    }
}

TEST_F(PreviewDlgTest, ShowsTheWholeTabFormReadOnlyWithASelectionBar) {
    Harness h(200); // a report of several stream pieces
    ASSERT_GT(h.app.m_report.Tabs().size(), 2 * RichTextView::kStreamChunk);
    CPreviewDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        RichTextView *view = View(dlg);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isReadOnly());
        EXPECT_TRUE(view->HasSelectionBar());
        RichTextView whole;
        whole.StreamIn(h.app.m_report.Tabs());
        EXPECT_FALSE(view->toPlainText().isEmpty());
        EXPECT_EQ(view->toPlainText(), whole.toPlainText());
        EXPECT_TRUE(view->toPlainText().contains(FormatNumber(310.0, 2)));
        EXPECT_EQ(dlg.Window()->windowTitle(), QStringLiteral("Aperçu du résultat du calcul"));
        EXPECT_EQ(QApplication::focusWidget(), view);
    });

    // Without a rich text control the window cannot open.
    Harness other;
    CPreviewDlg failing(other.app);
    CDialog::SetRichEditFactory(nullptr);
    EXPECT_EQ(failing.DoModal(), -1);
    CDialog::SetRichEditFactory(
        [](QWidget *parent, const DialogControl &) { return new RichTextView(parent); });
    EXPECT_FALSE(other.app.m_wpPreview.has_value());
}

TEST_F(PreviewDlgTest, LayoutFillsTheClientAreaAboveTwoButtonsDownTo308By115) {
    struct Case {
        QSize client;
        QRect view;
        QPoint back;
        QPoint exportButton;
    };
    const Case cases[] = {
        {{600, 400}, {4, 4, 592, 360}, {154, 373}, {318, 373}},
        {{601, 400}, {4, 4, 593, 360}, {154, 373}, {318, 373}},
        {{1000, 700}, {4, 4, 992, 660}, {354, 673}, {518, 673}},
    };
    Harness h;
    TestPreviewDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        QWidget *back = dlg.GetDlgItem(IDCANCEL);
        QWidget *exportButton = dlg.GetDlgItem(IDOK);
        back->resize(128, 23);
        exportButton->resize(128, 23);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.client.width());
            dlg.Window()->resize(c.client);
            EXPECT_EQ(View(dlg)->geometry(), c.view);
            EXPECT_EQ(back->geometry(), QRect(c.back, QSize(128, 23)));
            EXPECT_EQ(exportButton->geometry(), QRect(c.exportButton, QSize(128, 23)));

            // A minimised window's zero width leaves everything in place.
            dlg.OnSize(SIZE_MINIMIZED, 0, 0);
            EXPECT_EQ(View(dlg)->geometry(), c.view);
            EXPECT_EQ(back->pos(), c.back);

            // Every repaint lays the controls out again.
            back->move(0, 0);
            dlg.Window()->repaint();
            EXPECT_EQ(back->pos(), c.back);
        }
        // The window cannot be dragged smaller than 308 x 115.
        dlg.Window()->resize(100, 50);
        EXPECT_EQ(dlg.WindowRect().size(), QSize(308, 115));
    });
}

TEST_F(PreviewDlgTest, PlacementOfTheLastPreviewComesBackMaximisedIncluded) {
    Harness h;
    CPreviewDlg dlg(h.app);
    QRect firstNormal;
    int result = RunThenLeave(dlg, [&] {
        EXPECT_FALSE(h.app.m_wpPreview.has_value());
        firstNormal = dlg.Window()->geometry();
        dlg.Window()->showMaximized();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, CRevisionApp::kDataDialog);
    ASSERT_TRUE(h.app.m_wpPreview.has_value());
    EXPECT_TRUE(h.app.m_wpPreview->maximized);
    EXPECT_EQ(h.app.m_wpPreview->normalGeometry, firstNormal);

    const QRect moved(50, 60, 500, 300);
    result = RunThenLeave(dlg, [&] {
        EXPECT_TRUE(dlg.Window()->isMaximized());
        dlg.Window()->showNormal();
        dlg.Window()->setGeometry(moved);
        ClickControl(dlg, IDOK);
    });
    EXPECT_EQ(result, CRevisionApp::kDataDialog);
    EXPECT_FALSE(h.app.m_wpPreview->maximized);
    EXPECT_EQ(h.app.m_wpPreview->normalGeometry, moved);

    result = RunThenLeave(dlg, [&] {
        EXPECT_FALSE(dlg.Window()->isMaximized());
        EXPECT_EQ(dlg.Window()->geometry(), moved);
        dlg.Window()->close(); // the close box
    });
    EXPECT_EQ(result, CRevisionApp::kDataDialog);
    EXPECT_EQ(h.app.m_wpPreview->normalGeometry, moved);
}

TEST_F(PreviewDlgTest, ExportRunsForEveryTargetAndBothButtonsGoBackToTheData) {
    struct Case {
        const char *name;
        int key; // a key pressed, or 0 to click `button`
        int button;
        int cible;
        bool opensReport;
        const char *clipboardForm; // "", "table" or "tabs"
    };
    const Case cases[] = {
        {"back button", 0, IDCANCEL, 1, false, ""},
        {"Escape", Qt::Key_Escape, 0, 0, false, ""},
        {"export to the word processor", 0, IDOK, 0, true, ""},
        {"export of the table form", 0, IDOK, 1, false, "table"},
        {"export of the tab form by Enter", Qt::Key_Return, 0, 2, false, "tabs"},
        {"unknown target exports nothing", 0, IDOK, 3, false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.app.m_nCible = c.cible;
        CPreviewDlg dlg(h.app);
        const int result = RunThenLeave(dlg, [&] {
            if (c.key)
                QTest::keyClick(FocusedWidget(), static_cast<Qt::Key>(c.key));
            else
                ClickControl(dlg, c.button);
        });
        EXPECT_EQ(result, CRevisionApp::kDataDialog);
        EXPECT_TRUE(h.app.m_wpPreview.has_value());
        EXPECT_EQ(h.shell.opened, c.opensReport ? std::vector<QString>{h.app.m_strReportPath}
                                                : std::vector<QString>{});
        const QByteArray form = QByteArrayView(c.clipboardForm) == "table"  ? h.app.m_report.Table()
                                : QByteArrayView(c.clipboardForm) == "tabs" ? h.app.m_report.Tabs()
                                                                            : QByteArray();
        EXPECT_EQ(h.clipboard.calls,
                  form.isEmpty() ? std::vector<QByteArray>{} : std::vector<QByteArray>{form});
        EXPECT_TRUE(h.boxes.Boxes().empty());
    }
}

// The legal notices stand beside the report, only when there are some; the
// report's bytes, its view and the buttons are the same with them as
// without them.
TEST_F(PreviewDlgTest, NoticesStandBesideTheReportOnlyWhenThereAreAny) {
    std::vector<QByteArrayList> shown; // the report, its tabs, its file, its view
    for (const int controles : {0, 1}) {
        SCOPED_TRACE(controles);
        Harness h;
        // A table taken as the IRL: revisions before it applied, and a
        // reference quarter that ends after the signature.
        h.app.SetSeriesIdentifier([](const IndexTable &) {
            return SeriesIdentification{IndexSeries::Irl, 8, 0, -1};
        });
        h.app.m_doc.signature = PackedDate::FromParts(15, 7, 2001);
        h.app.m_doc.firstRevision = PackedDate::FromParts(15, 7, 2002);
        h.app.m_doc.lastRevision = PackedDate::FromParts(15, 7, 2004);
        h.app.m_doc.referenceDate = PackedDate::FromParts(1, 7, 2001);
        h.app.m_doc.rent = 1000.0;
        for (int i = 0; i < 4; ++i)
            h.app.m_indices.Set(IndexTable::PositionOf(2001 + i, 2),
                                110.5f + 1.5f * static_cast<float>(i));
        h.app.m_nCible = 2;
        h.app.m_nControles = controles;
        ASSERT_TRUE(h.app.CalculateRevision());
        ASSERT_EQ(h.app.m_notices.size(), controles == 0 ? 0u : 2u);

        TestPreviewDlg dlg(h.app);
        RunThenLeave(dlg, [&] {
            auto *label = dlg.GetDlgItem(IDC_NOTICES_LABEL);
            auto *tree = qobject_cast<QTreeWidget *>(dlg.GetDlgItem(IDC_NOTICES));
            ASSERT_NE(tree, nullptr);
            QWidget *back = dlg.GetDlgItem(IDCANCEL);
            QWidget *exportButton = dlg.GetDlgItem(IDOK);
            back->resize(128, 23);
            exportButton->resize(128, 23);
            dlg.Window()->resize(600, 400);
            shown.push_back({h.app.m_report.Table(), h.app.m_report.Tabs(),
                             ReadFileBytes(h.app.m_strReportPath),
                             View(dlg)->toPlainText().toUtf8()});
            // The buttons stay where they always are.
            EXPECT_EQ(back->pos(), QPoint(154, 373));
            EXPECT_EQ(exportButton->pos(), QPoint(318, 373));
            EXPECT_EQ(QApplication::focusWidget(), View(dlg));
            EXPECT_EQ(label->isHidden(), controles == 0);
            EXPECT_EQ(tree->isHidden(), controles == 0);
            // The report keeps its place and height, and the notices stand at its right.
            const QRect view = View(dlg)->geometry();
            EXPECT_EQ(view.topLeft(), QPoint(4, 4));
            EXPECT_EQ(view.height(), 360);
            if (controles == 0) {
                EXPECT_EQ(view.width(), 592);
                return;
            }
            EXPECT_GT(tree->geometry().left(), view.right());

            // Each title opens to its text and source.
            const RevisionNotice &notice = h.app.m_notices.front();
            ASSERT_EQ(tree->topLevelItemCount(), 2);
            QTreeWidgetItem *title = tree->topLevelItem(0);
            EXPECT_EQ(title->text(0), notice.title);
            ASSERT_EQ(title->childCount(), 1);
            EXPECT_TRUE(title->child(0)->text(0).startsWith(notice.Text()));
        });
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0][2], shown[0][0]);
    EXPECT_EQ(shown[0], shown[1]);
}

} // namespace
