#include "platform/office_lock.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(OfficeLock, HeldUnlessMissingOrStale) {
    struct Case {
        const char *name;
        const char *lock; // nullptr: no lock file; "<dir>": a folder of that name
        bool wordProcessorRuns;
        bool held;
    };
    const Case cases[] = {
        {"no lock", nullptr, true, false},
        {"written elsewhere", ",Anne,bureau,08.12.2026 09:39,file:///home/anne/.config/lo;", false,
         true},
        {"here, still running", ",Anne,poste,08.12.2026 09:39,file:///x;", true, true},
        {"here, crashed", ",Anne,poste,08.12.2026 09:39,file:///x;", false, false},
        {"here, qualified name", ",Anne,POSTE.example.org,08.12.2026 09:39,file:///x;", false,
         false},
        {"escaped comma before the host", "Dupont\\, Anne,anne,bureau,08.12.2026,file:///x;", false,
         true},
        {"cut short before the host", ",Anne", false, false},
        {"empty", "", true, true},
        {"a folder of that name", "<dir>", true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString report = QDir(dir.path()).filePath(QStringLiteral("Calcul.rtf"));
        const QString lock = OfficeLockPathFor(report);
        EXPECT_EQ(lock, QDir(dir.path()).filePath(QStringLiteral(".~lock.Calcul.rtf#")));
        if (c.lock && QByteArray(c.lock) == "<dir>") {
            ASSERT_TRUE(QDir().mkdir(lock));
        } else if (c.lock) {
            ASSERT_TRUE(WriteFileBytes(lock, c.lock));
        }
        const bool held = IsHeldByWordProcessor(report, QStringLiteral("poste"), [&](uint owner) {
            EXPECT_EQ(owner, static_cast<uint>(getuid()));
            return c.wordProcessorRuns;
        });
        EXPECT_EQ(held, c.held);
    }
}

TEST(OfficeLock, RunningWordProcessorIsFoundByItsCommandName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    ASSERT_FALSE(sleep.isEmpty());
    const QString program = QDir(dir.path()).filePath(QStringLiteral("soffice.bin"));
    ASSERT_TRUE(QFile::copy(sleep, program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);

    EXPECT_FALSE(WordProcessorRunsFor(getuid() + 4242u)); // nobody's
    QProcess writer;
    writer.start(program, {QStringLiteral("60")});
    ASSERT_TRUE(writer.waitForStarted());
    EXPECT_TRUE(WordProcessorRunsFor(getuid()));
    writer.kill();
    writer.waitForFinished();
}

} // namespace
