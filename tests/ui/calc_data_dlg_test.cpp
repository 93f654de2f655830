#include "ui/calc_data_dlg.h"

#include "app/revision_app.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "platform/clock.h"
#include "platform/string_table.h"
#include "platform/user_locale.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <functional>

namespace {

constexpr int kLeftOpen = kDialogLeftOpen;

class CalcDataDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

// An application object on fakes, with its files in a temporary folder and
// index values for 1990 to 2020.
struct Harness : FakeServices {
    explicit Harness(const UserLocale &locale = TestLocale::French())
        : app(As<AppServices>(), locale, dir.path()) {
        ReadDecimalSeparator(locale);
        app.m_nDate2000 = 40;
        app.m_nDlgLeft = INT_MIN;
        app.m_strSymbole = QStringLiteral("€");
        app.m_strReportPath = dir.filePath(QStringLiteral("Calcul.rtf"));
        app.m_strIndicesPath = dir.filePath(QStringLiteral("Indices.txt"));
        for (int year = 1990; year <= 2020; ++year) {
            for (int quarter = 0; quarter < 4; ++quarter)
                app.m_indices.Set(IndexTable::PositionOf(year, quarter),
                                  static_cast<float>(100 + (year - 1990)) +
                                      0.25f * static_cast<float>(quarter));
        }
    }

    QTemporaryDir dir;
    CRevisionApp app;
};

QWidget *Focused() {
    return FocusedWidget();
}

void Type(const QString &text) {
    TypeKeys(text);
}

void Press(Qt::Key key) {
    QTest::keyClick(Focused(), key);
}

void TypeAt(CDialog &dlg, int id, const QString &text) {
    dlg.GotoDlgCtrl(dlg.GetDlgItem(id));
    Type(text);
}

QString Text(CDialog &dlg, int id) {
    return dlg.GetDlgItemText(id);
}

QComboBox *QuarterList(CDialog &dlg) {
    return qobject_cast<QComboBox *>(dlg.GetDlgItem(IDC_REF_QUARTER));
}

QString IndexText(float value) {
    return FormatNumber(static_cast<double>(value), 2);
}

TEST_F(CalcDataDlgTest, FirstOpeningShowsAnEmptyDocumentAndTypingWalksTheDateFields) {
    Harness h;
    CCalcDataDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        for (int id = IDC_SIGNATURE_DAY; id <= IDC_LAST_REVISION_DAY + 2; ++id)
            EXPECT_EQ(Text(dlg, id), QString()) << id;
        EXPECT_EQ(QuarterList(dlg)->currentText(), QStringLiteral("T 1"));
        EXPECT_EQ(Text(dlg, IDC_REF_YEAR), QString());
        EXPECT_EQ(Text(dlg, IDC_INDEX_VALUE), QString());
        EXPECT_EQ(Text(dlg, IDC_RENT), QStringLiteral("0,00"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(IDC_SIGNATURE_DAY));
        EXPECT_EQ(dlg.Window()->windowTitle(), QStringLiteral("Données du calcul"));

        // Typing whole dates walks day, month, year, then the next row.
        const int expectedFocus[] = {1124, 1125, 1126, 1127,           1128,
                                     1129, 1130, 1131, IDC_REF_QUARTER};
        const char *parts[] = {"15", "07", "2001", "15", "07", "2002", "15", "07", "2005"};
        for (int i = 0; i < 9; ++i) {
            Type(QLatin1String(parts[i]));
            EXPECT_EQ(Focused(), dlg.GetDlgItem(expectedFocus[i])) << i;
            EXPECT_EQ(Text(dlg, IDC_SIGNATURE_DAY + i), QLatin1String(parts[i]));
        }
    });
}

