#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>
#include <utility>

namespace {

DialogTemplate OptionsLikeTemplate() {
    const QStringList quarters{QStringLiteral("T 1"), QStringLiteral("T 2")};
    DialogTemplate t{103, QStringLiteral("Options"), 154, 133, DS_CENTER, {}};
    t.controls = {
        {-1, ControlKind::GroupBox, QStringLiteral("Copier le résultat du calcul"), 5, 5, 142, 55},
        {1009, ControlKind::RadioButton, QStringLiteral("Vers &Word"), 11, 18, 111, 10, WS_GROUP},
        {1010, ControlKind::RadioButton, QStringLiteral("Dans le &presse-papiers"), 11, 31, 132,
         10},
        {1011, ControlKind::RadioButton, QStringLiteral("Format &RTF"), 11, 44, 129, 10},
        {-1, ControlKind::Label, QStringLiteral("&Symbole monétaire:"), 7, 67, 62, 8, WS_GROUP},
        {1013, ControlKind::Edit, QString(), 79, 65, 23, 12, WS_BORDER | ES_AUTOHSCROLL},
        {-1, ControlKind::Label, QStringLiteral("R&ajouter 2000:"), 6, 84, 93, 18, WS_GROUP},
        {1014, ControlKind::Edit, QString(), 103, 87, 23, 12,
         WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER},
        {1020, ControlKind::ComboDropDownList, QString(), 10, 100, 40, 50, 0, quarters},
        {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 7, 112, 66, 14},
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 81, 112, 66, 14},
    };
    return t;
}

// The exchange of the options dialog: a radio group, a checked unsigned
// number and a checked text.
class OptionsLikeDlg : public CDialog {
public:
    explicit OptionsLikeDlg(IMessageBoxService &boxes)
        : CDialog(OptionsLikeTemplate(), boxes) {}

    void DoDataExchange(CDataExchange &dx) override {
        if (custom) {
            custom(dx);
            return;
        }
        DDX_Radio(dx, 1009, m_nTarget);
        DDX_Text(dx, 1014, m_nPivot);
        DDV_MinMaxUInt(dx, m_nPivot, 0, 99);
        DDX_Text(dx, 1013, m_strSymbol);
        DDV_MaxChars(dx, m_strSymbol, 3);
    }

    int m_nTarget = 0;
    QString m_strSymbol = QStringLiteral("€");
    unsigned m_nPivot = 40;
    std::function<void(CDataExchange &)> custom;
};

class DataExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    QLineEdit *Edit(CDialog &dlg, int id) { return qobject_cast<QLineEdit *>(dlg.GetDlgItem(id)); }
    QRadioButton *Radio(CDialog &dlg, int id) {
        return qobject_cast<QRadioButton *>(dlg.GetDlgItem(id));
    }

    RecordingMessageBoxes boxes;
};

