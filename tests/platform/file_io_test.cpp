#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/system_path.h"
#include "support/fakes.h"
#include "support/faulty_files.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The child side of the two-process tests: run by re-starting this test
// binary with the path in CALVOR_LOCK_PATH, it holds the file's lock, says so
// on its output and keeps the lock until its input closes (or it is killed).
const char kLockEnv[] = "CALVOR_LOCK_PATH";
const char kHeldMarker[] = "CALVOR-LOCK-HELD";

QStringList Entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString SelfPath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

// Another running copy of the program that holds `path`.
class LockHolder {
public:
    explicit LockHolder(const QString &path) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kLockEnv), path);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(SelfPath(),
                        {QStringLiteral("--gtest_also_run_disabled_tests"),
                         QStringLiteral("--gtest_filter=FileIoChild.DISABLED_HoldLock")});
    }
    ~LockHolder() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // Waits until the child holds the lock.
    bool WaitUntilHeld() {
        if (!m_process.waitForStarted())
            return false;
        QByteArray out;
        while (!out.contains(kHeldMarker)) {
            if (!m_process.waitForReadyRead(60000))
                return false;
            out += m_process.readAllStandardOutput();
        }
        return true;
    }
    // Lets the child release the lock and end normally.
    int Release() {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
        return m_process.exitCode();
    }
    // Ends the child abruptly, leaving its lock file behind.
    void Kill() {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

TEST(FileIoChild, DISABLED_HoldLock) {
    const char *path = std::getenv(kLockEnv);
    ASSERT_NE(path, nullptr);
    FileUseLock lock(QString::fromLocal8Bit(path));
    ASSERT_TRUE(lock.Acquire());
    std::cout << kHeldMarker << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString Folder() const { return m_dir.path(); }

    QTemporaryDir m_dir;
};

TEST_F(FileIoTest, WriteThenReadGivesTheSameBytesAndLeavesNothingBehind) {
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(static_cast<char>(i));
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"one byte", QByteArray("x")},
        {"every byte value", binary},
        {"larger than a write buffer", QByteArray(100 * 1024, 'a')},
    };
    const QString path = Path(QStringLiteral("data.bin"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(WriteWholeFile(path, c.bytes), WriteStatus::Ok);
        const ReadResult read = ReadWholeFile(path);
        EXPECT_EQ(read.status, ReadStatus::Ok);
        EXPECT_EQ(read.bytes, c.bytes);
        // No temporary file and no lock file stay in the folder.
        EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("data.bin")});
    }
}

static std::uint64_t InodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The index file is written back at every start: when it already holds the
// canonical bytes it is left in place (no flush), but the checks that refuse
// a read-only file still come first.
TEST_F(FileIoTest, UnchangedContentIsLeftInPlaceAfterTheSameChecks) {
    const QString path = Path(QStringLiteral("Indices.txt"));
    ASSERT_EQ(WriteWholeFile(path, "same"), WriteStatus::Ok);
    const auto before = InodeOf(path);
    ASSERT_EQ(WriteWholeFile(path, "same"), WriteStatus::Ok);
    EXPECT_EQ(InodeOf(path), before);
    ASSERT_EQ(WriteWholeFile(path, "samE"), WriteStatus::Ok);
    EXPECT_NE(InodeOf(path), before);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("samE"));

    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    EXPECT_EQ(WriteWholeFile(path, "samE"), WriteStatus::CannotCreate);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(FileIoTest, ReadingCanStopAfterAGivenCount) {
    const QString path = Path(QStringLiteral("doc"));
    ASSERT_TRUE(WriteFileBytes(path, QByteArray(100, 'z')));
    const struct {
        qint64 max;
        qsizetype expected;
    } cases[] = {{0, 0}, {27, 27}, {100, 100}, {1000, 100}, {-1, 100}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.max);
        const ReadResult read = ReadWholeFile(path, c.max);
        EXPECT_EQ(read.status, ReadStatus::Ok);
        EXPECT_EQ(read.bytes.size(), c.expected);
    }
}

