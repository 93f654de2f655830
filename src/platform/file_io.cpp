#include "platform/file_io.h"

#include "platform/file_system.h"
#include "platform/system_path.h"

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
#include <dirent.h>
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

// A lock file holds a process number and a line end, nothing more.
constexpr qint64 kMaxLockFileBytes = 32;

// What the system says of a name, without following a link at the name
// itself (links are followed beforehand, where they are to be).
struct Entry {
    bool exists = false;
    bool isLink = false;
    bool isFile = false; // a regular file
    // May not be written: the process lacks the right, or the entry carries
    // no write permission bit at all (the superuser would pass the first
    // test, but a read-only entry must stay read-only for it too).
    bool readOnly = false;
    qint64 size = 0;
};

#ifdef Q_OS_WIN
constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

Entry EntryAt(const QString &path) {
    const QFileInfo info(path);
    Entry entry;
    entry.exists = info.exists() || info.isSymLink();
    entry.isLink = info.isSymLink();
    entry.isFile = !entry.isLink && info.isFile();
    entry.readOnly = !info.isWritable() || (info.permissions() & kAnyWrite) == 0;
    entry.size = info.size();
    return entry;
}
#else
bool LinkStatus(const QString &path, struct stat &st) {
    return ::lstat(EncodeSystemPath(path).constData(), &st) == 0;
}

qint64 MillisecondsOf(const timespec &t) {
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

Entry EntryAt(const QString &path) {
    Entry entry;
    struct stat st {};
    if (!LinkStatus(path, st))
        return entry;
    entry.exists = true;
    entry.isLink = S_ISLNK(st.st_mode);
    entry.isFile = S_ISREG(st.st_mode);
    entry.readOnly = ::access(EncodeSystemPath(path).constData(), W_OK) != 0 ||
                     (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    entry.size = static_cast<qint64>(st.st_size);
    return entry;
}
#endif

QString FolderOf(const QString &path) {
    return SystemPathFolder(path);
}

// The file that `path` names once its symbolic links are followed. A chain
// of links that does not end is left as it stands; opening it then fails.
QString FollowLinks(const QString &path) {
    QString current = AbsoluteSystemPath(path);
#ifdef Q_OS_WIN
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymbolicLink())
            break;
        current = info.symLinkTarget();
    }
#else
    // Read with the system's bytes, so that a name that is not UTF-8 is
    // followed too.
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QByteArray native = EncodeSystemPath(current);
        char target[4096];
        const ssize_t length = ::readlink(native.constData(), target, sizeof target);
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof target))
            break;
        QString next = DecodeSystemPath(QByteArrayView(target, length));
        if (!next.startsWith(u'/'))
            next = FolderOf(current) + u'/' + next;
        current = QDir::cleanPath(next);
    }
#endif
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
    if (!LinkStatus(path, st))
        return -1;
    return static_cast<int>(st.st_mode & 07777);
#endif
}

// The names in `folder`, hidden ones included.
QStringList FolderEntries(const QString &folder) {
#ifdef Q_OS_WIN
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
#else
    QStringList names;
    DIR *dir = ::opendir(EncodeSystemPath(folder).constData());
    if (dir == nullptr)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names.append(DecodeSystemPath(name));
    }
    ::closedir(dir);
    return names;
#endif
}

