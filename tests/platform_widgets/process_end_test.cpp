#include "platform_widgets/clipboard_manager.h"
#include "platform_widgets/process_end.h"

#include "support/modal_test_support.h"

#include <QClipboard>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

int g_iconLoads = 0;

QIcon CountedIcon() {
    ++g_iconLoads;
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    return QIcon(picture);
}

// A command-line run loads the icon only when it shows a window (a message
// box), and then once.
TEST(ProcessEnd, TheIconIsLoadedWithTheFirstWindowOnly) {
    EnsureApplication();
    SetApplicationIconOnFirstWindow(&CountedIcon);
    QCoreApplication::processEvents();
    EXPECT_EQ(g_iconLoads, 0);
    QWidget first;
    first.show();
    EXPECT_FALSE(first.windowIcon().isNull());
    QWidget second;
    second.show();
    EXPECT_EQ(g_iconLoads, 1);
}

// The run ends at once with its status, flushed, unless this process owns
// the clipboard, whose content must then be handed on by the normal end.
TEST(ProcessEnd, ACommandLineRunEndsAtOnceUnlessItOwnsTheClipboard) {
    EnsureApplication();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::fputs("written before the end", stdout);
            EndCommandLineRunNow(3);
        },
        ::testing::ExitedWithCode(3), "");
    // The offscreen platform's clipboard is this process's alone: only on a
    // display is it owned for others.
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        ASSERT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
        EndCommandLineRunNow(3);
        SUCCEED();
    } else {
        // Without an X11 display there is no clipboard manager to ask.
        EXPECT_FALSE(ClipboardManagerRuns());
    }
}

} // namespace