TEST_F(FileIoTest, OnlyRegularFilesAreReadOrReplacedAndLinksKeepTheirTarget) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), Path("null-link")));
    ASSERT_TRUE(QFile::link(Path("fifo"), Path("fifo-link")));
    const struct {
        QString path;
        ReadStatus read;
        bool writeRefused; // checked only where no file may be created
    } cases[] = {
        {QString(), ReadStatus::CannotOpen, true},
        {Path("missing.txt"), ReadStatus::Missing, false},
        {Folder(), ReadStatus::CannotOpen, true},
        {Path("missing-folder/file.txt"), ReadStatus::Missing, true},
        {QStringLiteral("/dev/zero"), ReadStatus::CannotOpen, true}, // endless bytes
        {Path("null-link"), ReadStatus::CannotOpen, true},
        {Path("fifo"), ReadStatus::CannotOpen, true}, // would block
        {Path("fifo-link"), ReadStatus::CannotOpen, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const ReadResult read = ReadWholeFile(c.path);
        EXPECT_EQ(read.status, c.read);
        EXPECT_TRUE(read.bytes.isEmpty());
        if (c.writeRefused) {
            EXPECT_EQ(WriteWholeFile(c.path, "abc"), WriteStatus::CannotCreate);
        }
    }
    EXPECT_EQ(QFileInfo(Path("null-link")).symLinkTarget(), QStringLiteral("/dev/null"));
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isFile());
    EXPECT_EQ(Entries(Folder()).size(), 3);

    // A link to a regular file, or to none yet, stays a link.
    ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("real")));
    ASSERT_TRUE(WriteFileBytes(Path("real/report.rtf"), "old"));
    for (const char *target : {"real/report.rtf", "real/created.txt"}) {
        ASSERT_TRUE(QFile::link(Path(target), Path("link")));
        ASSERT_EQ(WriteWholeFile(Path("link"), "new"), WriteStatus::Ok);
        EXPECT_EQ(QFileInfo(Path("link")).symLinkTarget(), Path(target));
        EXPECT_EQ(ReadWholeFile(Path("link")).bytes, QByteArray("new"));
        QFile::remove(Path("link"));
    }
    EXPECT_EQ(Entries(Path("real")).size(), 2); // nothing else in the target's folder
}

TEST_F(FileIoTest, ReadOnlyFileIsReadButNeitherReplacedNorChanged) {
    const QString path = Path(QStringLiteral("Indices.txt"));
    ASSERT_TRUE(WriteFileBytes(path, "old content"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));

    EXPECT_EQ(ReadWholeFile(path).bytes, QByteArray("old content"));
    // Refused for the superuser as well, as a read-only attribute would be.
    EXPECT_EQ(WriteWholeFile(path, "new"), WriteStatus::CannotCreate);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("old content"));
    EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("Indices.txt")});
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(FileIoTest, ReadOnlyFolderRefusesWritesAndStillAllowsReads) {
    const QString existing = Path(QStringLiteral("Indices.txt"));
    ASSERT_TRUE(WriteFileBytes(existing, "kept"));
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(Folder(), readOnly));

    EXPECT_EQ(ReadWholeFile(existing).bytes, QByteArray("kept"));
    EXPECT_EQ(WriteWholeFile(existing, "new"), WriteStatus::CannotCreate);
    EXPECT_EQ(WriteWholeFile(Path(QStringLiteral("new.clv")), "new"), WriteStatus::CannotCreate);

    QFile::setPermissions(Folder(), readOnly | QFile::WriteOwner);
    EXPECT_EQ(ReadFileBytes(existing), QByteArray("kept"));
    EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("Indices.txt")});
}

TEST_F(FileIoTest, ReplacingKeepsTheFilesPermissions) {
    const QString path = Path(QStringLiteral("perm.txt"));
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    const QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, perms));
    ASSERT_EQ(WriteWholeFile(path, "new"), WriteStatus::Ok);
    EXPECT_EQ(QFileInfo(path).permissions() &
                  ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              perms);
}

TEST_F(FileIoTest, FailedWriteLeavesTheOldFileWhole) {
    const QString path = Path(QStringLiteral("Indices.txt"));
    ASSERT_TRUE(WriteFileBytes(path, "the user's only copy"));
    // Small writes stay in the buffer until the flush; large ones fail at
    // once. Both must be noticed before the old file is replaced.
    const struct {
        const char *name;
        qsizetype size;
    } cases[] = {{"buffered", 27}, {"unbuffered", 100 * 1024}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteStatus status = WriteStatus::Ok;
        WithFileSizeLimit(16, [&] {
            status = WriteWholeFile(path, QByteArray(c.size, 'n'));
            return true;
        });
        EXPECT_EQ(status, WriteStatus::WriteFailed);
        EXPECT_EQ(ReadFileBytes(path), QByteArray("the user's only copy"));
        EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("Indices.txt")});
    }
}

