#include "platform/file_io.h"

#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/string_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <string>
#include <sys/stat.h>
#endif

namespace {

constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// A file or folder that may not be written: the process lacks the right, or
// the entry carries no write permission bit at all (the superuser would pass
// the first test, but a read-only entry must stay read-only for it too).
bool IsReadOnly(const QFileInfo &info) {
    return !info.isWritable() || (info.permissions() & kAnyWrite) == 0;
}

#ifdef Q_OS_WIN
std::wstring NativePath(const QString &path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// Descriptor of the file opened with `access` and no sharing, or -1 when it
// cannot be opened or another program holds it open.
int OpenUnshared(const QString &path, int access) {
    int fd = -1;
    if (_wsopen_s(&fd, NativePath(path).c_str(), access | _O_BINARY, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
}

// True when no other program holds an existing file open.
bool FreeForWriting(const QString &path) {
    const int fd = OpenUnshared(path, _O_WRONLY);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
}
#endif

bool OpenForReading(QFile &file) {
#ifdef Q_OS_WIN
    const int fd = OpenUnshared(file.fileName(), _O_RDONLY);
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    _close(fd);
    return false;
#else
    return file.open(QIODevice::ReadOnly);
#endif
}

} // namespace

struct FileUseLock::Impl {
    explicit Impl(const QString &path)
        : lock(LockPathFor(path)) {}
    QLockFile lock;
    bool held = false;
};

FileUseLock::FileUseLock(const QString &path)
    : m_impl(std::make_unique<Impl>(path)) {}

FileUseLock::~FileUseLock() {
    if (m_impl->held)
        m_impl->lock.unlock();
}

bool FileUseLock::Acquire() {
    // tryLock removes a lock file whose process has ended before it gives up.
    if (m_impl->lock.tryLock(0)) {
        m_impl->held = true;
        return true;
    }
    // Only a lock held by another live process refuses the file; a folder
    // where no lock file can be made is used without the exclusion.
    return m_impl->lock.error() != QLockFile::LockFailedError;
}

QString FileUseLock::LockPathFor(const QString &path) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

ReadResult ReadWholeFile(const QString &path, qint64 maxBytes) {
    ReadResult result;
    if (path.isEmpty())
        return result;
    const QFileInfo info(path);
    // Only regular files: a device or a pipe could deliver bytes forever.
    if (!info.isFile())
        return result;
    FileUseLock lock(path);
    if (!lock.Acquire())
        return result;
    QFile file(path);
    if (!OpenForReading(file))
        return result;
    result.bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        return result;
    }
    result.status = ReadStatus::Ok;
    return result;
}

#ifndef Q_OS_WIN
namespace {

// True when the file at `path` holds exactly `bytes`.
bool HoldsExactly(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(bytes.size() + 1) == bytes;
}

} // namespace
#endif

WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes) {
    if (path.isEmpty())
        return WriteStatus::CannotCreate;
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && IsReadOnly(info)))
        return WriteStatus::CannotCreate;
#ifndef Q_OS_WIN
    // Windows folders often carry a read-only attribute that does not stop
    // files being created in them; elsewhere the folder's bits decide.
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || IsReadOnly(folder))
        return WriteStatus::CannotCreate;
#endif
#ifndef Q_OS_WIN
    // A file that already holds exactly these bytes is left as it is: the
    // index file is rewritten at every start, and replacing it unchanged
    // would only cost flushes to the disk. (On Windows the write goes on, so
    // that a file another program holds open is still reported.)
    if (info.exists() && info.size() == bytes.size() && HoldsExactly(path, bytes))
        return WriteStatus::Ok;
#endif
    FileUseLock lock(path);
    if (!lock.Acquire())
        return WriteStatus::CannotCreate;
#ifdef Q_OS_WIN
    if (info.exists() && !FreeForWriting(path))
        return WriteStatus::CannotCreate;
#endif
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteStatus::CannotCreate;
    // The explicit flush matters: commit() would rename a temporary file
    // whose buffered tail could not be written (a full disk) as if whole.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return WriteStatus::WriteFailed;
    }
    // commit() syncs the temporary file to the disk, then renames it.
    if (!file.commit())
        return WriteStatus::WriteFailed;
    return WriteStatus::Ok;
}

bool ReportWriteStatus(IMessageBoxService &messages, WriteStatus status, const QString &path,
                       unsigned cannotCreateId) {
    switch (status) {
    case WriteStatus::Ok:
        return true;
    case WriteStatus::CannotCreate:
        MessageBoxId(messages, cannotCreateId, MB_OK | MB_ICONSTOP);
        return false;
    case WriteStatus::WriteFailed:
        // The file was created but not written out whole; the old file is
        // still in place.
        MessageBox(
            messages,
            FormatFrameworkMessage(LoadString(IDS_DISK_FULL),
                                   QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
            MB_OK | MB_ICONSTOP);
        return false;
    }
    return false;
}
