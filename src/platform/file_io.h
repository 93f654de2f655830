#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Whole-file reads and writes of the program's files, "without sharing":
// while the program uses a file, another copy of the program that asks for
// the same file waits for it, a few seconds at most, and is then refused.
// Nothing on Linux enforces sharing modes, so the exclusion is a lock on a
// companion file (".<name>.lock" beside the file, removed after use); a lock
// on the file itself would not survive the atomic replace. Folders where no
// lock can be made (read-only) are used without one. On Windows the file
// itself is also opened without sharing, so that other programs holding it
// open refuse it too.
//
// A path that is a symbolic link is followed: the file it points to is read
// or replaced, in its own folder, and the link stays. Only regular files are
// read or replaced; a device, a pipe or a folder is refused. Every system
// call goes through FileCalls() (file_system.h).

enum class ReadStatus {
    Ok,
    Missing,    // no such file, or a link to nothing
    InUse,      // another copy of the program kept it past the wait
    CannotOpen, // not a regular file, or not readable
    ReadFailed, // opened, but reading it failed (a damaged medium)
};

struct ReadResult {
    ReadStatus status = ReadStatus::CannotOpen;
    QByteArray bytes; // empty unless Ok
};

// Reads an existing file whole, or only its first `maxBytes` bytes when
// `maxBytes` is not negative.
ReadResult ReadWholeFile(const QString &path, qint64 maxBytes = -1);

enum class WriteStatus {
    Ok,
    // Nothing was replaced: the file or its folder is read-only, the name
    // invalid, the file not a regular one, in use by another copy, or an
    // existing file that had to be read first could not be.
    CannotCreate,
    // The new bytes could not be written out whole and flushed to the disk
    // (for example a full disk); the old file is still in place.
    WriteFailed,
};

// AsBackup: nothing is replaced unless the previous file is kept.
// AsBackupWhenPossible: the new file is written even when the previous one
// cannot be kept (the backup's name taken by a folder, a pipe, a read-only
// file; a failed write of the backup), and the caller is told.
enum class KeepPrevious { No, AsBackup, AsBackupWhenPossible };

enum class BackupOutcome {
    NotNeeded, // no previous file, or one that already held the new bytes
    Kept,      // the previous file is now BackupPathFor(path)
    NotKept,   // the previous file could not be kept; it was replaced all the same
};

// A previous file larger than this is not copied into its backup: it is
// moved there whole instead, in one step and without reading it.
constexpr qint64 kMaxCopiedBackupBytes = 1024 * 1024;

// Replaces the file's content in one step: the bytes go to a temporary file
// in the same folder, are flushed to the disk, and the temporary file then
// takes the file's place, each step checked, so that a failure or a kill
// half-way leaves the old content whole. A file that already holds exactly
// these bytes is left as it is. With KeepPrevious::AsBackup an existing file
// whose bytes differ is first kept whole as BackupPathFor(path) (one
// generation); when it cannot be read or kept, nothing is replaced. With
// KeepPrevious::AsBackupWhenPossible only a previous file that cannot be
// read stops the write; `backup`, when given, says what became of it. A
// symbolic link at the backup's name is replaced itself, never written
// through.
// A file or folder without any write permission bit counts as read-only even
// for the superuser, as a read-only attribute would.
WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes,
                           KeepPrevious keep = KeepPrevious::No, BackupOutcome *backup = nullptr);

// The same for a file the program can always make again (the report): not
// flushed to the disk before it takes the file's place, which saves the
// flush's wait. A crash of the whole system soon after may then leave it old
// or incomplete; a calculation writes it again.
WriteStatus WriteRecomputableFile(const QString &path, const QByteArray &bytes);

// The same with the new bytes made by `edit` from the file's current bytes
// (empty when it does not exist), read under the same lock, so that two
// copies editing the file at once each keep the other's change. An existing
// file that cannot be read is left alone (CannotCreate).
WriteStatus EditWholeFile(const QString &path,
                          const std::function<QByteArray(const QByteArray &)> &edit);

// The file that `path` names once its symbolic links are followed, as an
// absolute path: the file that is read or replaced.
QString FollowedFilePath(const QString &path);

// True when something is at `path` (a link to nothing included).
bool PathExists(const QString &path);

// "<path>.bak".
QString BackupPathFor(const QString &path);

// Removes the temporary files that killed writes of `path` (and of its
// backup) left beside it; only the program's own temporary names, and only
// when no other copy of the program is using the file. Every write does the
// same before it replaces the file.
void RemoveLeftoverFiles(const QString &path);
// The same for several files, their folders listed once, a file's lock taken
// only when a temporary file of its own is there.
void RemoveLeftoverFiles(const QStringList &paths);

// The lock of a file, held for the life of the object. The lock is the
// system's (released when the process ends, however it ends), so a lock
// file that no running copy holds, empty or not, is taken over at once; one
// that cannot even be opened is taken over once it is older than a couple
// of seconds.
//
// The lock file's name lies in a folder others may write to (a shared
// folder), so nothing at that name is trusted: a symbolic link is never
// followed, a pipe never waited on, and only a regular file with no other
// name (no hard link) is locked; anything else refuses the file at once, as
// a file in use. The process number is written only into a lock file this
// process has just created, and on release the lock file is removed only
// when it was created here or holds nothing but a process number (a lock
// left by a killed copy): no other file is ever emptied, written or
// removed.
class FileUseLock {
public:
    static constexpr int kWaitMilliseconds = 3000;

    explicit FileUseLock(const QString &path);
    ~FileUseLock();
    FileUseLock(const FileUseLock &) = delete;
    FileUseLock &operator=(const FileUseLock &) = delete;

    // False when another copy of the program still holds the file after
    // the wait. True without any exclusion where no lock can be made.
    bool Acquire();
    // The same without waiting.
    bool TryAcquire();
    // True while the lock is held for real (not merely passed).
    bool Held() const;

    // Name of the companion lock file of `path`.
    static QString LockPathFor(const QString &path);

private:
    bool Take(int waitMilliseconds);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