QString TemporaryPrefix(const QString &file) {
    return SystemPathFolder(file) + QStringLiteral("/.") + SystemPathName(file) +
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
void RemoveTemporaryFilesOf(const QString &file) {
    const QString name = SystemPathName(file);
    const QString backupName = name + QStringLiteral(".bak");
    const QString folder = SystemPathFolder(file);
    for (const QString &entry : FolderEntries(folder)) {
        if (IsTemporaryNameOf(entry, name) || IsTemporaryNameOf(entry, backupName)) {
            const QString path = folder + u'/' + entry;
            if (EntryAt(path).isFile)
                FileCalls().Remove(path);
        }
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
    if (!LinkStatus(replaced, old) || ::fstat(fd, &now) != 0)
        return;
    if (MillisecondsOf(now.st_mtim) > MillisecondsOf(old.st_mtim))
        return;
    const long long later = MillisecondsOf(old.st_mtim) + 1;
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

// Writes `bytes` to a new temporary file beside `file`, flushed to the disk
// unless `flush` is false; `temporary` names it on success.
WriteStatus WriteTemporary(const QString &file, const QByteArray &bytes, int permissions,
                           QString &temporary, bool flush = true) {
    FileSystemCalls &calls = FileCalls();
    const QString prefix = TemporaryPrefix(file);
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
    return WriteStatus::Ok;
}

// Puts the written `temporary` in the place of `file`.
WriteStatus PutInPlace(const QString &temporary, const QString &file) {
    if (!FileCalls().Rename(temporary, file)) {
        FileCalls().Remove(temporary);
        return WriteStatus::CannotCreate;
    }
    return WriteStatus::Ok;
}

// Replaces `file` (a regular file or none, links followed) with `bytes`
// through a temporary file in its folder.
WriteStatus ReplaceThroughTemporary(const QString &file, const QByteArray &bytes, int permissions,
                                    bool flush = true) {
    QString temporary;
    const WriteStatus written = WriteTemporary(file, bytes, permissions, temporary, flush);
    return written == WriteStatus::Ok ? PutInPlace(temporary, file) : written;
}

// The folder checks that refuse a file before anything is written: a folder
// where no file can be created.
bool MayCreateIn(const QString &folder) {
#ifdef Q_OS_WIN
    // Windows folders often carry a read-only attribute that does not stop
    // files being created in them.
    Q_UNUSED(folder);
    return true;
#else
    // Links to the folder are followed: the folder is the user's choice.
    const QByteArray native = EncodeSystemPath(folder);
    struct stat st {};
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(native.constData(), W_OK) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
#endif
}

// The checks that refuse a file before anything is written: not a regular
// file, read-only, or in a folder where no file can be created.
bool MayReplace(const QString &file) {
    const Entry entry = EntryAt(file);
    if (entry.exists && (!entry.isFile || entry.readOnly))
        return false;
    return MayCreateIn(FolderOf(file));
}

// The backup's name may hold nothing, a file that may be replaced, or a
// link, which is replaced itself: whatever it points to is not ours to
// write. A folder, a pipe, a device or a read-only file keeps its place.
bool MayReplaceBackup(const QString &backup) {
    const Entry entry = EntryAt(backup);
    return !entry.exists || entry.isLink || (entry.isFile && !entry.readOnly);
}

struct Replacement {
    std::function<QByteArray(const QByteArray &)> edit; // the new bytes from the old
    qint64 knownSize = -1; // size of the new bytes when they do not depend on the old
    KeepPrevious keep = KeepPrevious::No;
    BackupOutcome *backup = nullptr;
    bool flush = true; // flushed to the disk before it takes the file's place
};

WriteStatus Replace(const QString &path, const Replacement &how) {
    BackupOutcome unused = BackupOutcome::NotNeeded;
    BackupOutcome &backupOutcome = how.backup ? *how.backup : unused;
    backupOutcome = BackupOutcome::NotNeeded;
    if (path.isEmpty())
        return WriteStatus::CannotCreate;
    const QString target = FollowLinks(path);
    if (!MayReplace(target))
        return WriteStatus::CannotCreate;
    FileUseLock lock(target);
    if (!lock.Acquire())
        return WriteStatus::CannotCreate;

    const Entry info = EntryAt(target);
    const bool exists = info.exists;
    const bool keepBackup = how.keep != KeepPrevious::No;
    const bool oldNeeded = how.knownSize < 0 || keepBackup;
    // A previous file too large to be copied into its backup is only read
    // as far as needed to know that; it is then moved there whole.
    const qint64 oldLimit = keepBackup && how.knownSize >= 0 ? kMaxCopiedBackupBytes + 1 : -1;
    ReadResult old;
    old.status = ReadStatus::Missing;
    // The old bytes are needed to edit them or keep them, and otherwise only
    // to leave a file that already holds the new bytes as it is.
    if (exists && (oldNeeded || info.size == how.knownSize)) {
        old = ReadFileAt(target, oldLimit);
        if (old.status != ReadStatus::Ok && old.status != ReadStatus::Missing && oldNeeded)
            return WriteStatus::CannotCreate;
    }
    const bool haveOld = old.status == ReadStatus::Ok;
    const bool oldTooLarge = oldLimit >= 0 && old.bytes.size() >= oldLimit;
    const QByteArray bytes = how.edit(old.bytes);
    if (haveOld && !oldTooLarge && old.bytes == bytes)
        return WriteStatus::Ok;
    // Before a replacement, what killed writes left behind goes (a file left
    // as it is needs no listing of its folder).
    if (lock.Held())
        RemoveTemporaryFilesOf(target);

    const int permissions = exists ? PermissionsOf(target) : -1;
    if (!keepBackup || !haveOld)
        return ReplaceThroughTemporary(target, bytes, permissions, how.flush);

    const bool strict = how.keep == KeepPrevious::AsBackup;
    const QString backup = BackupPathFor(target);
    if (oldTooLarge) {
        // The new file is ready before the old one moves, so that only the
        // instant between the two renames lacks the file.
        QString temporary;
        const WriteStatus written = WriteTemporary(target, bytes, permissions, temporary);
        if (written != WriteStatus::Ok)
            return written;
        const bool moved = MayReplaceBackup(backup) && FileCalls().Rename(target, backup);
        if (!moved && strict) {
            FileCalls().Remove(temporary);
            return WriteStatus::CannotCreate;
        }
        backupOutcome = moved ? BackupOutcome::Kept : BackupOutcome::NotKept;
        return PutInPlace(temporary, target);
    }
    const WriteStatus kept = MayReplaceBackup(backup)
                                 ? ReplaceThroughTemporary(backup, old.bytes, permissions)
                                 : WriteStatus::CannotCreate;
    if (kept != WriteStatus::Ok && strict)
        return kept;
    backupOutcome = kept == WriteStatus::Ok ? BackupOutcome::Kept : BackupOutcome::NotKept;
    return ReplaceThroughTemporary(target, bytes, permissions, how.flush);
}

#ifndef Q_OS_WIN
// True while `path` still names the file open as `fd` (a link at the name
// is another file).
bool SameFile(int fd, const QString &path) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && LinkStatus(path, named) && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Only a regular file with no other name may serve as the lock: a link
// planted at the name, a pipe or a device is never one, and a hard link
// would share the lock's bytes with another file.
bool UsableAsLock(const struct stat &st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

// True when the open lock file holds nothing but a process number: what a
// copy of the program leaves when it is killed while holding it.
bool HoldsOnlyAProcessNumber(int fd, const struct stat &st) {
    if (st.st_size > kMaxLockFileBytes)
        return false;
    char bytes[kMaxLockFileBytes + 1];
    const qint64 got = FileCalls().Read(fd, bytes, sizeof bytes);
    if (got < 0 || got > kMaxLockFileBytes)
        return false;
    for (qint64 i = 0; i < got; ++i) {
        if (!((bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == '\n'))
            return false;
    }
    return true;
}
#endif

enum class Attempt { Taken, Held, NoLockPossible, Again, Refused };

} // namespace

ReadResult ReadWholeFile(const QString &path, qint64 maxBytes) {
    ReadResult result;
    if (path.isEmpty())
        return result;
    const QString target = FollowLinks(path);
    const Entry info = EntryAt(target);
    // A link still there after the links were followed ends nowhere.
    if (!info.exists || info.isLink) {
        result.status = ReadStatus::Missing;
        return result;
    }
    // Only regular files: a device or a pipe could deliver bytes forever.
    if (!info.isFile)
        return result;
    FileUseLock lock(target);
    if (!lock.Acquire()) {
        result.status = ReadStatus::InUse;
        return result;
    }
    return ReadFileAt(target, maxBytes);
}

WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes, KeepPrevious keep,
                           BackupOutcome *backup) {
    Replacement how;
    how.edit = [&bytes](const QByteArray &) { return bytes; };
    how.knownSize = bytes.size();
    how.keep = keep;
    how.backup = backup;
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

QString FollowedFilePath(const QString &path) {
    return FollowLinks(path);
}

bool PathExists(const QString &path) {
    return !path.isEmpty() && EntryAt(path).exists;
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
        RemoveTemporaryFilesOf(target);
}

void RemoveLeftoverFiles(const QStringList &paths) {
    // One listing of each folder; a file's lock is taken only when a
    // temporary file of its own lies there, which after a normal run none
    // does.
    QHash<QString, QStringList> listings;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        const QString target = FollowLinks(path);
        const QString folder = SystemPathFolder(target);
        auto listing = listings.find(folder);
        if (listing == listings.end())
            listing = listings.insert(folder, FolderEntries(folder));
        const QString name = SystemPathName(target);
        const QString backupName = name + QStringLiteral(".bak");
        const bool leftover =
            std::any_of(listing->cbegin(), listing->cend(), [&](const QString &e) {
                return IsTemporaryNameOf(e, name) || IsTemporaryNameOf(e, backupName);
            });
        if (leftover)
            RemoveLeftoverFiles(path);
    }
}

struct FileUseLock::Impl {
    QString lockPath;
    int fd = -1;
    bool passed = false;    // acquired, with or without a real lock
    bool removable = false; // the lock file may be removed on release

    Attempt TryOnce();
};

Attempt FileUseLock::Impl::TryOnce() {
    FileSystemCalls &calls = FileCalls();
#ifdef Q_OS_WIN
    const int opened = calls.Open(lockPath, OpenFor::Locking);
    if (opened < 0) {
        // No lock file and none can be made: a read-only folder. Otherwise
        // held open without sharing by another copy; it goes when closed.
        return EntryAt(lockPath).exists ? Attempt::Held : Attempt::NoLockPossible;
    }
    fd = opened;
    return Attempt::Taken;
#else
    bool created = true;
    int opened = calls.Open(lockPath, OpenFor::CreatingLock);
    if (opened < 0 && errno == EEXIST) {
        created = false;
        opened = calls.Open(lockPath, OpenFor::Locking);
        if (opened < 0 && errno == ENOENT)
            return Attempt::Again; // its holder removed it meanwhile
    }
    if (opened < 0) {
        struct stat st {};
        // No lock file and none can be made: a read-only folder.
        if (!LinkStatus(lockPath, st))
            return errno == ENOENT ? Attempt::NoLockPossible : Attempt::Refused;
        if (!UsableAsLock(st))
            return Attempt::Refused;
        // A lock file that cannot even be opened tells nothing of its holder:
        // once it is older than any lock in use it is stale.
        const qint64 age = QDateTime::currentMSecsSinceEpoch() - MillisecondsOf(st.st_mtim);
        if (age > kStaleLockAgeMilliseconds && calls.Remove(lockPath))
            return Attempt::Again;
        return Attempt::Held;
    }
    struct stat st {};
    if (::fstat(opened, &st) != 0 || !UsableAsLock(st)) {
        calls.Close(opened);
        return Attempt::Refused;
    }
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
    if (created) {
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        calls.Write(opened, pid.constData(), pid.size());
    }
    removable = created || HoldsOnlyAProcessNumber(opened, st);
    fd = opened;
    return Attempt::Taken;
#endif
}

FileUseLock::FileUseLock(const QString &path)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->lockPath = LockPathFor(path);
}

FileUseLock::~FileUseLock() {
    if (m_impl->fd < 0)
        return;
#ifndef Q_OS_WIN
    // Removed while still held, so that nobody locks a file on its way out;
    // only the lock file itself, never what took its name meanwhile.
    if (m_impl->removable && SameFile(m_impl->fd, m_impl->lockPath))
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
        case Attempt::Refused:
            return false;
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
    const QString file = FollowLinks(path);
    return SystemPathFolder(file) + QStringLiteral("/.") + SystemPathName(file) +
           QStringLiteral(".lock");
}