TEST_F(FileIoTest, LockOfThisProcessRefusesTheFileUntilReleased) {
    const QString path = Path(QStringLiteral("doc.clv"));
    ASSERT_TRUE(WriteFileBytes(path, "CLV"));
    {
        FileUseLock held(path);
        ASSERT_TRUE(held.Acquire());
        EXPECT_TRUE(QFileInfo::exists(FileUseLock::LockPathFor(path)));
        EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::InUse);
        EXPECT_EQ(WriteWholeFile(path, "x"), WriteStatus::CannotCreate);
    }
    EXPECT_FALSE(QFileInfo::exists(FileUseLock::LockPathFor(path)));
    EXPECT_EQ(ReadWholeFile(path).bytes, QByteArray("CLV"));
}

TEST_F(FileIoTest, AnotherRunningCopyHoldingTheFileRefusesReadsAndWrites) {
    const QString path = Path(QStringLiteral("Indices.txt"));
    ASSERT_TRUE(WriteFileBytes(path, "content"));
    LockHolder other(path);
    ASSERT_TRUE(other.WaitUntilHeld());

    EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::InUse);
    EXPECT_EQ(WriteWholeFile(path, "replaced"), WriteStatus::CannotCreate);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("content"));

    EXPECT_EQ(other.Release(), 0);
    EXPECT_FALSE(QFileInfo::exists(FileUseLock::LockPathFor(path)));
    EXPECT_EQ(WriteWholeFile(path, "replaced"), WriteStatus::Ok);
    EXPECT_EQ(ReadWholeFile(path).bytes, QByteArray("replaced"));
}

TEST_F(FileIoTest, ALockLeftByACrashedCopyDoesNotLockTheFileForever) {
    const QString path = Path(QStringLiteral("Indices.txt"));
    ASSERT_TRUE(WriteFileBytes(path, "content"));
    LockHolder other(path);
    ASSERT_TRUE(other.WaitUntilHeld());
    other.Kill();
    ASSERT_TRUE(QFileInfo::exists(FileUseLock::LockPathFor(path)));

    EXPECT_EQ(ReadWholeFile(path).bytes, QByteArray("content"));
    EXPECT_EQ(WriteWholeFile(path, "new"), WriteStatus::Ok);
    EXPECT_FALSE(QFileInfo::exists(FileUseLock::LockPathFor(path)));
}

TEST_F(FileIoTest, InjectedFaultsFailTheOperationAndLeaveTheFileWhole) {
    using F = FaultyFiles;
    enum Operation { kRead, kWrite, kWriteKeeping };
    const struct {
        const char *name;
        Operation op;
        F::Call call;
        int error;
        const char *pathPart;
        int status; // the ReadStatus or WriteStatus expected
    } cases[] = {
        {"read error", kRead, F::kRead, EIO, "/data", int(ReadStatus::ReadFailed)},
        {"file nobody may read", kRead, F::kOpen, EACCES, "/data", int(ReadStatus::CannotOpen)},
        {"full disk", kWrite, F::kWrite, ENOSPC, "calvor-", int(WriteStatus::WriteFailed)},
        {"failed flush", kWrite, F::kSync, EIO, "calvor-", int(WriteStatus::WriteFailed)},
        {"failed close", kWrite, F::kClose, EIO, "calvor-", int(WriteStatus::WriteFailed)},
        {"no temporary file", kWrite, F::kOpen, EACCES, "calvor-", int(WriteStatus::CannotCreate)},
        {"rename refused", kWrite, F::kRename, EBUSY, "/data", int(WriteStatus::CannotCreate)},
        {"backup not flushed", kWriteKeeping, F::kSync, EIO, "bak", int(WriteStatus::WriteFailed)},
        {"old file unreadable: not replaced without its backup", kWriteKeeping, F::kRead, EIO,
         "/data", int(WriteStatus::CannotCreate)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(Path("data"), "old"));
        FaultyFiles faults;
        faults.Fail(c.call, c.error, QString::fromLatin1(c.pathPart));
        if (c.op == kRead) {
            const ReadResult read = ReadWholeFile(Path("data"));
            EXPECT_EQ(int(read.status), c.status);
            EXPECT_TRUE(read.bytes.isEmpty());
        } else {
            const auto keep = c.op == kWriteKeeping ? KeepPrevious::AsBackup : KeepPrevious::No;
            EXPECT_EQ(int(WriteWholeFile(Path("data"), "new", keep)), c.status);
        }
        EXPECT_EQ(ReadFileBytes(Path("data")), QByteArray("old"));
        EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("data")});
    }
}

