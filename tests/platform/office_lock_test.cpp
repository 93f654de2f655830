#include "platform/office_lock.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
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

// The lock is looked for beside the file that is written, and nothing at
// its name can make the check wait or be taken for a lock.
TEST(OfficeLock, FoundBesideALinkedReportsTargetAndNeverWaitedOn) {
    const QByteArray elsewhere = ",Anne,bureau,08.12.2026 09:39,file:///x;";
    enum Kind { kFile, kFifo, kLinkToLock };
    const struct {
        const char *name;
        bool reportIsALink; // Calcul.rtf -> docs/loyer.rtf, the lock beside the target
        Kind kind;
        bool held;
    } cases[] = {
        {"lock beside the link's target", true, kFile, true},
        {"a pipe at the lock's name", false, kFifo, false},
        {"a link at the lock's name", false, kLinkToLock, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString report = QDir(dir.path()).filePath(QStringLiteral("Calcul.rtf"));
        QString written = report;
        if (c.reportIsALink) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("docs")));
            written = QDir(dir.path()).filePath(QStringLiteral("docs/loyer.rtf"));
            ASSERT_TRUE(WriteFileBytes(written, "{\\rtf1}"));
            ASSERT_TRUE(QFile::link(written, report));
        }
        const QString lock = OfficeLockPathFor(written);
        const QByteArray native = QFile::encodeName(lock);
        switch (c.kind) {
        case kFile:
            ASSERT_TRUE(WriteFileBytes(lock, elsewhere));
            break;
        case kFifo:
            ASSERT_EQ(::mkfifo(native.constData(), 0644), 0);
            break;
        case kLinkToLock: {
            const QString real = QDir(dir.path()).filePath(QStringLiteral("real-lock"));
            ASSERT_TRUE(WriteFileBytes(real, elsewhere));
            ASSERT_TRUE(QFile::link(real, lock));
            break;
        }
        }
        const WordProcessorLock found =
            FindWordProcessorLock(report, QStringLiteral("poste"), [](uint) { return false; });
        EXPECT_EQ(found.held, c.held);
        EXPECT_EQ(found.lockPath, lock);
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
