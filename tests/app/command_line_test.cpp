#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct TailCase {
    const char *raw;
    const char *path;
};

TEST(CommandLine, RawWindowsLineKeepsEverythingAfterTheName) {
    const TailCase cases[] = {
        {"calvor.exe", ""},
        {"calvor.exe    ", ""},
        {"calvor.exe \t ", ""},
        {"calvor.exe C:\\a.clv", "C:\\a.clv"},
        {"\"C:\\Program Files\\calvor.exe\" C:\\Mes calculs\\a.clv", "C:\\Mes calculs\\a.clv"},
        {"calvor.exe \"C:\\a b.clv\"", "\"C:\\a b.clv\""},
        {"calvor.exe a.clv  ", "a.clv  "},
        {"\"calvor.exe\"a.clv", "a.clv"},
        {"\"unterminated", ""},
    };
    for (const TailCase &c : cases) {
        EXPECT_EQ(CommandLineTail(QString::fromUtf8(c.raw)), QString::fromUtf8(c.path)) << c.raw;
    }
}

TEST(CommandLine, ArgumentsAreJoinedWithSingleSpaces) {
    EXPECT_EQ(CommandLineFromArguments({QStringLiteral("calvor")}), QString());
    EXPECT_EQ(CommandLineFromArguments({QStringLiteral("calvor"), QStringLiteral("  ")}),
              QString());
    EXPECT_EQ(CommandLineFromArguments({QStringLiteral("calvor"), QStringLiteral("/tmp/Mes"),
                                        QStringLiteral("calculs.clv")}),
              QStringLiteral("/tmp/Mes calculs.clv"));
    EXPECT_EQ(CommandLineFromArguments({QStringLiteral("calvor"), QStringLiteral("/tmp/a b.clv")}),
              QStringLiteral("/tmp/a b.clv"));
    EXPECT_EQ(CommandLineFromArguments({QStringLiteral("calvor"), QStringLiteral("\"x.clv\"")}),
              QStringLiteral("\"x.clv\""));
}

} // namespace
