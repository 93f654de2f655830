#include "platform/file_io.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// The child side of the two-process tests: run by re-starting this test
// binary with the path in CALVOR_LOCK_PATH, it holds the file's lock, says so
// on its output and keeps the lock until its input closes (or it is killed).
const char kLockEnv[] = "CALVOR_LOCK_PATH";
const char kHeldMarker[] = "CALVOR-LOCK-HELD";

QStringList Entries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
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

TEST_F(FileIoTest, PathsThatAreNoRegularFileAreRefused) {
    const struct {
        QString path;
        bool writeRefused; // checked only where no file may be created
    } cases[] = {
        {QString(), true},
        {Path(QStringLiteral("missing.txt")), false},
        {Folder(), true},
        {Path(QStringLiteral("missing-folder/file.txt")), true},
        {QStringLiteral("/dev/zero"), false}, // would deliver bytes forever
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const ReadResult read = ReadWholeFile(c.path);
        EXPECT_EQ(read.status, ReadStatus::CannotOpen);
        EXPECT_TRUE(read.bytes.isEmpty());
        if (c.writeRefused) {
            EXPECT_EQ(WriteWholeFile(c.path, "abc"), WriteStatus::CannotCreate);
        }
    }
    EXPECT_TRUE(Entries(Folder()).isEmpty());
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
        EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::CannotOpen);
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

    EXPECT_EQ(ReadWholeFile(path).status, ReadStatus::CannotOpen);
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
