#include "ui/options_dlg.h"

#include "app/revision_app.h"
#include "platform_widgets/modal_test_support.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

class OptionsDlgTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    QTemporaryDir dir;
    CRevisionApp app{As<AppServices>(), UserLocale::French(), dir.path()};
};

enum class End { Ok, Escape, CloseBox, OkThenEscape };

TEST_F(OptionsDlgTest, ExchangeChecksAndWhatOkOrCancelKeeps) {
    const QString notUnsigned = QStringLiteral("Veuillez entrer un entier positif.");
    const QString range = QStringLiteral("Tapez un nombre entier compris entre 0 et 99.");
    const QString tooLong = QStringLiteral("Tapez 3 caractères au maximum.");
    struct Case {
        const char *name;
        int cible;
        const char *symbole;
        int date2000;
        int shownTarget;    // the checked radio button, -1 none
        int clickTarget;    // 0-2, -1: none clicked
        const char *symbol; // typed over the symbol, null: left as shown
        const char *pivot;  // typed over the pivot, null: left as shown
        End end;
        QString message; // empty: none
        int focusId;     // the refused field
        int result;
        int storedCible;
        const char *storedSymbole;
        int storedDate2000;
    };
    const Case cases[] = {
        {"defaults", 0, "€", 40, 0, -1, nullptr, nullptr, End::Ok, {}, 0, IDOK, 0, "€", 40},
        {"every field changed", 0, "€", 40, 0, 2, "F", "30", End::Ok, {}, 0, IDOK, 2, "F", 30},
        {"0 and an empty symbol", 1, "€", 40, 1, -1, "", "0", End::Ok, {}, 0, IDOK, 1, "", 0},
        {"99", 1, "€", 40, 1, 0, nullptr, "99", End::Ok, {}, 0, IDOK, 0, "€", 99},
        {"letters cannot be typed",
         0,
         "€",
         40,
         0,
         -1,
         nullptr,
         "4a2",
         End::Ok,
         {},
         0,
         IDOK,
         0,
         "€",
         42},
        {"typing stops at 3",
         0,
         "€",
         40,
         0,
         -1,
         "ABCD",
         nullptr,
         End::Ok,
         {},
         0,
         IDOK,
         0,
         "ABC",
         40},
        {"no target stored",
         3,
         "€",
         40,
         -1,
         -1,
         nullptr,
         nullptr,
         End::Ok,
         {},
         0,
         IDOK,
         -1,
         "€",
         40},
        {"empty pivot", 0, "€", 40, 0, 1, nullptr, "", End::OkThenEscape, notUnsigned, IDC_PIVOT,
         IDCANCEL, 0, "€", 40},
        {"100", 0, "€", 40, 0, -1, nullptr, "100", End::OkThenEscape, range, IDC_PIVOT, IDCANCEL, 0,
         "€", 40},
        {"stored pivot of 150", 0, "€", 150, 0, -1, nullptr, nullptr, End::OkThenEscape, range,
         IDC_PIVOT, IDCANCEL, 0, "€", 150},
        {"stored symbol of 4", 0, "EUR€", 40, 0, -1, nullptr, nullptr, End::OkThenEscape, tooLong,
         IDC_SYMBOL, IDCANCEL, 0, "EUR€", 40},
        {"Escape", 0, "€", 40, 0, 2, "F", "30", End::Escape, {}, 0, IDCANCEL, 0, "€", 40},
        {"close box", 0, "€", 40, 0, 2, "F", "30", End::CloseBox, {}, 0, IDCANCEL, 0, "€", 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        settings = MemorySettingsStore();
        app.m_nCible = c.cible;
        app.m_strSymbole = QString::fromUtf8(c.symbole);
        app.m_nDate2000 = c.date2000;
        COptionsDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            const std::vector<QRadioButton *> targets = dlg.GetRadioGroup(IDC_TARGET_WORD);
            ASSERT_EQ(targets.size(), 3u);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(targets[static_cast<std::size_t>(i)]->isChecked(), i == c.shownTarget);
            EXPECT_EQ(dlg.GetDlgItemText(IDC_SYMBOL), QString::fromUtf8(c.symbole));
            EXPECT_EQ(dlg.GetDlgItemText(IDC_PIVOT), QString::number(c.date2000));
            if (c.clickTarget >= 0)
                ClickControl(dlg, IDC_TARGET_WORD + c.clickTarget);
            const std::pair<int, const char *> typed[] = {{IDC_SYMBOL, c.symbol},
                                                          {IDC_PIVOT, c.pivot}};
            for (const auto &[id, text] : typed) {
                if (!text)
                    continue;
                dlg.GotoDlgCtrl(dlg.GetDlgItem(id));
                QTest::keyClick(FocusedWidget(), Qt::Key_Delete);
                TypeKeys(QString::fromUtf8(text));
            }
            if (c.end == End::CloseBox) {
                dlg.Window()->close();
                return;
            }
            if (c.end != End::Escape)
                QTest::keyClick(FocusedWidget(), Qt::Key_Return);
            if (c.end == End::Ok)
                return;
            if (!c.message.isEmpty()) {
                // The refused field has the focus and its whole text selected.
                auto *field = qobject_cast<QLineEdit *>(FocusedWidget());
                ASSERT_EQ(field, dlg.GetDlgItem(c.focusId));
                EXPECT_EQ(field->selectedText(), field->text());
            }
            QTest::keyClick(FocusedWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(boxes.Texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        for (const RecordingMessageBoxes::Box &box : boxes.Boxes())
            EXPECT_EQ(box.flags & MB_ICONMASK, unsigned{MB_ICONEXCLAMATION});
        EXPECT_EQ(app.m_nCible, c.storedCible);
        EXPECT_EQ(app.m_strSymbole, QString::fromUtf8(c.storedSymbole));
        EXPECT_EQ(app.m_nDate2000, c.storedDate2000);
        // OK writes the settings at once; nothing else writes them.
        const bool written = c.result == IDOK;
        EXPECT_EQ(settings.ints.value(QStringLiteral("Général/Cible"), -99),
                  written ? c.storedCible : -99);
        EXPECT_EQ(settings.texts.contains(QStringLiteral("Général/Symbole")), written);
        EXPECT_EQ(settings.ints.value(QStringLiteral("Général/Date2000"), -99),
                  written ? c.storedDate2000 : -99);
    }
}

TEST_F(OptionsDlgTest, SmallDialogOverTheMenuWithoutButtonsOfItsOwn) {
    const DialogTemplate t = OptionsDlgTemplate();
    EXPECT_EQ(t.id, 103);
    EXPECT_EQ(t.style, unsigned{DS_CENTER});
    COptionsDlg dlg(app);
    RunModal(dlg, [&] {
        QWidget *window = dlg.Window();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Options"));
        EXPECT_EQ(window->windowType(), Qt::Dialog);
        EXPECT_FALSE(window->windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_EQ(FocusedWidget(), dlg.GetDlgItem(IDC_TARGET_WORD));
        dlg.EndDialog(IDCANCEL);
    });
}

} // namespace
