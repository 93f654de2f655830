#pragma once

// Helpers for the dialog framework's tests: one QApplication for the test
// program, and a modal run driven by a script once the window is active.

#include "platform_widgets/dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>

// The end value of a dialog that a script left open.
constexpr int kDialogLeftOpen = -999;

inline void EnsureApplication() {
    static int argc = 1;
    static char arg0[] = "test";
    static char *argv[] = {arg0, nullptr};
    if (QApplication::instance())
        return;
    QStandardPaths::setTestModeEnabled(true);
    new QApplication(argc, argv);
}

// Runs `dialog` modally; `script` runs inside the modal loop once the window
// is active. A dialog still open long after the script is ended with
// kDialogLeftOpen, so that a broken test fails instead of hanging.
inline int RunModal(CDialog &dialog, const std::function<void()> &script) {
    QObject guard;
    QTimer::singleShot(0, &guard, [&dialog, &script] {
        QWidget *window = dialog.Window();
        if (!window)
            return;
        QTimer::singleShot(30000, window, [&dialog] {
            ADD_FAILURE() << "dialog left open";
            dialog.EndDialog(kDialogLeftOpen);
        });
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        script();
    });
    return dialog.DoModal();
}

inline QWidget *FocusedWidget() {
    return QApplication::focusWidget();
}

// As RunModal, then ends with kDialogLeftOpen a dialog the script left open.
inline int RunThenLeave(CDialog &dialog, const std::function<void()> &script) {
    return RunModal(dialog, [&dialog, &script] {
        script();
        if (dialog.Window())
            QTimer::singleShot(0, dialog.Window(),
                               [&dialog] { dialog.EndDialog(kDialogLeftOpen); });
    });
}

// Types `text` into the focused control, one key a character.
inline void TypeKeys(const QString &text) {
    for (QChar c : text)
        QTest::keyClick(FocusedWidget(), c.toLatin1());
}

inline void ClickControl(CDialog &dialog, int id) {
    QWidget *control = dialog.GetDlgItem(id);
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}
