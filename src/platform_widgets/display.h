#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Whether the program has a display to show its windows on, decided before
// Qt starts (Qt ends the process when its platform cannot open one), and
// what to do without one: a command-line run needs no window and goes on on
// the offscreen platform; an interactive run cannot, and ends with one line
// on standard error.

// How long an X server has to answer the connection's first request: in
// command-line mode, whose fallback costs nothing; in interactive mode,
// which has none, long enough for a slow forwarded display.
constexpr int kDisplayAnswerMs = 2000;
constexpr int kInteractiveDisplayAnswerMs = 5000;

// The environment that names the display.
struct DisplayEnvironment {
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM, the user's own choice
    QByteArray x11Display;     // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    // Whether the X server of a DISPLAY answers within the milliseconds
    // given; asked only when the program is to use X11. Empty: it answers.
    std::function<bool(const QByteArray &display, int timeoutMs)> x11Answers;

    // The process's environment, with X11DisplayAnswers as the check.
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

// A platform chosen by the user is kept as it is, unless it starts with X11
// ("xcb") and no X server answers. Otherwise, on systems with X11 or
// Wayland: no display named, or an X11 display alone whose server does not
// answer (a stopped server, a forwarded display to a sleeping computer),
// gives the offscreen platform in command-line mode and `unavailable` in
// interactive mode (Qt would wait for ever, or abort); an X11 display alone
// is tried first and the offscreen platform after it.
DisplayChoice ChooseDisplay(const DisplayEnvironment &environment, bool commandLineMode);

// True when the X server named by `display` (DISPLAY's form: [host]:n[.s])
// answers the connection's setup request within `timeoutMs`, whatever the
// answer (a refusal for want of authorisation is an answer). False for an
// empty name, a refused connection, or silence. A name whose server cannot
// be reached without looking a host name up, or of a form not known here,
// is taken as answering: Qt itself then decides.
bool X11DisplayAnswers(const QByteArray &display, int timeoutMs);

// True for the platforms whose windows nobody sees or answers: offscreen
// and minimal.
bool IsWindowless(const QString &platformName);

// The line written when an interactive run has no display.
QString NoDisplayText();

// Writes `line` and a line end on standard error, at once.
void WriteStandardErrorLine(const QString &line);
