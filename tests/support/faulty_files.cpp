#include "support/faulty_files.h"

#include <cerrno>
#include <csignal>

bool FaultyFiles::Fails(Call call, const QString &path) {
    if (++calls == m_killAt)
        std::raise(SIGKILL);
    for (Fault &f : m_faults) {
        if (f.call == call && path.contains(f.pathPart) && (++f.seen == f.nth || f.nth == kEvery)) {
            errno = f.error;
            return true;
        }
    }
    return false;
}

int FaultyFiles::Open(const QString &path, OpenFor purpose, int permissions) {
    const int fd = Fails(kOpen, path) ? -1 : FileSystemCalls::Open(path, purpose, permissions);
    if (fd >= 0)
        m_paths[fd] = path;
    return fd;
}

qint64 FaultyFiles::Read(int fd, char *data, qint64 size) {
    return Fails(kRead, m_paths[fd]) ? -1 : FileSystemCalls::Read(fd, data, size);
}

qint64 FaultyFiles::Write(int fd, const char *data, qint64 size) {
    return Fails(kWrite, m_paths[fd]) ? -1 : FileSystemCalls::Write(fd, data, size);
}

bool FaultyFiles::Sync(int fd) {
    return !Fails(kSync, m_paths[fd]) && FileSystemCalls::Sync(fd);
}

bool FaultyFiles::Close(int fd) {
    const bool failed = Fails(kClose, m_paths[fd]);
    m_paths.erase(fd);
    return FileSystemCalls::Close(fd) && !failed; // the descriptor goes either way
}

bool FaultyFiles::Rename(const QString &from, const QString &to) {
    return !Fails(kRename, to) && FileSystemCalls::Rename(from, to);
}

bool FaultyFiles::Remove(const QString &path) {
    return !Fails(kRemove, path) && FileSystemCalls::Remove(path);
}

void FaultyFiles::Pause(int milliseconds) {
    ++pauses;
    if (onPause)
        onPause();
    FileSystemCalls::Pause(milliseconds);
}
