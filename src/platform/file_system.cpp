#include "platform/file_system.h"

#include <QThread>

#include <cerrno>
#include <climits>

#include "platform/system_path.h"
#include "platform/windows_api.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <string>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

FileSystemCalls *g_current = nullptr;

#ifndef Q_OS_WIN
// The result of `call`, made again while a signal interrupted it.
template<class Call> auto RetriedWhenInterrupted(Call call) {
    auto result = call();
    while (result < 0 && errno == EINTR)
        result = call();
    return result;
}
#endif

#ifdef Q_OS_WIN
std::wstring NativePath(const QString &path) {
    return QDir::toNativeSeparators(path).toStdWString();
}
#else
QByteArray NativePath(const QString &path) {
    return EncodeSystemPath(path);
}
#endif

} // namespace

int FileSystemCalls::Open(const QString &path, OpenFor purpose, int permissions) {
#ifdef Q_OS_WIN
    // Files are opened without sharing, so that another program holding one
    // open refuses it, as the program always did on Windows.
    int flags = _O_BINARY | _O_NOINHERIT;
    switch (purpose) {
    case OpenFor::Reading:
        flags |= _O_RDONLY;
        break;
    case OpenFor::CreatingNew:
        flags |= _O_WRONLY | _O_CREAT | _O_EXCL;
        break;
    case OpenFor::Locking:
    case OpenFor::CreatingLock:
        flags |= _O_RDWR | _O_CREAT | _O_TEMPORARY;
        break;
    }
    Q_UNUSED(permissions);
    int fd = -1;
    if (_wsopen_s(&fd, NativePath(path).c_str(), flags, _SH_DENYRW, _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
#else
    // A link planted at the name is never followed and a pipe or a device
    // never waited on: what a name leads to is for the caller to check.
    int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
    switch (purpose) {
    case OpenFor::Reading:
        flags |= O_RDONLY;
        break;
    case OpenFor::CreatingNew:
        flags |= O_WRONLY | O_CREAT | O_EXCL;
        break;
    case OpenFor::Locking:
        flags |= O_RDWR;
        break;
    case OpenFor::CreatingLock:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    const QByteArray native = NativePath(path);
    int fd = RetriedWhenInterrupted([&] { return ::open(native.constData(), flags, 0666); });
    // Another user's lock file may be read but not written: a lock on a
    // descriptor opened for reading still excludes.
    if (fd < 0 && errno == EACCES && purpose == OpenFor::Locking) {
        const int readOnly = (flags & ~O_RDWR) | O_RDONLY;
        fd = RetriedWhenInterrupted([&] { return ::open(native.constData(), readOnly); });
    }
    if (fd >= 0 && permissions >= 0 && purpose == OpenFor::CreatingNew)
        ::fchmod(fd, static_cast<mode_t>(permissions)); // best effort, as a copy would
    return fd;
#endif
}

qint64 FileSystemCalls::Read(int fd, char *data, qint64 size) {
#ifdef Q_OS_WIN
    return _read(fd, data, static_cast<unsigned>(qMin<qint64>(size, INT_MAX)));
#else
    return RetriedWhenInterrupted([&] { return ::read(fd, data, static_cast<size_t>(size)); });
#endif
}

qint64 FileSystemCalls::Write(int fd, const char *data, qint64 size) {
#ifdef Q_OS_WIN
    return _write(fd, data, static_cast<unsigned>(qMin<qint64>(size, INT_MAX)));
#else
    return RetriedWhenInterrupted([&] { return ::write(fd, data, static_cast<size_t>(size)); });
#endif
}

bool FileSystemCalls::Sync(int fd) {
#ifdef Q_OS_WIN
    return _commit(fd) == 0;
#elif defined(Q_OS_LINUX)
    return ::fdatasync(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

bool FileSystemCalls::Close(int fd) {
#ifdef Q_OS_WIN
    return _close(fd) == 0;
#else
    // The descriptor is gone whatever close says; EINTR is not retried.
    return ::close(fd) == 0;
#endif
}

bool FileSystemCalls::Rename(const QString &from, const QString &to) {
#ifdef Q_OS_WIN
    return MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return ::rename(NativePath(from).constData(), NativePath(to).constData()) == 0;
#endif
}

bool FileSystemCalls::Remove(const QString &path) {
#ifdef Q_OS_WIN
    return _wunlink(NativePath(path).c_str()) == 0;
#else
    return ::unlink(NativePath(path).constData()) == 0;
#endif
}

void FileSystemCalls::Pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

FileSystemCalls &FileCalls() {
    static FileSystemCalls real;
    return g_current ? *g_current : real;
}

ScopedFileCalls::ScopedFileCalls(FileSystemCalls &calls)
    : m_previous(g_current) {
    g_current = &calls;
}

ScopedFileCalls::~ScopedFileCalls() {
    g_current = m_previous;
}