TEST_F(FileIoTest, StaleLocksAreTakenOverAndAHolderIsWaitedFor) {
    const QString lockPath = FileUseLock::LockPathFor(Path("data"));
    enum Lock { kEmpty, kUnopenable, kHeld };
    const struct {
        const char *name;
        Lock lock;
        int ageSeconds;
        bool waited;
    } cases[] = {
        {"empty lock left by a kill", kEmpty, 10, false},
        {"empty lock just made", kEmpty, 0, false}, // the system's lock decides
        {"lock nobody can open, old: removed", kUnopenable, 10, false},
        {"lock nobody can open, fresh: taken once old", kUnopenable, 0, true},
        {"holder that lets go during the wait", kHeld, 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(lockPath, QByteArray()));
        QFile lockFile(lockPath);
        ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
        lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds),
                             QFileDevice::FileModificationTime);
        auto holder = std::make_unique<FileUseLock>(Path("data"));
        ASSERT_TRUE(c.lock != kHeld || holder->Acquire());
        FaultyFiles faults;
        faults.onPause = [&] { holder.reset(); };
        if (c.lock == kUnopenable)
            faults.Fail(FaultyFiles::kOpen, EACCES, QStringLiteral(".lock"),
                        c.ageSeconds ? 1 : FaultyFiles::kEvery);
        EXPECT_EQ(WriteWholeFile(Path("data"), "new"), WriteStatus::Ok);
        EXPECT_EQ(faults.pauses > 0, c.waited);
        QFile::remove(lockPath);
    }
}

TEST_F(FileIoTest, LeftoversOfKilledWritesAreRemovedByTheirNamesOnly) {
    const struct {
        const char *name;
        bool removed;
    } cases[] = {
        {".data.calvor-Ab3dE9", true},
        {".data.bak.calvor-0zZ911", true},
        {"data.Ab3dE9", false},
        {".data.calvor-Ab3d", false},
        {".data.calvor-Ab3dE9.txt", false},
        {".other.calvor-Ab3dE9", false},
    };
    for (const bool heldByAnotherCopy : {true, false}) {
        for (const auto &c : cases)
            ASSERT_TRUE(WriteFileBytes(Path(c.name), "x"));
        FileUseLock other(Path("data"));
        ASSERT_TRUE(!heldByAnotherCopy || other.Acquire());
        RemoveLeftoverFiles(Path("data"));
        for (const auto &c : cases)
            EXPECT_EQ(QFileInfo::exists(Path(c.name)), heldByAnotherCopy || !c.removed) << c.name;
    }
}

// A kill can come between any two calls of a write: the file then holds its
// old or its new bytes, whole, and the next start finds nothing in its way.
TEST_F(FileIoTest, AKillAtAnyCallOfAWriteLeavesTheOldOrTheNewFileWhole) {
    const QString path = Path("data");
    const QByteArray old = "old content", written = "new";
    const struct {
        const char *name; // and the files written so
        std::function<WriteStatus()> write;
    } cases[] = {
        {"plain (documents, report)", [&] { return WriteWholeFile(path, written); }},
        {"with a backup (index file)",
         [&] { return WriteWholeFile(path, written, KeepPrevious::AsBackup); }},
        {"edit (settings)", [&] { return EditWholeFile(path, [&](auto &) { return written; }); }},
    };
    for (const auto &c : cases) {
        int calls = 0;
        for (int kill = 0; kill <= calls; ++kill) {
            SCOPED_TRACE(testing::Message() << c.name << ", killed at call " << kill);
            for (const QString &entry : Entries(Folder()))
                QFile::remove(Path(entry));
            ASSERT_TRUE(WriteFileBytes(path, old));
            if (kill == 0) { // counts the calls of a whole write
                FaultyFiles counting;
                ASSERT_EQ(c.write(), WriteStatus::Ok);
                calls = counting.calls;
                continue;
            }
            EXPECT_EXIT(
                {
                    FaultyFiles faults;
                    faults.KillAt(kill);
                    c.write();
                    std::_Exit(0);
                },
                testing::KilledBySignal(SIGKILL), "");
            EXPECT_TRUE(ReadFileBytes(path) == old || ReadFileBytes(path) == written);
            if (QFileInfo::exists(BackupPathFor(path))) {
                EXPECT_EQ(ReadFileBytes(BackupPathFor(path)), old);
            }
            RemoveLeftoverFiles(path);
            for (const QString &entry : Entries(Folder()))
                EXPECT_TRUE(entry == u"data" || entry == u"data.bak" || entry == u".data.lock")
                    << entry.toStdString();
            FaultyFiles next;
            EXPECT_EQ(c.write(), WriteStatus::Ok);
            EXPECT_EQ(next.pauses, 0); // no lock left in the way
        }
    }
}