TEST_F(CalcDataDlgTest, OpenedDocumentIsShownWithPaddedDatesQuarterYearIndexAndRent) {
    Harness h;
    h.app.m_doc.signature = PackedDate::FromParts(5, 7, 2001);
    h.app.m_doc.firstRevision = PackedDate::FromParts(1, 8, 2002);
    h.app.m_doc.lastRevision = PackedDate::FromParts(31, 12, 2010);
    h.app.m_doc.referenceDate = PackedDate::FromParts(1, 7, 2001);
    h.app.m_doc.rent = 1250.5;
    CCalcDataDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        const struct {
            int id;
            QString text;
        } expected[] = {
            {1123, QStringLiteral("05")},         {1124, QStringLiteral("07")},
            {1125, QStringLiteral("2001")},       {1126, QStringLiteral("01")},
            {1127, QStringLiteral("08")},         {1128, QStringLiteral("2002")},
            {1129, QStringLiteral("31")},         {1130, QStringLiteral("12")},
            {1131, QStringLiteral("2010")},       {IDC_REF_YEAR, QStringLiteral("2001")},
            {IDC_INDEX_VALUE, IndexText(111.5f)}, {IDC_RENT, QStringLiteral("1250,50")},
        };
        for (const auto &e : expected)
            EXPECT_EQ(Text(dlg, e.id), e.text) << e.id;
        EXPECT_EQ(QuarterList(dlg)->currentText(), QStringLiteral("T 3"));
        EXPECT_EQ(dlg.m_nQuarter, 2);
        EXPECT_EQ(dlg.m_nYear, 2001u);
    });
}

TEST_F(CalcDataDlgTest, TwoDigitYearIsExpandedByOkButNotByEscape) {
    {
        SCOPED_TRACE("OK");
        Harness h;
        CCalcDataDlg dlg(h.app);
        const int result = RunThenLeave(dlg, [&] {
            Type(QStringLiteral("150799"));
            ASSERT_EQ(Focused(), dlg.GetDlgItem(1125));
            Press(Qt::Key_Return);
            EXPECT_EQ(Text(dlg, 1125), QStringLiteral("1999"));
        });
        EXPECT_EQ(h.app.m_doc.signature, PackedDate::FromParts(15, 7, 1999));
        EXPECT_FALSE(h.boxes.Texts().contains(DateInvalidText()));
        // The empty revision dates are then refused by the calculation.
        ASSERT_EQ(h.boxes.Boxes().size(), 1u);
        EXPECT_TRUE(h.boxes.Boxes()[0].text.contains(DateNameForMessage(1)));
        EXPECT_EQ(result, kLeftOpen);
    }
    {
        SCOPED_TRACE("Escape");
        Harness h;
        CCalcDataDlg dlg(h.app);
        const int result = RunThenLeave(dlg, [&] {
            Type(QStringLiteral("150799"));
            Press(Qt::Key_Escape);
            EXPECT_EQ(Focused(), dlg.GetDlgItem(IDC_SIGNATURE_DAY));
        });
        EXPECT_EQ(h.boxes.Texts(), QStringList{DateInvalidText()});
        EXPECT_EQ(h.boxes.Boxes()[0].flags & MB_ICONMASK, unsigned{MB_ICONEXCLAMATION});
        EXPECT_EQ(h.boxes.Boxes()[0].caption, QStringLiteral("Calvor"));
        EXPECT_EQ(result, kLeftOpen);
        EXPECT_EQ(h.app.m_nDlgLeft, INT_MIN);
    }
}

enum class Action { Escape, Enter, SaveButton, CloseBox };

void Do(CDialog &dlg, Action action) {
    if (action == Action::SaveButton)
        ClickControl(dlg, IDC_SAVE_CALCULATION);
    else if (action == Action::CloseBox)
        dlg.Window()->close();
    else
        Press(action == Action::Escape ? Qt::Key_Escape : Qt::Key_Return);
}

