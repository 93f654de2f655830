#include "ui/main_menu_dlg.h"

#include "app/revision_app.h"
#include "document/calc_document_file.h"
#include "platform/clock.h"
#include "platform/string_table.h"
#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/sample_document.h"
#include "support/test_locales.h"
#include "ui/loop_dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QPushButton *Button(CDialog &dlg, int id) {
    return qobject_cast<QPushButton *>(dlg.GetDlgItem(id));
}

void Click(CDialog &dlg, int id) {
    QPushButton *button = Button(dlg, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Presses Escape in the next dialog opened over the menu, once it is shown.
void EscapeNextDialog(CMainMenuDlg &menu) {
    auto *timer = new QTimer(menu.Window());
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &menu] {
        QWidget *top = QApplication::activeModalWidget();
        if (!top || top == menu.Window() || !top->isVisible())
            return;
        timer->deleteLater();
        QTest::keyClick(top, Qt::Key_Escape);
    });
    timer->start();
}

class MainMenuTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { ClearQuitRequest(); }

    QString WriteDocument(const char *name, const QByteArray &bytes) {
        const QString path = QDir(dir.path()).filePath(QString::fromUtf8(name));
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    static CalcDocument Sample() { return SampleDocument(512.25); }

    QTemporaryDir dir;
    CRevisionApp app{As<AppServices>(), TestLocale::French(), dir.path()};
};

TEST_F(MainMenuTest, WindowShowsTheFiveButtonsAndTheTwoLabels) {
    CMainMenuDlg dlg(app);
    const int result = RunModal(dlg, [&] {
        QWidget *window = dlg.Window();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Calvor"));
        EXPECT_FALSE(window->windowIcon().isNull());
        // A window of its own, which the task bar lists, not a dialog.
        EXPECT_EQ(window->windowType(), Qt::Window);
        EXPECT_TRUE(window->isModal());
        EXPECT_EQ(dlg.GetClientRect().size(),
                  DialogUnitsToPixels(QRect(0, 0, 167, 180), QFontMetrics(window->font())).size());

        struct ButtonCase {
            int id;
            const char *text;
        };
        const ButtonCase buttons[] = {
            {1000, "&Commencer un calcul"},   {1001, "&Ouvrir un calcul..."}, {1004, "O&ptions..."},
            {1002, "&Indices de l'INSEE..."}, {IDCANCEL, "Quitter"},
        };
        QWidget *expectedFocus = Button(dlg, 1000);
        for (const ButtonCase &b : buttons) {
            QPushButton *button = Button(dlg, b.id);
            ASSERT_NE(button, nullptr) << b.id;
            EXPECT_EQ(button->text(), QString::fromUtf8(b.text));
            // Only the focused button answers Enter; none is the default
            // by itself.
            EXPECT_EQ(button->isDefault(), button == expectedFocus) << b.id;
        }
        EXPECT_EQ(FocusedWidget(), expectedFocus);
        // Tab goes down the buttons in order.
        EXPECT_EQ(dlg.GetNextDlgTabItem(Button(dlg, 1001)), Button(dlg, 1004));
        EXPECT_EQ(dlg.GetNextDlgTabItem(Button(dlg, 1004)), Button(dlg, 1002));

        const QList<QLabel *> labels = window->findChildren<QLabel *>();
        ASSERT_EQ(labels.size(), 2);
        QLabel *author = labels[0]->text() == QStringLiteral("MORVA") ? labels[0] : labels[1];
        QLabel *version = author == labels[0] ? labels[1] : labels[0];
        EXPECT_EQ(author->text(), QStringLiteral("MORVA"));
        EXPECT_TRUE(author->alignment() & Qt::AlignLeft);
        EXPECT_EQ(version->text(), QStringLiteral("Version 1.0"));
        EXPECT_TRUE(version->alignment() & Qt::AlignRight);
        EXPECT_LT(author->geometry().right(), version->geometry().left());
        dlg.EndDialog(kDialogLeftOpen - 1);
    });
    EXPECT_EQ(result, kDialogLeftOpen - 1);
}