// The lock file's name lies in a folder others may write to: whatever is
// planted there is never written through, emptied or removed, and never
// blocks the run.
TEST_F(FileIoTest, WhatIsPlantedAtTheLockNameIsNeitherWrittenThroughNorRemoved) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString victim = QDir(elsewhere.path()).filePath(QStringLiteral("victim.txt"));
    const QByteArray victimBytes = "the victim's own bytes";
    const QString lockPath = FileUseLock::LockPathFor(Path("bail.clv"));
    const QByteArray lock = QFile::encodeName(lockPath), target = QFile::encodeName(victim);
    const struct {
        const char *name;
        std::function<bool()> plant;
        bool used; // the operation goes on; otherwise refused as a file in use
    } cases[] = {
        {"link to another file", [&] { return ::symlink(target, lock) == 0; }, false},
        {"hard link to another file", [&] { return ::link(target, lock) == 0; }, false},
        {"pipe", [&] { return ::mkfifo(lock, 0644) == 0; }, false},
        {"folder", [&] { return QDir().mkdir(lockPath); }, false},
        {"a file that is not a lock", [&] { return WriteFileBytes(lockPath, victimBytes); }, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(victim, victimBytes));
        ASSERT_TRUE(WriteFileBytes(Path("bail.clv"), "CLV"));
        ASSERT_TRUE(c.plant());
        FaultyFiles counting;
        EXPECT_EQ(ReadWholeFile(Path("bail.clv")).status,
                  c.used ? ReadStatus::Ok : ReadStatus::InUse);
        EXPECT_EQ(WriteWholeFile(Path("bail.clv"), "new"),
                  c.used ? WriteStatus::Ok : WriteStatus::CannotCreate);
        EXPECT_EQ(counting.pauses, 0); // refused at once, never waited on
        EXPECT_EQ(ReadFileBytes(victim), victimBytes);
        EXPECT_EQ(ReadFileBytes(Path("bail.clv")), c.used ? QByteArray("new") : QByteArray("CLV"));
        struct stat st {};
        EXPECT_EQ(::lstat(lock, &st), 0);
        if (c.used) {
            EXPECT_EQ(ReadFileBytes(lockPath), victimBytes);
        }
        if (!QDir().rmdir(lockPath))
            ::unlink(lock);
    }
}

// The new file is written whatever stands at the backup's name, and the
// caller is told when the previous file could not be kept there; a link at
// that name is replaced itself, never written through (wherever it points).
TEST_F(FileIoTest, ABackupThatCannotBeKeptNeverStopsTheWriteNorGoesThroughALink) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString victim = QDir(elsewhere.path()).filePath(QStringLiteral("victim.txt"));
    const QString path = Path("Indices.txt");
    const QString backup = BackupPathFor(path);
    const QByteArray large(kMaxCopiedBackupBytes + 10, 'x');
    const auto nothing = [] { return true; };
    const struct {
        const char *name;
        std::function<bool()> plant;
        QByteArray old;
        bool kept;
        bool failSync = false;
    } cases[] = {
        {"nothing", nothing, "old", true},
        {"link to another file", [&] { return QFile::link(victim, backup); }, "old", true},
        {"folder", [&] { return QDir().mkdir(backup); }, "old", false},
        {"read-only file",
         [&] {
             return WriteFileBytes(backup, "older") &&
                    QFile::setPermissions(backup, QFile::ReadOwner);
         },
         "old", false},
        {"failed flush of the backup", nothing, "old", false, true},
        {"previous file too large to copy: moved whole", nothing, large, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(victim, "victim"));
        ASSERT_TRUE(WriteFileBytes(path, c.old));
        ASSERT_TRUE(c.plant());
        FaultyFiles faults;
        if (c.failSync)
            faults.Fail(FaultyFiles::kSync, EIO, QStringLiteral(".bak"));
        BackupOutcome outcome = BackupOutcome::NotNeeded;
        ASSERT_EQ(WriteWholeFile(path, "new", KeepPrevious::AsBackupWhenPossible, &outcome),
                  WriteStatus::Ok);
        EXPECT_EQ(outcome, c.kept ? BackupOutcome::Kept : BackupOutcome::NotKept);
        EXPECT_EQ(ReadFileBytes(path), QByteArray("new"));
        EXPECT_EQ(ReadFileBytes(victim), QByteArray("victim"));
        if (c.kept) {
            EXPECT_FALSE(QFileInfo(backup).isSymLink());
            EXPECT_EQ(ReadFileBytes(backup), c.old);
        } else if (!c.failSync) {
            // Refused as before when the backup must be kept.
            EXPECT_EQ(WriteWholeFile(path, "newer", KeepPrevious::AsBackup),
                      WriteStatus::CannotCreate);
            EXPECT_EQ(ReadFileBytes(path), QByteArray("new"));
        }
        QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner);
        if (!QDir().rmdir(backup))
            ::unlink(QFile::encodeName(backup));
        EXPECT_EQ(Entries(Folder()), QStringList{QStringLiteral("Indices.txt")});
    }
}

