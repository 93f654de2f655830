#include "platform_widgets/dialog_template.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

Qt::WindowFlags DialogWindowFlags(unsigned style) {
    // A template that asks for a task-bar button gets a window of its own:
    // desktops keep dialogs off the task bar.
    Qt::WindowFlags flags = (style & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    // Without the customize hint the desktop adds the buttons it likes.
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    const long long result = negative ? -magnitude : magnitude;
    if (result > INT_MAX || result < INT_MIN)
        return -1;
    return static_cast<int>(result);
}

QSize DialogBaseUnits(const QFontMetrics &metrics) {
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = metrics.horizontalAdvance(kAlphabet);
    return QSize((width / 26 + 1) / 2, metrics.height());
}

QRect DialogUnitsToPixels(const QRect &units, QSize baseUnits) {
    return QRect(MulDiv(units.x(), baseUnits.width(), 4), MulDiv(units.y(), baseUnits.height(), 8),
                 MulDiv(units.width(), baseUnits.width(), 4),
                 MulDiv(units.height(), baseUnits.height(), 8));
}

QRect DialogUnitsToPixels(const QRect &units, const QFontMetrics &metrics) {
    return DialogUnitsToPixels(units, DialogBaseUnits(metrics));
}

int BaseWidthForPixels(int units, int pixels, int baseWidth) {
    if (units <= 0)
        return baseWidth;
    int width = std::max(baseWidth, 1);
    // MulDiv rounds to the nearest pixel, so the first guess may be one short.
    width = std::max(width, (pixels * 4) / units);
    while (MulDiv(units, width, 4) < pixels)
        ++width;
    return width;
}