TEST_F(CalcDataDlgTest, EachRefusalShowsItsMessageKeepsTheDialogAndMovesTheFocus) {
    struct Case {
        const char *name;
        int typeAt; // 0: where the focus starts
        const char *typed;
        Action action;
        QString message; // empty: checked by `check`
        int focusId;
        bool selected;                       // the refused text is selected
        bool positionStored;                 // the exchange succeeded
        PackedDate reference = PackedDate(); // of the document at the opening
        bool unwritableFile = false;         // the save dialog answers a missing folder
        std::function<void(Harness &)> check = nullptr;
    };
    const QString invalid = DateInvalidText();
    const QString notUnsigned = QStringLiteral("Veuillez entrer un entier positif.");
    const Case cases[] = {
        // The day field of a refused date has its text selected, so that
        // typing the right day replaces it.
        {"only the day of a row", 0, "15", Action::Escape, invalid, 1123, true, false},
        {"31 April", 1126, "31042001", Action::Escape, invalid, 1126, true, false},
        {"29 February of a common year", 1129, "29022001", Action::Enter, invalid, 1129, true,
         false},
        {"month 13", 1123, "15132001", Action::SaveButton, invalid, 1123, true, false},
        {"year before 1970", 1126, "15051969", Action::Escape, invalid, 1126, true, false},
        {"year after 2106", 1129, "01012107", Action::CloseBox, invalid, 1129, true, false},
        {"reference year 99 is not expanded", IDC_REF_YEAR, "99", Action::Enter, invalid,
         IDC_REF_QUARTER, false, false, PackedDate(), false,
         [](Harness &h) { EXPECT_TRUE(h.app.m_doc.referenceDate.Validate() != 0); }},
        {"letters in the reference year", IDC_REF_YEAR, "abc", Action::SaveButton, notUnsigned,
         IDC_REF_YEAR, true, false, PackedDate(), false,
         [](Harness &h) { EXPECT_TRUE(h.files.requests.empty()); }},
        {"minus sign in the reference year", IDC_REF_YEAR, "-5", Action::Escape, notUnsigned,
         IDC_REF_YEAR, true, false},
        {"reference year too wide for a date", IDC_REF_YEAR, "18354", Action::Enter, invalid,
         IDC_REF_QUARTER, false, false, PackedDate(), false,
         [](Harness &h) { EXPECT_TRUE(h.app.m_doc.referenceDate.IsEmpty()); }},
        {"no quarter selected (a stored month of 12)", 0, "", Action::Escape, invalid,
         IDC_REF_QUARTER, false, false, PackedDate::FromParts(1, 12, 2001)},
        {"the calculation refuses",
         0,
         "",
         Action::Enter,
         {},
         IDOK,
         false,
         true,
         PackedDate(),
         false,
         [](Harness &h) {
             ASSERT_EQ(h.boxes.Boxes().size(), 1u);
             EXPECT_TRUE(h.boxes.Boxes()[0].text.contains(DateNameForMessage(0)));
         }},
        {"the file cannot be written", 0, "", Action::SaveButton, LoadString(IDS_SAVE_FAILED),
         IDC_SAVE_CALCULATION, false, true, PackedDate(), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.app.m_doc.referenceDate = c.reference;
        if (c.unwritableFile)
            h.files.answers.push_back(h.dir.filePath(QStringLiteral("absent/calcul.clv")));
        CCalcDataDlg dlg(h.app);
        const int result = RunThenLeave(dlg, [&] {
            if (c.typeAt)
                dlg.GotoDlgCtrl(dlg.GetDlgItem(c.typeAt));
            Type(QLatin1String(c.typed));
            Do(dlg, c.action);
            EXPECT_EQ(Focused(), dlg.GetDlgItem(c.focusId));
            if (c.selected) {
                const auto *edit = qobject_cast<QLineEdit *>(Focused());
                ASSERT_NE(edit, nullptr);
                EXPECT_FALSE(edit->text().isEmpty());
                EXPECT_EQ(edit->selectedText(), edit->text());
            }
        });
        EXPECT_EQ(result, kLeftOpen);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(h.boxes.Texts(), QStringList{c.message});
        }
        EXPECT_EQ(h.app.m_nDlgLeft != INT_MIN, c.positionStored);
        if (c.check)
            c.check(h);
    }
}

TEST_F(CalcDataDlgTest, WhatWasStoredBeforeARefusalStaysStored) {
    Harness h;
    CCalcDataDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        Type(QStringLiteral("15072001"));
        Type(QStringLiteral("31042002"));
        Press(Qt::Key_Escape);
    });
    EXPECT_EQ(h.app.m_doc.signature, PackedDate::FromParts(15, 7, 2001));
    EXPECT_EQ(h.app.m_doc.firstRevision, PackedDate::FromParts(31, 4, 2002));
    EXPECT_TRUE(h.app.m_doc.lastRevision.IsEmpty());
}

