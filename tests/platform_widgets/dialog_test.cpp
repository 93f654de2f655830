#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/list_ctrl.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

namespace {

DialogTemplate TestTemplate() {
    const QStringList items{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("C")};
    DialogTemplate t{500, QStringLiteral("Essai"), 200, 130, DS_CENTER, {}};
    t.controls = {
        {-1, ControlKind::Label, QStringLiteral("&Nom:"), 5, 5, 40, 8, WS_GROUP},
        {1001, ControlKind::Edit, QString(), 50, 5, 60, 12, WS_BORDER | ES_AUTOHSCROLL},
        {-1, ControlKind::Label, QStringLiteral("A & B"), 5, 20, 40, 8, SS_NOPREFIX},
        {1002, ControlKind::Edit, QString(), 50, 20, 60, 12, WS_BORDER},
        {1003, ControlKind::ComboDropDownList, QString(), 50, 35, 60, 50, CBS_SORT | WS_VSCROLL,
         items},
        {-1, ControlKind::GroupBox, QStringLiteral("Cible"), 5, 50, 100, 40},
        {1010, ControlKind::RadioButton, QStringLiteral("&Un"), 10, 60, 40, 10, WS_GROUP},
        {1011, ControlKind::RadioButton, QStringLiteral("&Deux"), 10, 72, 40, 10},
        {-1, ControlKind::Label, QStringLiteral("&Fin:"), 5, 95, 20, 8, WS_GROUP},
        {1012, ControlKind::Edit, QString(), 30, 95, 20, 12, WS_BORDER | ES_NUMBER},
        {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 60, 112, 50, 14},
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 120, 112, 50, 14},
        {-1, ControlKind::Label, QStringLiteral("&Seul"), 5, 120, 30, 8},
    };
    return t;
}

// A dialog that records its commands and sends command 2 to a handler of
// its own, as the main menu does with its quit question.
class TestDlg : public CDialog {
public:
    explicit TestDlg(IMessageBoxService &boxes, DialogTemplate t = TestTemplate())
        : CDialog(std::move(t), boxes) {}

    bool OnCommand(int id, int code, const NotifyInfo &info) override;
    void DoDataExchange(CDataExchange &dx) override {
        if (exchange)
            exchange(dx);
    }
    bool OnInitDialog() override {
        const bool focus = CDialog::OnInitDialog();
        if (onInit)
            onInit();
        return focus;
    }
    void OnSize(int type, int cx, int cy) override { sizes.push_back({type, QSize(cx, cy)}); }
    void OnGetMinMaxInfo(QSize &minTrack) override {
        if (minimum.isValid())
            minTrack = minimum;
    }

    void OnQuitQuestion() {
        ++quitQuestions;
        if (answerYes)
            EndDialog(IDCANCEL);
    }
    void OnNameChanged() { ++nameChanges; }

    std::vector<std::pair<int, int>> commands;
    std::function<void(CDataExchange &)> exchange;
    std::function<void()> onInit;
    std::vector<std::pair<int, QSize>> sizes;
    QSize minimum;
    int quitQuestions = 0;
    int nameChanges = 0;
    bool answerYes = false;

private:
    static const MessageMapEntry<TestDlg> kMessageMap[];
};

const MessageMapEntry<TestDlg> TestDlg::kMessageMap[] = {
    {IDCANCEL, BN_CLICKED, &TestDlg::OnQuitQuestion},
    {1001, EN_CHANGE, &TestDlg::OnNameChanged},
};

bool TestDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    commands.emplace_back(id, code);
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void TearDown() override { ClearQuitRequest(); }

    RecordingMessageBoxes boxes;
};

TEST_F(DialogTest, ControlsArePlacedInDialogUnitsOfTheDialogFont) {
    TestDlg dlg(boxes);
    const DialogTemplate t = TestTemplate();
    RunModal(dlg, [&] {
        const QSize base = dlg.BaseUnits();
        EXPECT_EQ(base, DialogBaseUnits(QFontMetrics(dlg.Window()->font())));
        EXPECT_EQ(dlg.GetClientRect().size(),
                  DialogUnitsToPixels(QRect(0, 0, t.cx, t.cy), base).size());
        for (const DialogControl &c : t.controls) {
            if (c.id == -1 || c.kind == ControlKind::ComboDropDownList)
                continue;
            EXPECT_EQ(dlg.GetDlgItem(c.id)->geometry(),
                      DialogUnitsToPixels(QRect(c.x, c.y, c.cx, c.cy), base))
                << c.id;
        }
        // A drop-down list keeps its own height; its width and place follow
        // the template.
        const QRect combo = dlg.GetDlgItem(1003)->geometry();
        EXPECT_EQ(combo.topLeft(), DialogUnitsToPixels(QRect(50, 35, 60, 50), base).topLeft());
        dlg.EndDialog(5);
    });
}

