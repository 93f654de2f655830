#include "engine/number_text.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform/user_locale.h"
#include "platform_widgets/data_exchange.h"
#include "platform_widgets/dialog.h"
#include "support/test_locales.h"
#include "ui/amount_edit.h"
#include "ui/date_part_edit.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include <optional>

namespace {

enum : int { kDay = 2001, kMonth = 2002, kYear = 2003, kPlain = 2004, kAmount = 2005 };

class EditFieldsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
    }
};

DialogTemplate FieldsTemplate() {
    constexpr unsigned kEdit = WS_BORDER | ES_AUTOHSCROLL;
    DialogTemplate t{500, QStringLiteral("Champs"), 200, 80, DS_CENTER, {}};
    t.controls = {
        {kDay, ControlKind::Edit, QString(), 5, 5, 14, 13, kEdit},
        {kMonth, ControlKind::Edit, QString(), 20, 5, 14, 13, kEdit},
        {kYear, ControlKind::Edit, QString(), 35, 5, 22, 13, kEdit},
        {kPlain, ControlKind::Edit, QString(), 60, 5, 40, 13, kEdit},
        {kAmount, ControlKind::Edit, QString(), 5, 25, 74, 12, kEdit},
        {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 120, 60, 50, 14},
    };
    return t;
}

// A day, a month and a year field, a plain edit after them, and an amount.
class FieldsDlg : public CDialog {
public:
    explicit FieldsDlg(IMessageBoxService &boxes)
        : CDialog(FieldsTemplate(), boxes) {
        year.SetPivotSource([this] { return pivot; });
    }

    bool OnInitDialog() override {
        const bool focus = CDialog::OnInitDialog();
        day.SetKind(false);
        month.SetKind(false);
        year.SetKind(true);
        return focus;
    }
    void DoDataExchange(CDataExchange &dx) override {
        DDX_Control(dx, kDay, day);
        DDX_Control(dx, kMonth, month);
        DDX_Control(dx, kYear, year);
        DDX_Amount(dx, kAmount, amount, value);
    }

    CDatePartEdit day;
    CDatePartEdit month;
    CDatePartEdit year;
    CAmountEdit amount;
    double value = 0.0;
    int pivot = 40;
};

QWidget *Focused() {
    return FocusedWidget();
}

QLineEdit *Edit(CDialog &dialog, int id) {
    return qobject_cast<QLineEdit *>(dialog.GetDlgItem(id));
}

// Empties field `id`, gives it the focus and types `text`.
void TypeInto(CDialog &dialog, int id, const QString &text) {
    Edit(dialog, id)->clear();
    dialog.GotoDlgCtrl(dialog.GetDlgItem(id));
    TypeKeys(text);
}

TEST_F(EditFieldsTest, YearOfOneOrTwoDigitsIsExpandedWithThePivotWhenTheFieldIsLeft) {
    struct Case {
        int pivot;
        const char *typed;
        const char *shown;
    };
    // Stored pivots outside 0-99 are used as they are, compared unsigned.
    const Case cases[] = {
        {40, "5", "2005"},    {40, "39", "2039"}, {40, "40", "1940"},   {40, "99", "1999"},
        {40, "0", "2000"},    {40, "00", "2000"}, {40, "0099", "1999"}, {40, "100", "100"},
        {40, "2024", "2024"}, {0, "5", "1905"},   {0, "0", "1900"},     {99, "98", "2098"},
        {99, "99", "1999"},   {40, "", ""},       {150, "99", "2099"},  {-1, "99", "2099"}};
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    RunThenLeave(dlg, [&] {
        for (const Case &c : cases) {
            SCOPED_TRACE(QStringLiteral("pivot %1, typed '%2'")
                             .arg(c.pivot)
                             .arg(QLatin1String(c.typed))
                             .toStdString());
            dlg.pivot = c.pivot;
            TypeInto(dlg, kYear, QLatin1String(c.typed));
            // Four digits move on by themselves; otherwise Tab leaves.
            if (Focused() == dlg.GetDlgItem(kYear))
                QTest::keyClick(Focused(), Qt::Key_Tab);
            EXPECT_NE(Focused(), dlg.GetDlgItem(kYear));
            EXPECT_EQ(Edit(dlg, kYear)->text(), QLatin1String(c.shown));
        }
    });
}