TEST_F(CalcDataDlgTest, IndexValueFollowsTheYearAndTheQuarter) {
    Harness h;
    h.app.m_indices.Set(IndexTable::PositionOf(2001, 3), 0.0f);
    CCalcDataDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        struct Step {
            std::function<void()> input;
            QString shown;
        };
        const Step steps[] = {
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("200")); }, QString()},
            {[] { Type(QStringLiteral("1")); }, IndexText(111.0f)},
            {[&] { QTest::keyClick(QuarterList(dlg), Qt::Key_Down); }, IndexText(111.25f)},
            {[&] { QTest::keyClick(QuarterList(dlg), Qt::Key_Down); }, IndexText(111.5f)},
            // A quarter whose index has not been entered shows 0.
            {[&] { QTest::keyClick(QuarterList(dlg), Qt::Key_Down); }, QStringLiteral("0,00")},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("1969")); }, QString()},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("1970")); }, QStringLiteral("0,00")},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("2107")); }, QString()},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("4294967295")); }, QString()},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("2020x")); }, QString()},
            {[&] { TypeAt(dlg, IDC_REF_YEAR, QStringLiteral(" 1995 ")); }, IndexText(105.75f)},
            {[] { Press(Qt::Key_Backspace); }, IndexText(105.75f)},
            {[&] {
                 dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_REF_YEAR));
                 Press(Qt::Key_Delete);
             },
             QString()},
        };
        int i = 0;
        for (const Step &step : steps) {
            step.input();
            EXPECT_EQ(Text(dlg, IDC_INDEX_VALUE), step.shown) << "step " << i++;
        }
    });
}

TEST_F(CalcDataDlgTest, StoredMonthThatSelectsNoQuarterShowsNoIndexValue) {
    Harness h;
    h.app.m_doc.referenceDate = PackedDate::FromParts(1, 12, 2001);
    CCalcDataDlg dlg(h.app);
    RunThenLeave(dlg, [&] {
        EXPECT_EQ(QuarterList(dlg)->currentIndex(), -1);
        EXPECT_EQ(Text(dlg, IDC_REF_YEAR), QStringLiteral("2001"));
        EXPECT_EQ(Text(dlg, IDC_INDEX_VALUE), QString());
        // Choosing a quarter then shows its value.
        QTest::keyClick(QuarterList(dlg), Qt::Key_Down);
        EXPECT_EQ(Text(dlg, IDC_INDEX_VALUE), IndexText(111.0f));
    });
}

TEST_F(CalcDataDlgTest, ValidCalculationEndsWithThePreviewValue) {
    Harness h;
    CCalcDataDlg dlg(h.app);
    const int result = RunThenLeave(dlg, [&] {
        Type(QStringLiteral("15072001") + QStringLiteral("15072002") + QStringLiteral("150705"));
        QTest::keyClick(QuarterList(dlg), Qt::Key_Down);
        QTest::keyClick(QuarterList(dlg), Qt::Key_Down);
        TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("2001"));
        TypeAt(dlg, IDC_RENT, QStringLiteral("1000,5"));
        Press(Qt::Key_Return);
    });
    EXPECT_EQ(result, CRevisionApp::kPreview);
    EXPECT_TRUE(h.boxes.Boxes().empty()) << h.boxes.Texts().join(u'|').toStdString();
    EXPECT_EQ(h.app.m_doc.signature, PackedDate::FromParts(15, 7, 2001));
    EXPECT_EQ(h.app.m_doc.firstRevision, PackedDate::FromParts(15, 7, 2002));
    EXPECT_EQ(h.app.m_doc.lastRevision, PackedDate::FromParts(15, 7, 2005));
    EXPECT_EQ(h.app.m_doc.referenceDate, PackedDate::FromParts(1, 7, 2001));
    EXPECT_DOUBLE_EQ(h.app.m_doc.rent, 1000.5);
    EXPECT_TRUE(QFile::exists(h.app.m_strReportPath));
    EXPECT_NE(h.app.m_nDlgLeft, INT_MIN);
}

