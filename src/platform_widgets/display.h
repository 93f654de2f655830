#pragma once

#include <QByteArray>
#include <QString>

// Whether the program has a display to show its windows on, decided before
// Qt starts (Qt ends the process when its platform cannot open one), and
// what to do without one: a command-line run needs no window and goes on on
// the offscreen platform; an interactive run cannot, and ends with one line
// on standard error.

// The environment that names the display.
struct DisplayEnvironment {
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM, the user's own choice
    QByteArray x11Display;     // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY

    static DisplayEnvironment Current();
};

struct DisplayChoice {
    // The platform to ask Qt for, or empty to leave Qt's own choice.
    QByteArray platform;
    // No display at all, in interactive mode: the program cannot run.
    bool unavailable = false;
    // The display named may not answer, and Qt then falls back to the
    // offscreen platform: in interactive mode the program must check it has
    // a screen once Qt has started (IsWindowless).
    bool checkAfterStart = false;
};

// A platform chosen by the user is kept as it is. Otherwise, on systems with
// X11 or Wayland: no display named gives the offscreen platform in
// command-line mode and `unavailable` in interactive mode; an X11 display
// alone is tried first and the offscreen platform after it.
DisplayChoice ChooseDisplay(const DisplayEnvironment &environment, bool commandLineMode);

// True for the platforms whose windows nobody sees or answers: offscreen
// and minimal.
bool IsWindowless(const QString &platformName);

// The line written when an interactive run has no display.
QString NoDisplayText();

// Writes `line` and a line end on standard error, at once.
void WriteStandardErrorLine(const QString &line);
