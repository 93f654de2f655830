#include "platform_widgets/dialog_template.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>

namespace {

struct MulDivCase {
    int a, b, c, expected;
};

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
    const MulDivCase cases[] = {
        {10, 6, 4, 15},                 // exact
        {15, 6, 4, 23},                 // 22.5 rounds up
        {5, 7, 4, 9},                   // 8.75
        {3, 13, 8, 5},                  // 4.875
        {-15, 6, 4, -23},               // -22.5 rounds away from zero
        {15, -6, 4, -23},               //
        {-15, -6, 4, 23},               //
        {0, 7, 4, 0},                   //
        {1, 1, 0, -1},                  // division by zero
        {0x7FFFFFFF, 2, 2, 0x7FFFFFFF}, // no overflow in the product
        {0x7FFFFFFF, 4, 1, -1},         // result out of range
    };
    for (const MulDivCase &c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(DialogWindowFlagsTest, CaptionButtonsAreThoseOfTheStyle) {
    constexpr Qt::WindowFlags kCaption = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    const struct {
        unsigned style;
        Qt::WindowFlags flags;
    } cases[] = {
        {DS_CENTER, Qt::Dialog | kCaption},
        {DS_CENTER | WS_EX_APPWINDOW, Qt::Window | kCaption},
        {WS_THICKFRAME | WS_MAXIMIZEBOX, Qt::Dialog | kCaption | Qt::WindowMaximizeButtonHint},
        {WS_MINIMIZEBOX | WS_EX_APPWINDOW, Qt::Window | kCaption | Qt::WindowMinimizeButtonHint},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DialogWindowFlags(c.style), c.flags) << c.style;
}

struct UnitsCase {
    QRect units;
    QSize base;
    QRect pixels;
};

TEST(DialogUnitsTest, ConvertsEachCoordinateWithTheBaseUnits) {
    const UnitsCase cases[] = {
        // The usual 8-point base units 6 x 13.
        {QRect(15, 10, 140, 20), QSize(6, 13), QRect(23, 16, 210, 33)},
        {QRect(79, 8, 14, 13), QSize(6, 13), QRect(119, 13, 21, 21)},
        {QRect(0, 0, 466, 249), QSize(6, 13), QRect(0, 0, 699, 405)},
        // A larger font.
        {QRect(15, 10, 140, 20), QSize(7, 16), QRect(26, 20, 245, 40)},
        {QRect(1, 1, 1, 1), QSize(7, 16), QRect(2, 2, 2, 2)},
        // Negative positions round away from zero too.
        {QRect(-3, -5, 10, 10), QSize(6, 13), QRect(-5, -8, 15, 16)},
    };
    for (const UnitsCase &c : cases)
        EXPECT_EQ(DialogUnitsToPixels(c.units, c.base), c.pixels)
            << c.units.x() << "," << c.units.y();
}

TEST(DialogUnitsTest, BaseUnitsAreTheRoundedLetterWidthAndTheFontHeight) {
    static int argc = 1;
    static char arg0[] = "test";
    static char *argv[] = {arg0, nullptr};
    if (!QGuiApplication::instance())
        new QGuiApplication(argc, argv);
    QFont font = QGuiApplication::font();
    font.setPointSize(8);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const QSize base = DialogBaseUnits(metrics);
    EXPECT_EQ(base.width(), (letters / 26 + 1) / 2);
    EXPECT_EQ(base.height(), metrics.height());
    EXPECT_EQ(DialogUnitsToPixels(QRect(4, 8, 4, 8), metrics),
              QRect(base.width(), base.height(), base.width(), base.height()));
}

} // namespace