TEST_F(CalcDataDlgTest, SavingLeavesTheDialogOpenWhateverTheOutcome) {
    struct Case {
        const char *name;
        bool cancel;
    };
    for (const Case c : {Case{"saved", false}, Case{"cancelled", true}}) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString path = h.dir.filePath(QStringLiteral("bail.clv"));
        if (c.cancel)
            h.files.answers.push_back(std::nullopt);
        else
            h.files.answers.push_back(path);
        h.app.m_doc.rent = 700.0;
        CCalcDataDlg dlg(h.app);
        const int result = RunThenLeave(dlg, [&] { Do(dlg, Action::SaveButton); });
        EXPECT_EQ(result, kLeftOpen);
        EXPECT_TRUE(h.boxes.Boxes().empty());
        EXPECT_EQ(h.files.requests.size(), 1u);
        EXPECT_EQ(QFile::exists(path), !c.cancel);
        EXPECT_NE(h.app.m_nDlgLeft, INT_MIN);
    }
}

TEST_F(CalcDataDlgTest, PositionOfTheLastSuccessfulExchangeComesBackAtTheNextOpening) {
    Harness h;
    const PackedDate stored = PackedDate::FromParts(1, 4, 2003);
    h.app.m_doc.referenceDate = stored;
    CCalcDataDlg dlg(h.app);
    QPoint centred;
    int result = RunThenLeave(dlg, [&] {
        centred = dlg.WindowRect().topLeft();
        dlg.MoveTo(QPoint(137, 91));
        // Refused: the position is not stored.
        TypeAt(dlg, IDC_REF_YEAR, QStringLiteral("x"));
        Press(Qt::Key_Escape);
        EXPECT_EQ(h.app.m_nDlgLeft, INT_MIN);
        // An erased reference year keeps the stored reference date.
        dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_REF_YEAR));
        Press(Qt::Key_Delete);
        QTest::keyClick(QuarterList(dlg), Qt::Key_Down);
        Press(Qt::Key_Escape);
    });
    EXPECT_EQ(result, CRevisionApp::kMainMenu);
    EXPECT_EQ(h.app.m_doc.referenceDate, stored);
    EXPECT_EQ(h.boxes.Boxes().size(), 1u); // the refusal only
    EXPECT_EQ(h.app.m_nDlgLeft, 137);
    EXPECT_EQ(h.app.m_nDlgTop, 91);

    result = RunThenLeave(dlg, [&] {
        EXPECT_EQ(dlg.WindowRect().topLeft(), QPoint(137, 91));
        dlg.MoveTo(QPoint(60, 40));
        dlg.Window()->close(); // the close box
    });
    EXPECT_EQ(result, CRevisionApp::kMainMenu);
    EXPECT_EQ(QPoint(h.app.m_nDlgLeft, h.app.m_nDlgTop), QPoint(60, 40));

    // Without a remembered position the window stays centred.
    h.app.m_nDlgLeft = INT_MIN;
    RunThenLeave(dlg, [&] { EXPECT_EQ(dlg.WindowRect().topLeft(), centred); });
}

TEST_F(CalcDataDlgTest, YearFieldsSitOnePixelLeftAtEveryOpeningAndRentTakesTwelveCharacters) {
    Harness h;
    CCalcDataDlg dlg(h.app);
    const DialogTemplate t = CalcDataDlgTemplate();
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        RunThenLeave(dlg, [&] {
            const QSize metrics = dlg.BaseUnits();
            for (const DialogControl &control : t.controls) {
                const int rowYear = control.id - IDC_SIGNATURE_DAY - 2;
                if (control.id < IDC_SIGNATURE_DAY || control.id > 1131 || rowYear % 3 != 0)
                    continue;
                const QRect placed = DialogUnitsToPixels(
                    QRect(control.x, control.y, control.cx, control.cy), metrics);
                EXPECT_EQ(dlg.GetDlgItem(control.id)->pos(), placed.topLeft() - QPoint(1, 0))
                    << control.id;
            }
            TypeAt(dlg, IDC_RENT, QStringLiteral("1234567890123"));
            EXPECT_EQ(Text(dlg, IDC_RENT), QStringLiteral("123456789012"));
        });
    }
}

} // namespace
