#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/edit.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QLineEdit>

#include <vector>

namespace {

// Digits and backspace only; after each character, the length and the
// focus are recorded, and a full field passes the focus on.
class DigitEdit : public CEdit {
public:
    bool OnChar(QChar ch) override {
        chars.push_back(ch);
        return (ch >= u'0' && ch <= u'9') || ch == QChar(8);
    }
    void OnAfterChar(QChar) override {
        lengthsAfter.push_back(GetWindowTextLength());
        if (GetWindowTextLength() == GetLimitText())
            GetParentDialog()->MoveFocusToNextTabStop(GetEdit());
    }
    void OnReflectSetFocus() override {
        ++setFocus;
        if (selectOnFocus)
            SetSel(0, -1);
    }
    void OnReflectKillFocus() override { ++killFocus; }

    std::vector<QChar> chars;
    std::vector<int> lengthsAfter;
    int setFocus = 0;
    int killFocus = 0;
    bool selectOnFocus = false;
};

DialogTemplate EditTemplate() {
    DialogTemplate t{101, QStringLiteral("Données"), 200, 60, DS_CENTER, {}};
    t.controls = {
        {1123, ControlKind::Edit, QString(), 10, 10, 20, 12, WS_BORDER | ES_AUTOHSCROLL},
        {1124, ControlKind::Edit, QString(), 40, 10, 20, 12, WS_BORDER | ES_AUTOHSCROLL},
        {1125, ControlKind::Edit, QString(), 70, 10, 40, 12, WS_BORDER | ES_NUMBER},
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 120, 40, 50, 14},
    };
    return t;
}

class EditDlg : public CDialog {
public:
    explicit EditDlg(IMessageBoxService &boxes)
        : CDialog(EditTemplate(), boxes) {}
    void DoDataExchange(CDataExchange &dx) override {
        DDX_Control(dx, 1123, day);
        DDX_Control(dx, 1124, plain);
    }
    bool OnInitDialog() override {
        const bool result = CDialog::OnInitDialog();
        day.SetLimitText(2);
        return result;
    }

    DigitEdit day;
    CEdit plain;
};

class EditTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    RecordingMessageBoxes boxes;
};

TEST_F(EditTest, OnCharFiltersTypedCharacters) {
    struct Case {
        const char16_t *typed;
        const char16_t *text;
    };
    const Case cases[] = {{u"12", u"12"}, {u"1a", u"1"}, {u"a.- ,", u""}, {u"x9", u"9"}};
    EditDlg dlg(boxes);
    RunModal(dlg, [&] {
        auto *edit = dlg.day.GetEdit();
        for (const Case &c : cases) {
            edit->clear();
            dlg.GotoDlgCtrl(edit);
            QTest::keyClicks(edit, QString::fromUtf16(c.typed));
            EXPECT_EQ(edit->text(), QString::fromUtf16(c.text))
                << QString::fromUtf16(c.typed).toStdString();
        }
        dlg.EndDialog(IDOK);
    });
}