// Counts the paint events that reach windows.
struct WindowPaints : QObject {
    bool eventFilter(QObject *object, QEvent *event) override {
        count += event->type() == QEvent::Paint && object->isWidgetType() &&
                 static_cast<QWidget *>(object)->isWindow();
        return false;
    }
    int count = 0;
};

TEST_F(DialogTest, AWindowIsPaintedOnceWhenItOpens) {
    DialogTemplate list{501, QStringLiteral("Liste"), 172, 201, DS_CENTER, {}};
    list.controls = {{1086, ControlKind::ListView, QString(), 5, 5, 160, 170, WS_BORDER}};
    // The list's rows need a scroll bar, known once they are laid out.
    for (const DialogTemplate &t : {TestTemplate(), list}) {
        TestDlg dlg(boxes, t);
        CListCtrl rows;
        dlg.onInit = [&] {
            rows.Attach(dlg.GetDlgItem(1086));
            rows.InsertColumn(0, QStringLiteral("Indices"), LVCFMT_LEFT, 100);
            for (int row = 0; row < 300; ++row)
                rows.InsertItem(row, QString::number(row));
        };
        WindowPaints paints;
        qApp->installEventFilter(&paints);
        RunModal(dlg, [&] {
            QTest::qWait(50);
            EXPECT_EQ(paints.count, 1) << t.caption.toStdString();
            dlg.EndDialog(IDOK);
        });
        qApp->removeEventFilter(&paints);
    }
}

TEST_F(DialogTest, DialogFontIsTheDesktopFontAndNothingIsCutOff) {
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPointSize(16);
    QFont narrow(QStringLiteral("Nimbus Sans Narrow"), 8);
    // As narrow as the data dialog's quarter list and the first target of
    // the options: with these fonts both were cut.
    const QStringList quarters{QStringLiteral("T 1"), QStringLiteral("T 4")};
    DialogTemplate t{501, QStringLiteral("Essai"), 150, 60, DS_CENTER, {}};
    t.controls = {{1003, ControlKind::ComboDropDownList, {}, 5, 5, 29, 66, 0, quarters},
                  {1010, ControlKind::RadioButton, QStringLiteral("Vers &Word (format Word 6/95)"),
                   5, 25, 111, 10}};
    for (const QFont &font : {desktop, large, narrow}) {
        SCOPED_TRACE(font.toString().toStdString());
        QApplication::setFont(font);
        TestDlg dlg(boxes, t);
        RunModal(dlg, [&] {
            EXPECT_EQ(dlg.Window()->font().pointSize(), font.pointSize());
            const QSize base = dlg.BaseUnits();
            EXPECT_EQ(base.height(), QFontMetrics(font).height());
            EXPECT_GE(base.width(), DialogBaseUnits(QFontMetrics(font)).width());
            for (int id : {1003, 1010}) {
                QWidget *control = dlg.GetDlgItem(id);
                EXPECT_GE(control->width(), control->sizeHint().width()) << id;
            }
            dlg.EndDialog(1);
        });
    }
    QApplication::setFont(desktop);
}

TEST_F(DialogTest, NoWindowOpensLargerThanTheScreenAndCentredOnesAreCentredOnIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const DialogTemplate cases[] = {
        {502, QStringLiteral("Grand"), 2000, 2000, DS_CENTER, {}},
        {502, QStringLiteral("Grand"), 2000, 100, DS_CENTER | WS_THICKFRAME, {}},
        {502, QStringLiteral("Petit"), 50, 40, DS_CENTER, {}}, // keeps its size
    };
    for (const DialogTemplate &t : cases) {
        TestDlg dlg(boxes, t);
        RunModal(dlg, [&] {
            const QRect frame = dlg.WindowRect();
            EXPECT_TRUE(area.contains(frame)) << t.cx << "x" << t.cy;
            EXPECT_LE((frame.center() - area.center()).manhattanLength(), 2) << t.cx;
            const QSize wanted =
                DialogUnitsToPixels(QRect(0, 0, t.cx, t.cy), dlg.BaseUnits()).size();
            EXPECT_EQ(dlg.GetClientRect().size(),
                      wanted.boundedTo(area.size() - (frame.size() - dlg.Window()->size())));
            dlg.EndDialog(1);
        });
    }
}