TEST_F(MainMenuTest, EndValuesOfTheButtonsAndTheQuitQuestion) {
    struct Case {
        const char *name;
        std::function<void(CMainMenuDlg &)> action;
        std::vector<int> answers; // to the quit questions, in order
        int questions;
        int result;
    };
    const auto quitButton = [](CMainMenuDlg &d) { Click(d, IDCANCEL); };
    const auto escape = [](CMainMenuDlg &d) { QTest::keyClick(d.Window(), Qt::Key_Escape); };
    const auto closeBox = [](CMainMenuDlg &d) { d.Window()->close(); };
    const Case cases[] = {
        {"start a calculation", [](CMainMenuDlg &d) { Click(d, 1000); }, {}, 0, 101},
        {"Quitter, Yes", quitButton, {IDYES}, 1, IDCANCEL},
        {"Escape, Yes", escape, {IDYES}, 1, IDCANCEL},
        {"close box, Yes", closeBox, {IDYES}, 1, IDCANCEL},
        // After a No the menu is still there and still works.
        {"Quitter, No",
         [&](CMainMenuDlg &d) {
             quitButton(d);
             Click(d, 1000);
         },
         {IDNO},
         1,
         101},
        {"Escape, No, close box, Yes",
         [&](CMainMenuDlg &d) {
             escape(d);
             closeBox(d);
         },
         {IDNO, IDYES},
         2,
         IDCANCEL},
        // Each opens its dialog, by mouse or by Alt and its letter, which
        // Escape closes; the menu is still there.
        {"Options and Indices keep the menu",
         [](CMainMenuDlg &d) {
             EscapeNextDialog(d);
             Click(d, 1004);
             EscapeNextDialog(d);
             QTest::keyClick(d.Window(), Qt::Key_I, Qt::AltModifier);
             EscapeNextDialog(d);
             QTest::keyClick(d.Window(), Qt::Key_P, Qt::AltModifier);
             EscapeNextDialog(d);
             Click(d, 1002);
             Click(d, 1000);
         },
         {},
         0,
         101},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        for (int answer : c.answers)
            boxes.Answer(answer);
        CMainMenuDlg dlg(app);
        const IndexTable indices = app.m_indices;
        EXPECT_EQ(RunModal(dlg, [&] { c.action(dlg); }), c.result);
        // Cancelled, the options and the indices change nothing.
        EXPECT_EQ(settings.writes, 0);
        EXPECT_EQ(app.m_indices.Values(), indices.Values());
        ASSERT_EQ(static_cast<int>(boxes.Boxes().size()), c.questions);
        for (const RecordingMessageBoxes::Box &box : boxes.Boxes()) {
            EXPECT_EQ(box.caption, QStringLiteral("Calvor"));
            EXPECT_EQ(box.text, QStringLiteral("Voulez-vous vraiment quitter Calvor ?"));
            EXPECT_EQ(box.flags, 36u);
        }
    }
}

TEST_F(MainMenuTest, OpenCalculationReadsTheChosenFileAndTheMenuStays) {
    const CalcDocument sample = Sample();
    struct Case {
        const char *name;
        std::optional<QString> answer;
        QStringList messages;
        bool changed;
    };
    const Case cases[] = {
        {"cancel", std::nullopt, {}, false},
        {"document", WriteDocument("a.clv", DocumentBytes(sample)), {}, true},
        {"not a document",
         WriteDocument("b.clv", "bonjour"),
         {LoadString(IDS_NOT_A_DOCUMENT)},
         false},
        {"missing",
         QDir(dir.path()).filePath(QStringLiteral("absent.clv")),
         {LoadString(IDS_OPEN_FAILED)},
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        app.m_doc = CalcDocument();
        files.answers = {c.answer};
        CMainMenuDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            Click(dlg, 1001);
            // Still open: the next button still answers.
            Click(dlg, 1000);
        });
        EXPECT_EQ(result, 101);
        EXPECT_EQ(boxes.Texts(), c.messages);
        EXPECT_EQ(app.m_doc.rent, c.changed ? sample.rent : 0.0);
        EXPECT_EQ(app.m_doc.firstRevision.Word(), c.changed ? sample.firstRevision.Word() : 0u);
    }
}

TEST_F(MainMenuTest, LoopDialogsStartWithTheMenu) {
    CRevisionApp::LoopDialogs dialogs = CreateLoopDialogs(app);
    ASSERT_NE(dialogs.mainMenu, nullptr);
    const DialogTemplate &t = dialogs.mainMenu->Template();
    EXPECT_EQ(t.id, 100);
    // Centred, with a task-bar button of its own, and no default button.
    EXPECT_EQ(t.style, unsigned{DS_CENTER | WS_EX_APPWINDOW});
    for (const DialogControl &control : t.controls)
        EXPECT_NE(control.kind, ControlKind::DefPushButton) << control.id;
    EXPECT_FALSE(CDialog::ApplicationIcon().isNull());
    EXPECT_EQ(CDialog::ApplicationIcon().availableSizes().size(), 2);
}

} // namespace
