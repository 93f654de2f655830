#include "ui/options_dlg.h"

#include "app/revision_app.h"
#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

struct Settings {
    int cible;
    const char *symbole;
    int date2000;
};

enum class End { Ok, RefusedThenEscape, Escape, CloseBox };

TEST(OptionsDlgTest, ExchangeChecksAndWhatOkOrCancelKeeps) {
    EnsureApplication();
    // Centred over the menu, with no task-bar button of its own.
    EXPECT_EQ(OptionsDlgTemplate().style, unsigned{DS_CENTER});
    FakeServices fakes;
    QTemporaryDir dir;
    CRevisionApp app(fakes.As<AppServices>(), TestLocale::French(), dir.path());
    const QString notUnsigned = QStringLiteral("Veuillez entrer un entier positif.");
    const QString range = QStringLiteral("Tapez un nombre entier compris entre 0 et 99.");
    const QString tooLong = QStringLiteral("Tapez 3 caractères au maximum.");
    const End refused = End::RefusedThenEscape;
    struct Case {
        Settings before;
        int click;          // the target clicked, -1 none
        const char *symbol; // typed over the field, null: left as shown
        const char *pivot;
        End end;
        QString message;
        Settings after;
    };
    const Case cases[] = {
        {{0, "€", 40}, -1, nullptr, nullptr, End::Ok, {}, {0, "€", 40}},
        {{0, "€", 40}, 2, "F", "30", End::Ok, {}, {2, "F", 30}},
        {{1, "€", 40}, -1, "", "0", End::Ok, {}, {1, "", 0}},
        {{1, "€", 40}, 0, nullptr, "99", End::Ok, {}, {0, "€", 99}},
        {{0, "€", 40}, -1, "ABCD", "4a2", End::Ok, {}, {0, "ABC", 42}},   // typing is limited
        {{3, "€", 40}, -1, nullptr, nullptr, End::Ok, {}, {-1, "€", 40}}, // no target checked
        {{0, "€", 40}, 1, nullptr, "", refused, notUnsigned, {0, "€", 40}},
        {{0, "€", 40}, -1, nullptr, "100", refused, range, {0, "€", 40}},
        {{0, "€", 150}, -1, nullptr, nullptr, refused, range, {0, "€", 150}},
        {{0, "EUR€", 40}, -1, nullptr, nullptr, refused, tooLong, {0, "EUR€", 40}},
        {{0, "€", 40}, 2, "F", "30", End::Escape, {}, {0, "€", 40}},
        {{0, "€", 40}, 2, "F", "30", End::CloseBox, {}, {0, "€", 40}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(&c - cases);
        fakes.boxes.Clear();
        fakes.settings = MemorySettingsStore();
        app.m_nCible = c.before.cible;
        app.m_strSymbole = QString::fromUtf8(c.before.symbole);
        app.m_nDate2000 = c.before.date2000;
        COptionsDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            const std::vector<QRadioButton *> targets = dlg.GetRadioGroup(IDC_TARGET_WORD);
            ASSERT_EQ(targets.size(), 3u);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(targets[static_cast<std::size_t>(i)]->isChecked(), i == c.before.cible);
            EXPECT_EQ(dlg.GetDlgItemText(IDC_SYMBOL), QString::fromUtf8(c.before.symbole));
            EXPECT_EQ(dlg.GetDlgItemText(IDC_PIVOT), QString::number(c.before.date2000));
            if (c.click >= 0)
                ClickControl(dlg, IDC_TARGET_WORD + c.click);
            for (const auto &[id, text] :
                 {std::pair(int{IDC_SYMBOL}, c.symbol), std::pair(int{IDC_PIVOT}, c.pivot)}) {
                if (!text)
                    continue;
                dlg.GotoDlgCtrl(dlg.GetDlgItem(id));
                QTest::keyClick(FocusedWidget(), Qt::Key_Delete);
                TypeKeys(QString::fromUtf8(text));
            }
            if (c.end == End::CloseBox)
                dlg.Window()->close();
            if (c.end == End::Ok || c.end == End::RefusedThenEscape)
                QTest::keyClick(FocusedWidget(), Qt::Key_Return);
            if (c.end == End::RefusedThenEscape) {
                // The refused field has the focus and its whole text selected.
                auto *field = qobject_cast<QLineEdit *>(FocusedWidget());
                ASSERT_NE(field, nullptr);
                const bool longSymbol = QString::fromUtf8(c.before.symbole).size() > 3;
                EXPECT_EQ(dlg.GetDlgCtrlID(field), longSymbol ? IDC_SYMBOL : IDC_PIVOT);
                EXPECT_EQ(field->selectedText(), field->text());
            }
            if (c.end != End::Ok && c.end != End::CloseBox)
                QTest::keyClick(FocusedWidget(), Qt::Key_Escape);
        });
        const bool ok = c.end == End::Ok;
        EXPECT_EQ(result, ok ? IDOK : IDCANCEL);
        EXPECT_EQ(fakes.boxes.Texts(),
                  c.message.isEmpty() ? QStringList() : QStringList{c.message});
        for (const RecordingMessageBoxes::Box &box : fakes.boxes.Boxes())
            EXPECT_EQ(box.flags & MB_ICONMASK, unsigned{MB_ICONEXCLAMATION});
        EXPECT_EQ(app.m_nCible, c.after.cible);
        EXPECT_EQ(app.m_strSymbole, QString::fromUtf8(c.after.symbole));
        EXPECT_EQ(app.m_nDate2000, c.after.date2000);
        // OK writes the settings at once; nothing else writes them.
        EXPECT_EQ(fakes.settings.ints.value(QStringLiteral("Général/Date2000"), -1),
                  ok ? c.after.date2000 : -1);
        EXPECT_EQ(fakes.settings.writes, ok ? 3 : 0);
    }
}