TEST_F(EditFieldsTest, NoNumberReadsAsZeroDayFieldsStayAndPastesDoNothing) {
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    RunThenLeave(dlg, [&] {
        // Text set without typing, as a paste would bring it.
        Edit(dlg, kYear)->setText(QStringLiteral("ab"));
        dlg.GotoDlgCtrl(dlg.GetDlgItem(kYear));
        QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(Edit(dlg, kYear)->text(), QStringLiteral("2000"));

        TypeInto(dlg, kDay, QStringLiteral("5"));
        QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(Edit(dlg, kDay)->text(), QStringLiteral("5"));
        TypeInto(dlg, kMonth, QStringLiteral("7"));
        QTest::keyClick(Focused(), Qt::Key_Tab);
        EXPECT_EQ(Edit(dlg, kMonth)->text(), QStringLiteral("7"));

        // Clipboard shortcuts do nothing in the fields.
        QGuiApplication::clipboard()->setText(QStringLiteral("12"));
        for (int id : {kDay, kYear, kAmount}) {
            SCOPED_TRACE(id);
            Edit(dlg, id)->clear();
            dlg.GotoDlgCtrl(dlg.GetDlgItem(id));
            QTest::keyClick(Focused(), Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(Edit(dlg, id)->text(), QString());
        }
    });
}

TEST_F(EditFieldsTest, OnlyDigitsAndForTheAmountTheCommaCanBeTyped) {
    struct Case {
        int id;
        char key;
        bool accepted;
    };
    const Case cases[] = {
        {kDay, '7', true},     {kDay, 'a', false},    {kDay, 'Z', false},    {kDay, '.', false},
        {kDay, ',', false},    {kDay, '-', false},    {kDay, ' ', false},    {kYear, '0', true},
        {kYear, 'x', false},   {kYear, ',', false},   {kYear, '+', false},   {kAmount, '9', true},
        {kAmount, ',', true},  {kAmount, '.', false}, {kAmount, 'e', false}, {kAmount, '-', false},
        {kAmount, ' ', false},
    };
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    RunThenLeave(dlg, [&] {
        for (const Case &c : cases) {
            SCOPED_TRACE(QStringLiteral("field %1, key '%2'")
                             .arg(c.id)
                             .arg(QLatin1Char(c.key))
                             .toStdString());
            TypeInto(dlg, c.id, QString(QLatin1Char(c.key)));
            EXPECT_EQ(Edit(dlg, c.id)->text(),
                      c.accepted ? QString(QLatin1Char(c.key)) : QString());
        }
        // The comma can be typed more than once.
        TypeInto(dlg, kAmount, QStringLiteral("1,,2"));
        EXPECT_EQ(Edit(dlg, kAmount)->text(), QStringLiteral("1,,2"));
    });
}

TEST_F(EditFieldsTest, FullFieldHandsTheFocusToTheNextTabStopWithItsTextSelected) {
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    RunThenLeave(dlg, [&] {
        Edit(dlg, kMonth)->setText(QStringLiteral("07"));
        Edit(dlg, kPlain)->setText(QStringLiteral("suite"));
        TypeInto(dlg, kDay, QStringLiteral("1"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(kDay));
        TypeKeys(QStringLiteral("2"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(kMonth));
        EXPECT_EQ(Edit(dlg, kMonth)->selectedText(), QStringLiteral("07"));

        // Typing over the selection fills the month, then the year.
        TypeKeys(QStringLiteral("08"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(kYear));
        TypeKeys(QStringLiteral("2001"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(kPlain));
        EXPECT_EQ(Edit(dlg, kPlain)->selectedText(), QStringLiteral("suite"));
        EXPECT_EQ(Edit(dlg, kDay)->text(), QStringLiteral("12"));
        EXPECT_EQ(Edit(dlg, kMonth)->text(), QStringLiteral("08"));
        EXPECT_EQ(Edit(dlg, kYear)->text(), QStringLiteral("2001"));
    });
}

TEST_F(EditFieldsTest, KeyThatChangesNothingInAFullFieldStillMovesOn) {
    struct Case {
        const char *name;
        int caret;
        Qt::Key key;
    };
    const Case cases[] = {
        {"digit refused by the limit", 2, Qt::Key_3},
        {"backspace at the start", 0, Qt::Key_Backspace},
    };
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    RunThenLeave(dlg, [&] {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            Edit(dlg, kDay)->setText(QStringLiteral("12"));
            dlg.GotoDlgCtrl(dlg.GetDlgItem(kDay));
            Edit(dlg, kDay)->deselect();
            Edit(dlg, kDay)->setCursorPosition(c.caret);
            QTest::keyClick(Focused(), c.key);
            EXPECT_EQ(Edit(dlg, kDay)->text(), QStringLiteral("12"));
            EXPECT_EQ(Focused(), dlg.GetDlgItem(kMonth));
        }
        // A backspace that shortens the text keeps the focus.
        dlg.GotoDlgCtrl(dlg.GetDlgItem(kDay));
        Edit(dlg, kDay)->end(false);
        QTest::keyClick(Focused(), Qt::Key_Backspace);
        EXPECT_EQ(Edit(dlg, kDay)->text(), QStringLiteral("1"));
        EXPECT_EQ(Focused(), dlg.GetDlgItem(kDay));
    });
}

TEST_F(EditFieldsTest, AmountSelectsItsWholeTextWhenEnteredByTabOrMouse) {
    RecordingMessageBoxes boxes;
    FieldsDlg dlg(boxes);
    dlg.value = 1250.5;
    ReadDecimalSeparator(TestLocale::French());
    RunThenLeave(dlg, [&] {
        QLineEdit *amount = Edit(dlg, kAmount);
        dlg.GotoDlgCtrl(dlg.GetDlgItem(kPlain));
        QTest::keyClick(Focused(), Qt::Key_Tab);
        ASSERT_EQ(Focused(), amount);
        EXPECT_EQ(amount->selectedText(), QStringLiteral("1250,50"));
        TypeKeys(QStringLiteral("7"));
        EXPECT_EQ(amount->text(), QStringLiteral("7"));

        amount->setText(QStringLiteral("1250,50"));
        dlg.GotoDlgCtrl(dlg.GetDlgItem(kPlain));
        QTest::mouseClick(amount, Qt::LeftButton, Qt::NoModifier, QPoint(5, amount->height() / 2));
        ASSERT_EQ(Focused(), amount);
        EXPECT_EQ(amount->selectedText(), QStringLiteral("1250,50"));
    });
}

TEST_F(EditFieldsTest, AmountIsShownWithTwoDecimalsAndStoredAsItReadsOrRefusedWhole) {
    struct Case {
        const char *name;
        UserLocale locale;
        double loaded;
        const char *shown;
        const char *typed;
        double stored; // the value kept when the text is refused
        bool refused = false;
    };
    const Case cases[] = {
        {"comma locale", TestLocale::French(), 0.0, "0,00", "1250,5", 1250.5},
        // The comma, alone and followed by one or two digits, cannot
        // separate groups: it is the decimal mark.
        {"point locale: a comma before digits", TestLocale::English(), 0.0, "0.00", "1250,5",
         1250.5},
        // The user's own separator can be typed, not only the comma.
        {"point locale: the point", TestLocale::English(), 0.0, "0.00", "3500.50", 3500.5},
        {"point locale: a comma before three digits could group", TestLocale::English(), 7.0,
         "7.00", "1,250", 7.0, true},
        {"comma locale: its own mark ending the text", TestLocale::French(), 7.0, "7,00", "12,",
         12.0},
        {"comma locale: two marks", TestLocale::French(), 7.0, "7,00", "1,,2", 7.0, true},
        {"empty text", TestLocale::French(), 99.125, "99,13", "", 0.0},
        {"commas only", TestLocale::French(), 1234567.0, "1234567,00", ",,", 1234567.0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReadDecimalSeparator(c.locale);
        RecordingMessageBoxes boxes;
        FieldsDlg dlg(boxes);
        dlg.value = c.loaded;
        RunThenLeave(dlg, [&] {
            EXPECT_EQ(Edit(dlg, kAmount)->text(), QLatin1String(c.shown));
            TypeInto(dlg, kAmount, QLatin1String(c.typed));
            dlg.GotoDlgCtrl(dlg.GetDlgItem(IDOK));
            EXPECT_EQ(dlg.UpdateData(true), !c.refused);
            EXPECT_DOUBLE_EQ(dlg.value, c.stored);
            if (c.refused) {
                EXPECT_EQ(Focused(), dlg.GetDlgItem(kAmount));
                EXPECT_EQ(Edit(dlg, kAmount)->selectedText(), QLatin1String(c.typed));
            }
            EXPECT_TRUE(dlg.UpdateData(false));
        });
        EXPECT_EQ(boxes.Texts(), c.refused
                                     ? QStringList{FormatPrintf(LoadString(IDS_AMOUNT_NOT_A_NUMBER),
                                                                {FormatNumber(850.5, 2)})}
                                     : QStringList());
    }
    ReadDecimalSeparator(TestLocale::French());
}

// The strict reading shared by the amount field and the index table's cells:
// a text is read whole or not at all.
TEST(AmountText, IsReadWholeOrNotAtAll) {
    struct Case {
        const char *text;
        const char16_t *separator;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"150,5", u".", 150.5},
        {"150,255", u".", std::nullopt},
        {"150.5", u",", 150.5},
        {"1.234,5", u",", std::nullopt},
        {" 12,5 ", u",", 12.5},
        {"-3,5", u",", -3.5},
        {"1e39", u",", std::nullopt},
        {"12abc", u",", std::nullopt},
        {"", u",", std::nullopt},
        {"5,", u",", 5.0},
        {"inf", u".", std::nullopt},
        {"12.5", u"", 12.5},
        {"12'5", u"'", 12.5},
        // Beyond the double range: no value rather than an infinite one.
        {"999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "999999999999999999999999999999999999999999999999999999999999999999999",
         u",", std::nullopt},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ReadAmountText(text, QStringView(c.separator)), c.value)
            << c.text << " with " << QString::fromUtf16(c.separator).toStdString();
    }
}

} // namespace
