#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Whole-file reads and writes "without sharing": while the program uses a
// file, another copy of the program that asks for the same file is refused.
// Nothing on Linux enforces sharing modes, so the exclusion is an advisory
// lock on a companion file (".<name>.lock" beside the file, removed after
// use); a lock on the file itself would not survive the atomic replace.
// Folders where no lock can be made (read-only) are used without one. On
// Windows the file itself is also opened without sharing, so that other
// programs holding it open refuse it too.

enum class ReadStatus { Ok, CannotOpen };
enum class WriteStatus { Ok, CannotCreate, WriteFailed };

struct ReadResult {
    ReadStatus status = ReadStatus::CannotOpen;
    QByteArray bytes;
};

// Reads an existing file whole, or only its first `maxBytes` bytes when
// `maxBytes` is not negative. CannotOpen when it is missing, unreadable, not
// a regular file, or in use by another copy of the program.
ReadResult ReadWholeFile(const QString &path, qint64 maxBytes = -1);

// Replaces the file's content in one step: the bytes go to a temporary file
// in the same folder, are flushed to the disk, and the temporary file then
// takes the file's place, so a failure half-way leaves the old content whole.
// CannotCreate when the file or its folder is read-only, the name invalid, or
// the file in use by another copy of the program; WriteFailed when writing or
// committing failed after the file was created (for example a full disk).
// A file or folder without any write permission bit counts as read-only even
// for the superuser, as a read-only attribute would.
WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes);

class IMessageBoxService;

// Tells the user why a write failed, the same way for every file: message
// `cannotCreateId` when the file could not be created, the full-disk message
// with the file's full path when it could not be written out whole; both
// with the stop icon. True when the write succeeded.
bool ReportWriteStatus(IMessageBoxService &messages, WriteStatus status, const QString &path,
                       unsigned cannotCreateId);

// The advisory lock of a file, held for the life of the object.
class FileUseLock {
public:
    explicit FileUseLock(const QString &path);
    ~FileUseLock();
    FileUseLock(const FileUseLock &) = delete;
    FileUseLock &operator=(const FileUseLock &) = delete;

    // False when another process holds the file. A lock left behind by a
    // process that has ended is taken over.
    bool Acquire();

    // Name of the companion lock file of `path`.
    static QString LockPathFor(const QString &path);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