// "Signaler les règles à vérifier" shows "Contrôles"; OK stores it, Cancel keeps it.
TEST(OptionsDlgTest, NoticesCheckBoxShowsAndStoresControles) {
    EnsureApplication();
    FakeServices fakes;
    QTemporaryDir dir;
    CRevisionApp app(fakes.As<AppServices>(), TestLocale::French(), dir.path());
    enum Toggle { None, Click, Mnemonic };
    const struct {
        int before;
        Toggle toggle;
        bool ok;
        int after;
        std::optional<int> stored; // "Contrôles" written by OK
    } cases[] = {
        {1, None, true, 1, std::nullopt}, // the default stays implicit
        {1, Click, true, 0, 0},           {0, Click, true, 1, 1},
        {1, Mnemonic, true, 0, 0},        {5, None, true, 5, 5}, // another "on" is kept
        {0, Click, false, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        fakes.settings = MemorySettingsStore();
        app.m_nCible = 0;
        app.m_strSymbole = QStringLiteral("€");
        app.m_nDate2000 = 40;
        app.m_nControles = c.before;
        // As read at start-up: only a value other than the default is stored.
        if (c.before != 1)
            fakes.settings.ints.insert(QStringLiteral("Général/Contrôles"), c.before);
        COptionsDlg dlg(app);
        const int result = RunModal(dlg, [&] {
            auto *check = qobject_cast<QCheckBox *>(dlg.GetDlgItem(IDC_CONTROLS));
            ASSERT_NE(check, nullptr);
            EXPECT_EQ(check->isChecked(), c.before != 0);
            if (c.toggle == Click)
                ClickControl(dlg, IDC_CONTROLS);
            if (c.toggle == Mnemonic) {
                QTest::keyClick(dlg.Window(), Qt::Key_V, Qt::AltModifier);
                EXPECT_EQ(FocusedWidget(), check);
                QTRY_COMPARE(check->isChecked(), c.before == 0);
            }
            QTest::keyClick(FocusedWidget(), c.ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(result, c.ok ? IDOK : IDCANCEL);
        EXPECT_EQ(app.m_nControles, c.after);
        const auto stored = fakes.settings.ints.find(QStringLiteral("Général/Contrôles"));
        EXPECT_EQ(stored == fakes.settings.ints.end() ? std::nullopt : std::optional(*stored),
                  c.stored);
    }
}

} // namespace