TEST_F(DataExchangeTest, UnsignedFieldAcceptsOnlyAnUnsignedDecimalNumber) {
    struct Case {
        const char16_t *text;
        bool ok;
        unsigned value;
    };
    const Case cases[] = {{u"12", true, 12},
                          {u" 12 ", true, 12},
                          {u"\t7\t", true, 7},
                          {u"0", true, 0},
                          {u"4294967295", true, 4294967295u},
                          {u"-1", false, 0},
                          {u"+5", false, 0},
                          {u"1a", false, 0},
                          {u"1 2", false, 0},
                          {u"", false, 0},
                          {u"4294967296", false, 0}};
    OptionsLikeDlg dlg(boxes);
    unsigned value = 0;
    dlg.custom = [&](CDataExchange &dx) { DDX_Text(dx, 1014, value); };
    RunModal(dlg, [&] {
        for (const Case &c : cases) {
            const QString text = QString::fromUtf16(c.text);
            boxes.Clear();
            value = 777;
            dlg.SetDlgItemText(1014, text);
            EXPECT_EQ(dlg.UpdateData(true), c.ok) << text.toStdString();
            if (c.ok) {
                EXPECT_EQ(value, c.value) << text.toStdString();
                EXPECT_TRUE(boxes.Boxes().empty());
                continue;
            }
            EXPECT_EQ(value, 777u) << "a refused field stores nothing";
            ASSERT_EQ(boxes.Boxes().size(), 1u) << text.toStdString();
            EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("Veuillez entrer un entier positif."));
            EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("Calvor"));
            EXPECT_EQ(boxes.Boxes()[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
        }
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(DataExchangeTest, FirstFailedCheckStopsTheExchangeAndSelectsItsField) {
    struct Case {
        const char16_t *pivot;
        const char16_t *symbol;
        const char16_t *message; // null: accepted
        int focus;
    };
    const Case cases[] = {
        {u"0", u"", nullptr, 0},
        {u"99", u"EUR", nullptr, 0},
        {u"100", u"EUR", u"Tapez un nombre entier compris entre 0 et 99.", 1014},
        {u"100", u"EURO", u"Tapez un nombre entier compris entre 0 et 99.", 1014},
        {u"", u"EURO", u"Veuillez entrer un entier positif.", 1014},
        {u" 1a ", u"EUR", u"Veuillez entrer un entier positif.", 1014},
        {u"5", u"EURO", u"Tapez 3 caractères au maximum.", 1013},
    };
    OptionsLikeDlg dlg(boxes);
    RunModal(dlg, [&] {
        for (const Case &c : cases) {
            boxes.Clear();
            dlg.GotoDlgCtrl(dlg.GetDlgItem(IDOK));
            dlg.m_strSymbol = QStringLiteral("old");
            dlg.SetDlgItemText(1014, QString::fromUtf16(c.pivot));
            dlg.SetDlgItemText(1013, QString::fromUtf16(c.symbol));
            const bool ok = dlg.UpdateData(true);
            if (!c.message) {
                EXPECT_TRUE(ok);
                EXPECT_TRUE(boxes.Boxes().empty());
                EXPECT_EQ(dlg.m_strSymbol, QString::fromUtf16(c.symbol));
                continue;
            }
            EXPECT_FALSE(ok);
            EXPECT_EQ(boxes.Texts(), QStringList{QString::fromUtf16(c.message)});
            // The refused field gets the focus with its whole text selected.
            EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(c.focus));
            EXPECT_EQ(Edit(dlg, c.focus)->selectedText(), Edit(dlg, c.focus)->text());
            if (c.focus == 1014) {
                EXPECT_EQ(dlg.m_strSymbol, QStringLiteral("old")) << "later fields not read";
            }
        }
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(DataExchangeTest, MaxCharsLimitsTypingButKeepsALongerStoredText) {
    OptionsLikeDlg dlg(boxes);
    dlg.m_strSymbol = QStringLiteral("ABCD");
    RunModal(dlg, [&] {
        QLineEdit *edit = Edit(dlg, 1013);
        EXPECT_EQ(edit->text(), QStringLiteral("ABCD")) << "shown whole";
        EXPECT_FALSE(dlg.UpdateData(true));
        EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Tapez 3 caractères au maximum.")});

        edit->setFocus();
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_E);
        EXPECT_EQ(edit->text(), QStringLiteral("ABCD")) << "cannot grow";
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), QStringLiteral("ABC"));
        QTest::keyClick(edit, Qt::Key_X);
        EXPECT_EQ(edit->text(), QStringLiteral("ABC")) << "the limit holds";
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_X);
        EXPECT_EQ(edit->text(), QStringLiteral("ABx"));
        EXPECT_TRUE(dlg.UpdateData(true));
        EXPECT_EQ(dlg.m_strSymbol, QStringLiteral("ABx"));
        dlg.EndDialog(IDOK);
    });
}

TEST_F(DataExchangeTest, RadioGroupPositions) {
    OptionsLikeDlg dlg(boxes);
    RunModal(dlg, [&] {
        struct Case {
            int loaded;
            bool checked[3];
        };
        const Case cases[] = {
            {0, {true, false, false}},  {2, {false, false, true}},   {1, {false, true, false}},
            {3, {false, false, false}}, {-1, {false, false, false}},
        };
        for (const Case &c : cases) {
            dlg.m_nTarget = c.loaded;
            EXPECT_TRUE(dlg.UpdateData(false));
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(Radio(dlg, 1009 + i)->isChecked(), c.checked[i]) << c.loaded << " " << i;
            dlg.m_nTarget = 99;
            dlg.SetDlgItemText(1014, QStringLiteral("40"));
            EXPECT_TRUE(dlg.UpdateData(true));
            EXPECT_EQ(dlg.m_nTarget, c.loaded >= 0 && c.loaded <= 2 ? c.loaded : -1);
        }
        // A click checks one button of the group only.
        Radio(dlg, 1010)->click();
        EXPECT_TRUE(dlg.UpdateData(true));
        EXPECT_EQ(dlg.m_nTarget, 1);
        EXPECT_EQ(dlg.GetRadioGroup(1009).size(), 3u) << "the group ends at the label";
        dlg.EndDialog(IDOK);
    });
}

TEST_F(DataExchangeTest, DropDownListIndex) {
    OptionsLikeDlg dlg(boxes);
    int index = 0;
    dlg.custom = [&](CDataExchange &dx) { DDX_CBIndex(dx, 1020, index); };
    RunModal(dlg, [&] {
        auto *combo = qobject_cast<QComboBox *>(dlg.GetDlgItem(1020));
        const std::pair<int, int> cases[] = {{1, 1}, {0, 0}, {5, -1}, {-1, -1}};
        for (const auto &[loaded, shown] : cases) {
            index = loaded;
            dlg.UpdateData(false);
            EXPECT_EQ(combo->currentIndex(), shown) << loaded;
            index = 42;
            dlg.UpdateData(true);
            EXPECT_EQ(index, shown);
        }
        dlg.EndDialog(IDOK);
    });
}

TEST_F(DataExchangeTest, OkRunsTheSavingExchangeAndStaysOpenOnFailure) {
    OptionsLikeDlg dlg(boxes);
    const int result = RunModal(dlg, [&] {
        dlg.SetDlgItemText(1014, QStringLiteral("150"));
        QTest::keyClick(dlg.GetDlgItem(IDOK), Qt::Key_Space);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_TRUE(dlg.Window()->isVisible());
        dlg.SetDlgItemText(1014, QStringLiteral("15"));
        static_cast<QAbstractButton *>(dlg.GetDlgItem(IDOK))->click();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_nPivot, 15u);
}

} // namespace
