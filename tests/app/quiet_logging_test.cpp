// In command-line mode Qt's own lines stay off standard error unless the
// user asks for them; the program's messages always reach it.

#include "app/quiet_logging.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

TEST(QuietLogging, QtLinesAreKeptOnlyWhenAskedFor) {
    const struct {
        const char *rules;
        const char *debug;
        bool keeps;
    } cases[] = {{"", "yes", false}, {"", "1", true}, {"*.debug=false", "0", true}};
    for (const auto &c : cases)
        EXPECT_EQ(KeepsQtMessages(c.rules, c.debug), c.keeps) << c.rules << " / " << c.debug;
}

// The program, started without XDG_RUNTIME_DIR so that Qt warns about it.
TEST(QuietLogging, ProgramKeepsQtsWarningsOffStandardError) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    QTemporaryDir root;
    const QDir dir(root.path());
    if (binary.isEmpty() || !QFile::copy(binary, dir.filePath(QStringLiteral("calvor"))))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    ASSERT_TRUE(dir.mkpath(QStringLiteral("home")));

    const struct {
        const char *name;
        const char *value;
        bool qtLine;
    } cases[] = {{nullptr, nullptr, false},
                 {"CALVOR_DEBUG", "1", true},
                 {"QT_LOGGING_RULES", "qt.qpa.*=false", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name ? c.name : "quiet");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY", "CALVOR_DEBUG", "QT_LOGGING_RULES"})
            env.remove(QString::fromLatin1(name));
        for (const char *name : {"HOME", "XDG_CONFIG_HOME"})
            env.insert(QString::fromLatin1(name), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        if (c.name)
            env.insert(QString::fromLatin1(c.name), QString::fromLatin1(c.value));
        QProcess run;
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(root.path());
        run.start(dir.filePath(QStringLiteral("calvor")), {QStringLiteral("absent.clv")});
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 1);
        const QString err = QString::fromUtf8(run.readAllStandardError());
        EXPECT_EQ(err.contains(QLatin1String("XDG_RUNTIME_DIR")), c.qtLine) << err.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8("Calvor: Le fichier n'a pas pu être ouvert.")))
            << err.toStdString();
    }
}

} // namespace