TEST_F(DialogTest, TabOrderFollowsTheTemplateSkippingLabelsAndDisabledControls) {
    TestDlg dlg(boxes);
    RunModal(dlg, [&] {
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(1001)) << "focus starts on the first tab stop";
        for (int id : {1002, 1003, 1010, 1011, 1012, int{IDCANCEL}, int{IDOK}, 1001}) {
            QTest::keyClick(FocusedWidget(), Qt::Key_Tab);
            EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(id)) << id;
        }
        dlg.GetDlgItem(1011)->setEnabled(false);
        const std::pair<int, int> cases[] = {{1002, 1003}, {1010, 1012}, {IDOK, 1001}};
        for (const auto &[from, next] : cases)
            EXPECT_EQ(dlg.GetNextDlgTabItem(dlg.GetDlgItem(from)), dlg.GetDlgItem(next)) << from;
        EXPECT_EQ(dlg.GetNextDlgTabItem(nullptr), dlg.GetDlgItem(1001));
        // Moving to an edit selects its whole text.
        dlg.SetDlgItemText(1002, QStringLiteral("texte"));
        dlg.MoveFocusToNextTabStop(dlg.GetDlgItem(1001));
        auto *edit = static_cast<QLineEdit *>(dlg.GetDlgItem(1002));
        EXPECT_EQ(FocusedWidget(), edit);
        EXPECT_EQ(edit->selectedText(), QStringLiteral("texte"));
        dlg.EndDialog(1);
    });
}

TEST_F(DialogTest, TabSelectsTheWholeTextOfAnEditAsMovingTheFocusThereDoes) {
    DialogTemplate t{501, QStringLiteral("Tab"), 200, 80, 0, {}};
    t.controls = {
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 5, 5, 50, 14},
        {1001, ControlKind::Edit, QStringLiteral("ligne"), 5, 25, 60, 12, WS_BORDER},
        {1002, ControlKind::Edit, QStringLiteral("deux lignes"), 5, 40, 60, 24,
         WS_BORDER | ES_MULTILINE},
        {1003, ControlKind::Edit, QStringLiteral("rapport"), 70, 40, 60, 24,
         WS_BORDER | ES_MULTILINE | ES_READONLY},
    };
    TestDlg dlg(boxes, t);
    const auto selected = [](QWidget *w) {
        if (auto *line = qobject_cast<QLineEdit *>(w))
            return line->selectedText();
        auto *text = qobject_cast<QPlainTextEdit *>(w);
        return text ? text->textCursor().selectedText() : QString();
    };
    RunModal(dlg, [&] {
        // A read-only text is left unselected.
        const std::pair<int, const char *> stops[] = {
            {1001, "ligne"}, {1002, "deux lignes"}, {1003, ""}};
        for (const auto &[id, text] : stops) {
            QTest::keyClick(FocusedWidget(), Qt::Key_Tab);
            ASSERT_EQ(FocusedWidget(), dlg.GetDlgItem(id)) << id;
            EXPECT_EQ(selected(FocusedWidget()).toStdString(), text) << id;
        }
        dlg.EndDialog(1);
    });
}

TEST_F(DialogTest, LabelMnemonicFocusesTheNextControlAndNoPrefixShowsTheAmpersand) {
    TestDlg dlg(boxes);
    RunModal(dlg, [&] {
        dlg.GotoDlgCtrl(dlg.GetDlgItem(IDOK));
        QTest::keyClick(FocusedWidget(), Qt::Key_F, Qt::AltModifier);
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(1012));
        QTest::keyClick(FocusedWidget(), Qt::Key_N, Qt::AltModifier);
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(1001));

        const auto labels = dlg.Window()->findChildren<QLabel *>();
        QStringList texts;
        for (const QLabel *label : labels)
            texts.append(label->text());
        EXPECT_TRUE(texts.contains(QStringLiteral("A & B")));
        // A mnemonic with no control after it is not shown as "&".
        EXPECT_TRUE(texts.contains(QStringLiteral("Seul")));
        dlg.EndDialog(1);
    });
}

