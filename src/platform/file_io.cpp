#include "platform/file_io.h"

#include "platform/file_system.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cerrno>

#ifndef Q_OS_WIN
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using OpenFor = FileSystemCalls::OpenFor;

constexpr int kLockRetryMilliseconds = 20;
constexpr qint64 kStaleLockAgeMilliseconds = 2000;
constexpr int kLockRetriesAfterRemoval = 100;
constexpr int kMaxLinkHops = 32;
constexpr qint64 kReadChunk = 16 * 1024;
// Temporary files are ".<name>.calvor-" and six letters or digits: hidden,
// and unlike any name a user would give, so that leftovers can be removed
// without touching anything else.
constexpr char kTemporaryMark[] = ".calvor-";
constexpr int kTemporaryRandomChars = 6;
constexpr int kTemporaryNameAttempts = 16;

constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// A file or folder that may not be written: the process lacks the right, or
// the entry carries no write permission bit at all (the superuser would pass
// the first test, but a read-only entry must stay read-only for it too).
bool IsReadOnly(const QFileInfo &info) {
    return !info.isWritable() || (info.permissions() & kAnyWrite) == 0;
}

// The file that `path` names once its symbolic links are followed. A chain
// of links that does not end is left as it stands; opening it then fails.
QString FollowLinks(const QString &path) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymbolicLink())
            break;
        current = info.symLinkTarget();
    }
    return current;
}

// The Unix permission bits of an existing file, given to the file that
// replaces it; -1 where there are none.
int PermissionsOf(const QString &path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return -1;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
#endif
}

QString TemporaryPrefix(const QFileInfo &file) {
    return file.absolutePath() + QStringLiteral("/.") + file.fileName() +
           QLatin1String(kTemporaryMark);
}

bool IsTemporaryNameOf(const QString &entry, const QString &fileName) {
    const QString prefix = u'.' + fileName + QLatin1String(kTemporaryMark);
    if (entry.size() != prefix.size() + kTemporaryRandomChars || !entry.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < entry.size(); ++i) {
        const char16_t c = entry[i].unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

QString RandomChars() {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString out;
    for (int i = 0; i < kTemporaryRandomChars; ++i)
        out += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(62)]);
    return out;
}

// Removes the temporary files of `file` and of its backup. The caller holds
// the file's lock, so no other copy of the program is writing them.
void RemoveTemporaryFilesOf(const QFileInfo &file) {
    const QString backupName = QFileInfo(BackupPathFor(file.absoluteFilePath())).fileName();
    const QDir folder(file.absolutePath());
    const QStringList entries =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (IsTemporaryNameOf(entry, file.fileName()) || IsTemporaryNameOf(entry, backupName))
            FileCalls().Remove(folder.filePath(entry));
    }
}

// Reads the regular file at `path` (links already followed), without lock.
ReadResult ReadFileAt(const QString &path, qint64 maxBytes) {
    FileSystemCalls &calls = FileCalls();
    ReadResult result;
    const int fd = calls.Open(path, OpenFor::Reading);
    if (fd < 0) {
        result.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::CannotOpen;
        return result;
    }
#ifndef Q_OS_WIN
    // Checked on the open file, so that nothing can swap a device in between.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        calls.Close(fd);
        return result;
    }
#endif
    QByteArray bytes;
    char chunk[kReadChunk];
    for (;;) {
        qint64 wanted = kReadChunk;
        if (maxBytes >= 0)
            wanted = qMin(wanted, maxBytes - bytes.size());
        if (wanted <= 0)
            break;
        const qint64 got = calls.Read(fd, chunk, wanted);
        if (got < 0) {
            calls.Close(fd);
            result.status = ReadStatus::ReadFailed;
            return result;
        }
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    calls.Close(fd);
    result.status = ReadStatus::Ok;
    result.bytes = std::move(bytes);
    return result;
}

// Dates the new file `fd` at least a millisecond after the file it replaces:
// the system's clock may not have moved since (file times follow a coarse
// clock), and readers that look for changes by size and time, such as
// QSettings' cache of a settings file, would keep the old content.
void DateAfter(int fd, const QString &replaced) {
#ifndef Q_OS_LINUX
    Q_UNUSED(fd);
    Q_UNUSED(replaced);
#else
    struct stat old {};
    struct stat now {};
    if (::stat(QFile::encodeName(replaced).constData(), &old) != 0 || ::fstat(fd, &now) != 0)
        return;
    const auto milliseconds = [](const timespec &t) {
        return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    };
    if (milliseconds(now.st_mtim) > milliseconds(old.st_mtim))
        return;
    const long long later = milliseconds(old.st_mtim) + 1;
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(later / 1000);
    times[1].tv_nsec = static_cast<long>((later % 1000) * 1000000);
    ::futimens(fd, times);
#endif
}