TEST_F(EditTest, ShortcutsArriveAsControlCharactersAndCanBeRefused) {
    EditDlg dlg(boxes);
    QGuiApplication::clipboard()->setText(QStringLiteral("77"));
    RunModal(dlg, [&] {
        auto *day = dlg.day.GetEdit();
        dlg.GotoDlgCtrl(day);
        dlg.day.chars.clear();
        QTest::keyClick(day, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(day->text(), QString()) << "paste refused";
        ASSERT_EQ(dlg.day.chars.size(), 1u);
        EXPECT_EQ(dlg.day.chars[0], QChar(22));

        QTest::keyClick(day, Qt::Key_5);
        QTest::keyClick(day, Qt::Key_Backspace);
        EXPECT_EQ(dlg.day.chars.back(), QChar(8));
        EXPECT_EQ(day->text(), QString()) << "backspace passed";
        // Alt and a letter without a mnemonic types nothing.
        QTest::keyClick(day, Qt::Key_C, Qt::AltModifier);
        EXPECT_EQ(day->text(), QString());

        // The base class accepts everything, shortcuts included.
        auto *plain = dlg.plain.GetEdit();
        dlg.GotoDlgCtrl(plain);
        QTest::keyClick(plain, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(plain->text(), QStringLiteral("77"));
        dlg.EndDialog(IDOK);
    });
}

TEST_F(EditTest, FocusHooksFollowTheFocusAndAfterCharSeesTheCharacter) {
    EditDlg dlg(boxes);
    RunModal(dlg, [&] {
        EXPECT_EQ(dlg.day.setFocus, 1) << "the first tab stop got the focus";
        QTest::keyClick(FocusedWidget(), Qt::Key_Tab);
        EXPECT_EQ(dlg.day.killFocus, 1);
        QTest::keyClick(FocusedWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(dlg.day.setFocus, 2);
        dlg.day.lengthsAfter.clear();

        auto *day = dlg.day.GetEdit();
        dlg.GotoDlgCtrl(day);
        QTest::keyClick(day, Qt::Key_3);
        EXPECT_EQ(dlg.day.lengthsAfter, std::vector<int>{1});
        QTest::keyClick(day, Qt::Key_1);
        EXPECT_EQ(dlg.day.lengthsAfter, (std::vector<int>{1, 2}));
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(1124)) << "a full field passes the focus on";

        // A digit typed into a full field is refused by the limit, and the
        // hook still runs.
        dlg.GotoDlgCtrl(day);
        day->end(false);
        QTest::keyClick(day, Qt::Key_4);
        EXPECT_EQ(day->text(), QStringLiteral("31"));
        EXPECT_EQ(dlg.day.lengthsAfter.back(), 2);
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(1124));
        dlg.EndDialog(IDOK);
    });
}

TEST_F(EditTest, TextSelectedOnAMouseFocusStaysSelected) {
    EditDlg dlg(boxes);
    dlg.day.selectOnFocus = true;
    RunModal(dlg, [&] {
        auto *day = dlg.day.GetEdit();
        day->setText(QStringLiteral("12"));
        dlg.GotoDlgCtrl(dlg.GetDlgItem(1124));
        QTest::mouseClick(day, Qt::LeftButton, {}, QPoint(3, day->height() / 2));
        EXPECT_EQ(FocusedWidget(), day);
        EXPECT_EQ(day->selectedText(), QStringLiteral("12"));
        // A second click in the focused field places the caret as usual.
        QTest::mouseClick(day, Qt::LeftButton, {}, QPoint(3, day->height() / 2));
        EXPECT_EQ(day->selectedText(), QString());
        dlg.EndDialog(IDOK);
    });
}

TEST_F(EditTest, LimitCutsPastesAndNumberStyleRefusesLetters) {
    EditDlg dlg(boxes);
    RunModal(dlg, [&] {
        auto *plain = dlg.plain.GetEdit();
        dlg.plain.SetLimitText(4);
        EXPECT_EQ(dlg.plain.GetLimitText(), 4);
        dlg.GotoDlgCtrl(plain);
        QGuiApplication::clipboard()->setText(QStringLiteral("abcdef"));
        QTest::keyClick(plain, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(plain->text(), QStringLiteral("abcd")) << "what fits of the paste";
        dlg.plain.SetWindowText(QStringLiteral("longer text"));
        EXPECT_EQ(dlg.plain.GetWindowText(), QStringLiteral("longer text")) << "not cut";
        dlg.plain.SetSel(0, -1);
        EXPECT_EQ(plain->selectedText(), QStringLiteral("longer text"));
        dlg.plain.SetLimitText(0);
        EXPECT_GT(dlg.plain.GetLimitText(), 30000);

        auto *number = static_cast<QLineEdit *>(dlg.GetDlgItem(1125));
        dlg.GotoDlgCtrl(number);
        QTest::keyClicks(number, QStringLiteral("1x2-3"));
        EXPECT_EQ(number->text(), QStringLiteral("123"));
        dlg.EndDialog(IDOK);
    });
}

TEST_F(EditTest, AttachmentLastsOneWindow) {
    EditDlg dlg(boxes);
    RunModal(dlg, [&] {
        EXPECT_TRUE(dlg.day.IsAttached());
        EXPECT_EQ(dlg.day.GetDlgCtrlID(), 1123);
        EXPECT_EQ(dlg.day.GetParentDialog(), &dlg);
        EXPECT_FALSE(dlg.day.SubclassDlgItem(IDOK, &dlg)) << "not an edit";
        dlg.EndDialog(IDOK);
    });
    EXPECT_FALSE(dlg.day.IsAttached());
    EXPECT_EQ(dlg.day.GetEdit(), nullptr);
    EXPECT_EQ(dlg.day.GetWindowText(), QString());
    RunModal(dlg, [&] {
        EXPECT_TRUE(dlg.day.IsAttached()) << "attached again to the new window";
        EXPECT_EQ(dlg.day.GetLimitText(), 2);
        dlg.EndDialog(IDOK);
    });
}

} // namespace