TEST_F(DialogTest, EnterInAnEditPressesTheDefaultButton) {
    TestDlg dlg(boxes);
    const int result = RunModal(dlg, [&] {
        dlg.GotoDlgCtrl(dlg.GetDlgItem(1002));
        QTest::keyClick(FocusedWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_FALSE(dlg.commands.empty());
    EXPECT_EQ(dlg.commands.back(), std::make_pair(static_cast<int>(IDOK), 0));
}

TEST_F(DialogTest, EscapeAndTheCloseBoxSendCommandTwoThroughTheTable) {
    TestDlg dlg(boxes);
    const int result = RunModal(dlg, [&] {
        dlg.GetDlgItem(IDCANCEL)->setEnabled(false); // Escape then does nothing
        QTest::keyClick(FocusedWidget(), Qt::Key_Escape);
        EXPECT_EQ(dlg.quitQuestions, 0);
        dlg.GetDlgItem(IDCANCEL)->setEnabled(true);
        QTest::keyClick(FocusedWidget(), Qt::Key_Escape);
        EXPECT_EQ(dlg.quitQuestions, 1);
        EXPECT_TRUE(dlg.Window()->isVisible()) << "the handler said no";
        dlg.Window()->close();
        EXPECT_EQ(dlg.quitQuestions, 2);
        EXPECT_TRUE(dlg.Window()->isVisible());
        dlg.answerYes = true;
        dlg.Window()->close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.quitQuestions, 3);
}

TEST_F(DialogTest, WithoutTableEntryCancelEndsWithIdCancel) {
    class PlainDlg : public CDialog {
    public:
        using CDialog::CDialog;
    };
    PlainDlg dlg(TestTemplate(), boxes);
    EXPECT_EQ(RunModal(dlg, [] { QTest::keyClick(FocusedWidget(), Qt::Key_Escape); }), IDCANCEL);
}

TEST_F(DialogTest, EachRunCreatesAFreshWindow) {
    TestDlg dlg(boxes);
    QPointer<QWidget> first;
    const int firstResult = RunModal(dlg, [&] {
        first = dlg.Window();
        dlg.SetDlgItemText(1001, QStringLiteral("abc"));
        dlg.EndDialog(101);
    });
    EXPECT_EQ(firstResult, 101);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(dlg.Window(), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(1001), nullptr);
    const int secondResult = RunModal(dlg, [&] {
        EXPECT_EQ(dlg.GetDlgItemText(1001), QString());
        dlg.EndDialog(134);
    });
    EXPECT_EQ(secondResult, 134);
}

TEST_F(DialogTest, PendingQuitMakesDoModalReturnMinusOneAtOnce) {
    TestDlg dlg(boxes);
    bool initialised = false;
    dlg.onInit = [&] { initialised = true; };
    PostQuitMessage(0);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(initialised);
    ClearQuitRequest();
    EXPECT_EQ(RunModal(dlg, [&] { dlg.EndDialog(7); }), 7);
    // A quit posted without an end value ends the dialog with -1.
    EXPECT_EQ(RunModal(dlg, [] { PostQuitMessage(3); }), -1);
    EXPECT_EQ(QuitExitCode(), 3);
}

TEST_F(DialogTest, QuitPostedInANestedDialogEndsEveryRunningLoop) {
    TestDlg outer(boxes);
    TestDlg inner(boxes);
    int innerResult = 0;
    const int outerResult = RunModal(outer, [&] {
        innerResult = RunModal(inner, [&] {
            // As a failed write does: the quit request, then the end value.
            PostQuitMessage(0);
            inner.EndDialog(1);
        });
    });
    EXPECT_EQ(innerResult, 1) << "an end value given before the loop returns is kept";
    EXPECT_EQ(outerResult, -1);
    EXPECT_TRUE(IsQuitPending());
}

TEST_F(DialogTest, EndDialogDuringInitialisationSkipsTheShow) {
    TestDlg dlg(boxes);
    bool shown = false;
    dlg.onInit = [&] { dlg.EndDialog(42); };
    QObject guard;
    QTimer::singleShot(0, &guard, [&] { shown = true; });
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_FALSE(shown) << "no modal loop ran";
}

TEST_F(DialogTest, RichEditNeedsItsFactory) {
    DialogTemplate t{134, QStringLiteral("Aperçu"), 100, 80, WS_THICKFRAME, {}};
    t.controls = {{1078, ControlKind::RichEdit, QString(), 5, 5, 90, 50, ES_MULTILINE}};
    TestDlg dlg(boxes, t);
    EXPECT_EQ(dlg.DoModal(), -1) << "the window cannot be created";

    CDialog::SetRichEditFactory([](QWidget *parent, const DialogControl &control) -> QWidget * {
        auto *view = new QPlainTextEdit(parent);
        view->setReadOnly((control.style & ES_READONLY) != 0);
        return view;
    });
    const int result = RunModal(dlg, [&] {
        EXPECT_NE(qobject_cast<QPlainTextEdit *>(dlg.GetDlgItem(1078)), nullptr);
        dlg.EndDialog(101);
    });
    EXPECT_EQ(result, 101);
    CDialog::SetRichEditFactory(nullptr);
}

TEST_F(DialogTest, ResizableWindowKeepsItsMinimumAndReopensMaximised) {
    DialogTemplate t{134, QStringLiteral("Aperçu"), 100, 80, WS_THICKFRAME | WS_MAXIMIZEBOX, {}};
    TestDlg dlg(boxes, t);
    dlg.minimum = QSize(308, 115);
    DialogPlacement saved;
    RunModal(dlg, [&] {
        // A resizable window reports its size and keeps its minimum.
        dlg.sizes.clear();
        dlg.Window()->resize(400, 300);
        ASSERT_FALSE(dlg.sizes.empty());
        EXPECT_EQ(dlg.sizes.back(),
                  std::make_pair(static_cast<int>(SIZE_RESTORED), QSize(400, 300)));
        const QSize frame = dlg.WindowRect().size() - dlg.Window()->size();
        EXPECT_EQ(dlg.Window()->minimumSize() + frame, QSize(308, 115));
        dlg.Window()->showMaximized();
        QTest::qWait(0);
        saved = dlg.GetWindowPlacement();
        dlg.EndDialog(101);
    });
    EXPECT_TRUE(saved.maximized);
    EXPECT_TRUE(saved.normalGeometry.isValid());

    dlg.onInit = [&] { dlg.SetWindowPlacement(saved); };
    RunModal(dlg, [&] {
        EXPECT_TRUE(dlg.IsZoomed());
        EXPECT_EQ(dlg.GetWindowPlacement().normalGeometry.size(), saved.normalGeometry.size());
        dlg.EndDialog(101);
    });
}

TEST_F(DialogTest, ControlsNotifyUserChoicesChangesAndFocus) {
    TestDlg dlg(boxes);
    RunModal(dlg, [&] {
        auto *combo = static_cast<QComboBox *>(dlg.GetDlgItem(1003));
        ASSERT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("a"));
        EXPECT_EQ(combo->itemText(1), QStringLiteral("b"));
        EXPECT_EQ(combo->itemText(2), QStringLiteral("C"));
        EXPECT_EQ(combo->currentIndex(), -1);

        dlg.GotoDlgCtrl(combo);
        dlg.commands.clear();
        combo->setCurrentIndex(1);
        EXPECT_TRUE(dlg.commands.empty());
        QTest::keyClick(combo, Qt::Key_Down);
        EXPECT_EQ(combo->currentIndex(), 2);
        EXPECT_EQ(dlg.commands, (std::vector<std::pair<int, int>>{{1003, CBN_SELCHANGE}}));

        // Edits notify changes and focus.
        dlg.GotoDlgCtrl(dlg.GetDlgItem(1001));
        dlg.commands.clear();
        dlg.SetDlgItemText(1001, QStringLiteral("x"));
        EXPECT_EQ(dlg.nameChanges, 1);
        QTest::keyClicks(dlg.GetDlgItem(1001), QStringLiteral("yz"));
        EXPECT_EQ(dlg.nameChanges, 3);
        dlg.GotoDlgCtrl(dlg.GetDlgItem(1002));
        const std::vector<std::pair<int, int>> expected = {{1001, EN_CHANGE},
                                                           {1001, EN_CHANGE},
                                                           {1001, EN_CHANGE},
                                                           {1001, EN_KILLFOCUS},
                                                           {1002, EN_SETFOCUS}};
        EXPECT_EQ(dlg.commands, expected);
        dlg.EndDialog(1);
    });
}

} // namespace