// Names are the system's bytes, UTF-8 or not: each one comes back whole.
TEST_F(FileIoTest, NamesThatAreNotUtf8AreUsedWithTheirOwnBytes) {
    const QByteArray names[] = {
        "\xc3\xa9t\xc3\xa9.clv",
        "\xe9t\xe9.clv",
        "\xed\xa0\x80.clv",
        "\xe2\x82",
    };
    for (const QByteArray &name : names) {
        SCOPED_TRACE(name.toHex().toStdString());
        const QString decoded = DecodeSystemPath(name);
        EXPECT_EQ(EncodeSystemPath(decoded), name);
        const QString path = Folder() + u'/' + decoded;
        EXPECT_EQ(EncodeSystemPath(FileUseLock::LockPathFor(path)),
                  QFile::encodeName(Folder()) + "/." + name + ".lock");
        ASSERT_EQ(WriteWholeFile(path, "CLV"), WriteStatus::Ok);
        EXPECT_EQ(ReadWholeFile(path).bytes, QByteArray("CLV"));
        ASSERT_TRUE(FileCalls().Remove(path));
    }
}

// The report can always be made again, so it is not flushed; every other
// file is, and a failed flush keeps its old content.
TEST_F(FileIoTest, OnlyARecomputableFileIsReplacedWithoutAFlush) {
    ASSERT_TRUE(WriteFileBytes(Path("report"), "old"));
    ASSERT_TRUE(WriteFileBytes(Path("data"), "old"));
    FaultyFiles faults;
    faults.Fail(FaultyFiles::kSync, EIO, QStringLiteral("calvor-"), FaultyFiles::kEvery);
    EXPECT_EQ(WriteRecomputableFile(Path("report"), "new"), WriteStatus::Ok);
    EXPECT_EQ(ReadFileBytes(Path("report")), "new");
    EXPECT_EQ(WriteWholeFile(Path("data"), "new"), WriteStatus::WriteFailed);
    EXPECT_EQ(ReadFileBytes(Path("data")), "old");
    EXPECT_EQ(Entries(Folder()), (QStringList{QStringLiteral("data"), QStringLiteral("report")}));
}

// Several files' leftovers in one sweep: each file's own temporary names go,
// not those of a file another copy holds.
TEST_F(FileIoTest, LeftoversOfSeveralFilesGoInOneSweep) {
    ASSERT_TRUE(QDir().mkpath(Path("sub")));
    const std::pair<QString, bool> leftovers[] = {
        {Path(".data.calvor-Ab3dE9"), false},
        {Path(".report.bak.calvor-0zZ911"), true}, // held
        {Path("sub/.conf.calvor-x1y2z3"), false},
        {Path(".conf.calvor-x1y2z3"), true}, // not one of the files
    };
    for (const auto &[name, stays] : leftovers)
        ASSERT_TRUE(WriteFileBytes(name, "x"));
    FileUseLock holder(Path("report"));
    ASSERT_TRUE(holder.Acquire());
    RemoveLeftoverFiles({Path("data"), Path("report"), Path("sub/conf")});
    for (const auto &[name, stays] : leftovers)
        EXPECT_EQ(QFileInfo::exists(name), stays) << name.toStdString();
}