bool WriteAll(FileSystemCalls &calls, int fd, const QByteArray &bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = calls.Write(fd, bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Replaces `file` (a regular file or none, links followed) with `bytes`
// through a temporary file in its folder.
WriteStatus ReplaceThroughTemporary(const QString &file, const QByteArray &bytes, int permissions,
                                    bool flush = true) {
    FileSystemCalls &calls = FileCalls();
    const QString prefix = TemporaryPrefix(QFileInfo(file));
    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = prefix + RandomChars();
        fd = calls.Open(temporary, OpenFor::CreatingNew, permissions);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return WriteStatus::CannotCreate;
    // A flush that fails is a failed write: the data may not be on the disk.
    const bool written = WriteAll(calls, fd, bytes) && (!flush || calls.Sync(fd));
    if (written)
        DateAfter(fd, file);
    const bool closed = calls.Close(fd);
    if (!written || !closed) {
        calls.Remove(temporary);
        return WriteStatus::WriteFailed;
    }
    if (!calls.Rename(temporary, file)) {
        calls.Remove(temporary);
        return WriteStatus::CannotCreate;
    }
    return WriteStatus::Ok;
}

// The checks that refuse a file before anything is written: not a regular
// file, read-only, or in a folder where no file can be created.
bool MayReplace(const QFileInfo &info) {
    if (info.exists() && (!info.isFile() || IsReadOnly(info)))
        return false;
#ifndef Q_OS_WIN
    // Windows folders often carry a read-only attribute that does not stop
    // files being created in them; elsewhere the folder's bits decide.
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || IsReadOnly(folder))
        return false;
#endif
    return true;
}

struct Replacement {
    std::function<QByteArray(const QByteArray &)> edit; // the new bytes from the old
    qint64 knownSize = -1; // size of the new bytes when they do not depend on the old
    bool keepBackup = false;
    bool flush = true; // flushed to the disk before it takes the file's place
};

WriteStatus Replace(const QString &path, const Replacement &how) {
    if (path.isEmpty())
        return WriteStatus::CannotCreate;
    const QString target = FollowLinks(path);
    const QFileInfo info(target);
    if (!MayReplace(info))
        return WriteStatus::CannotCreate;
    FileUseLock lock(target);
    if (!lock.Acquire())
        return WriteStatus::CannotCreate;

    const bool exists = info.exists();
    const bool oldNeeded = how.knownSize < 0 || how.keepBackup;
    ReadResult old;
    old.status = ReadStatus::Missing;
    // The old bytes are needed to edit them or keep them, and otherwise only
    // to leave a file that already holds the new bytes as it is.
    if (exists && (oldNeeded || info.size() == how.knownSize)) {
        old = ReadFileAt(target, -1);
        if (old.status != ReadStatus::Ok && old.status != ReadStatus::Missing && oldNeeded)
            return WriteStatus::CannotCreate;
    }
    const bool haveOld = old.status == ReadStatus::Ok;
    const QByteArray bytes = how.edit(old.bytes);
    if (haveOld && old.bytes == bytes)
        return WriteStatus::Ok;
    // Before a replacement, what killed writes left behind goes (a file left
    // as it is needs no listing of its folder).
    if (lock.Held())
        RemoveTemporaryFilesOf(info);

    const int permissions = exists ? PermissionsOf(target) : -1;
    if (how.keepBackup && haveOld) {
        const QString backup = FollowLinks(BackupPathFor(target));
        if (!MayReplace(QFileInfo(backup)))
            return WriteStatus::CannotCreate;
        const WriteStatus kept = ReplaceThroughTemporary(backup, old.bytes, permissions);
        if (kept != WriteStatus::Ok)
            return kept;
    }
    return ReplaceThroughTemporary(target, bytes, permissions, how.flush);
}

#ifndef Q_OS_WIN
qint64 AgeMilliseconds(const QFileInfo &info) {
    return info.lastModified().msecsTo(QDateTime::currentDateTime());
}

bool SameFile(int fd, const QString &path) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}
#endif

enum class Attempt { Taken, Held, NoLockPossible, Again };

} // namespace

ReadResult ReadWholeFile(const QString &path, qint64 maxBytes) {
    ReadResult result;
    if (path.isEmpty())
        return result;
    const QString target = FollowLinks(path);
    const QFileInfo info(target);
    if (!info.exists()) {
        result.status = ReadStatus::Missing;
        return result;
    }
    // Only regular files: a device or a pipe could deliver bytes forever.
    if (!info.isFile())
        return result;
    FileUseLock lock(target);
    if (!lock.Acquire()) {
        result.status = ReadStatus::InUse;
        return result;
    }
    return ReadFileAt(target, maxBytes);
}

WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes, KeepPrevious keep) {
    Replacement how;
    how.edit = [&bytes](const QByteArray &) { return bytes; };
    how.knownSize = bytes.size();
    how.keepBackup = keep == KeepPrevious::AsBackup;
    return Replace(path, how);
}

