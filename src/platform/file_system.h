#pragma once

#include <QString>
#include <QtGlobal>

// The operating system's file calls, as the file layer (file_io.h) makes
// them. Every such call goes through the one instance in use, so that a test
// can put a subclass in its place that makes any call fail, or ends the
// process, at the moment it chooses: a damaged disk, a full disk, a failed
// flush or a kill half-way through a write. The base class makes the real
// calls; a subclass overrides only what it changes and calls the base for
// the rest.
//
// Descriptors are the C library's (the C runtime's on Windows). A failed
// call returns -1 or false with errno set, as the system call does.
class FileSystemCalls {
public:
    enum class OpenFor {
        Reading,      // an existing file, read only, never blocking on a pipe
        CreatingNew,  // a file that must not exist yet, write only
        Locking,      // an existing lock file, read and write (read only when
                      // it may not be written); on Windows created when
                      // missing, held without sharing and deleted when closed
        CreatingLock, // a lock file that must not exist yet, read and write;
                      // on Windows the same as Locking
    };
    // On Unix no purpose opens through a symbolic link at the name itself
    // or waits on a pipe; the caller checks what it opened (fstat).

    FileSystemCalls() = default;
    virtual ~FileSystemCalls() = default;
    FileSystemCalls(const FileSystemCalls &) = delete;
    FileSystemCalls &operator=(const FileSystemCalls &) = delete;

    // `permissions` (Unix permission bits) are given to a new file exactly,
    // whatever the process's mask; -1 leaves the usual default.
    virtual int Open(const QString &path, OpenFor purpose, int permissions = -1);
    virtual qint64 Read(int fd, char *data, qint64 size);
    virtual qint64 Write(int fd, const char *data, qint64 size);
    // Flushes the file's data to the disk.
    virtual bool Sync(int fd);
    virtual bool Close(int fd);
    // Puts `from` in the place of `to` in one step, replacing it.
    virtual bool Rename(const QString &from, const QString &to);
    virtual bool Remove(const QString &path);
    // Waits before a lock held by another copy is tried again.
    virtual void Pause(int milliseconds);
};

// The calls in use: the real ones unless a test has put others in place.
FileSystemCalls &FileCalls();

// Puts `calls` in use for the life of the object, then the previous ones
// back.
class ScopedFileCalls {
public:
    explicit ScopedFileCalls(FileSystemCalls &calls);
    ~ScopedFileCalls();
    ScopedFileCalls(const ScopedFileCalls &) = delete;
    ScopedFileCalls &operator=(const ScopedFileCalls &) = delete;

private:
    FileSystemCalls *m_previous;
};