WriteStatus WriteRecomputableFile(const QString &path, const QByteArray &bytes) {
    Replacement how;
    how.edit = [&bytes](const QByteArray &) { return bytes; };
    how.knownSize = bytes.size();
    how.flush = false;
    return Replace(path, how);
}

WriteStatus EditWholeFile(const QString &path,
                          const std::function<QByteArray(const QByteArray &)> &edit) {
    Replacement how;
    how.edit = edit;
    return Replace(path, how);
}

QString BackupPathFor(const QString &path) {
    return path + QStringLiteral(".bak");
}

void RemoveLeftoverFiles(const QString &path) {
    if (path.isEmpty())
        return;
    const QString target = FollowLinks(path);
    FileUseLock lock(target);
    if (lock.TryAcquire() && lock.Held())
        RemoveTemporaryFilesOf(QFileInfo(target));
}

void RemoveLeftoverFiles(const QStringList &paths) {
    // One listing of each folder; a file's lock is taken only when a
    // temporary file of its own lies there, which after a normal run none
    // does.
    QHash<QString, QStringList> listings;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        const QFileInfo target(FollowLinks(path));
        const QString folder = target.absolutePath();
        auto listing = listings.find(folder);
        if (listing == listings.end())
            listing = listings.insert(folder, QDir(folder).entryList({QStringLiteral(".*")},
                                                                     QDir::Files | QDir::Hidden |
                                                                         QDir::System |
                                                                         QDir::NoDotAndDotDot,
                                                                     QDir::Unsorted));
        const QString backupName = QFileInfo(BackupPathFor(target.absoluteFilePath())).fileName();
        const bool leftover =
            std::any_of(listing->cbegin(), listing->cend(), [&](const QString &e) {
                return IsTemporaryNameOf(e, target.fileName()) || IsTemporaryNameOf(e, backupName);
            });
        if (leftover)
            RemoveLeftoverFiles(path);
    }
}

struct FileUseLock::Impl {
    QString lockPath;
    int fd = -1;
    bool passed = false; // acquired, with or without a real lock

    Attempt TryOnce();
};

Attempt FileUseLock::Impl::TryOnce() {
    FileSystemCalls &calls = FileCalls();
    const int opened = calls.Open(lockPath, OpenFor::Locking);
    if (opened < 0) {
        const QFileInfo info(lockPath);
        // No lock file and none can be made: a read-only folder.
        if (!info.exists())
            return Attempt::NoLockPossible;
#ifdef Q_OS_WIN
        // Held open without sharing by another copy; it goes when closed.
        return Attempt::Held;
#else
        // A lock file that cannot even be opened tells nothing of its holder:
        // once it is older than any lock in use it is stale.
        if (AgeMilliseconds(info) > kStaleLockAgeMilliseconds && calls.Remove(lockPath))
            return Attempt::Again;
        return Attempt::Held;
#endif
    }
#ifndef Q_OS_WIN
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        calls.Close(opened);
        return error == EWOULDBLOCK ? Attempt::Held : Attempt::NoLockPossible;
    }
    // A holder removes the lock file before it lets go: a file removed or
    // replaced between the open and the lock is no longer the lock.
    if (!SameFile(opened, lockPath)) {
        calls.Close(opened);
        return Attempt::Again;
    }
    // The holder's process number, for whoever looks; the system's lock is
    // what counts, so an empty file (a kill before this write) is harmless.
    if (::ftruncate(opened, 0) == 0) {
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        calls.Write(opened, pid.constData(), pid.size());
    }
#endif
    fd = opened;
    return Attempt::Taken;
}

FileUseLock::FileUseLock(const QString &path)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->lockPath = LockPathFor(path);
}

FileUseLock::~FileUseLock() {
    if (m_impl->fd < 0)
        return;
#ifndef Q_OS_WIN
    // Removed while still held, so that nobody locks a file on its way out.
    FileCalls().Remove(m_impl->lockPath);
#endif
    FileCalls().Close(m_impl->fd);
}

bool FileUseLock::Acquire() {
    return Take(kWaitMilliseconds);
}

bool FileUseLock::TryAcquire() {
    return Take(0);
}

bool FileUseLock::Held() const {
    return m_impl->fd >= 0;
}

bool FileUseLock::Take(int waitMilliseconds) {
    if (m_impl->passed)
        return true;
    QElapsedTimer clock;
    clock.start();
    int retries = 0;
    for (;;) {
        switch (m_impl->TryOnce()) {
        case Attempt::Taken:
        case Attempt::NoLockPossible:
            m_impl->passed = true;
            return true;
        case Attempt::Again:
            if (++retries < kLockRetriesAfterRemoval)
                continue;
            return false;
        case Attempt::Held:
            break;
        }
        if (clock.elapsed() >= waitMilliseconds)
            return false;
        FileCalls().Pause(kLockRetryMilliseconds);
    }
}

QString FileUseLock::LockPathFor(const QString &path) {
    const QFileInfo info(FollowLinks(path));
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}
