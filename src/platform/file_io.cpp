#include "platform/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

struct FileUseLock::Impl {
    explicit Impl(const QString &path) : lock(LockPathFor(path)) {}
    QLockFile lock;
    bool held = false;
};

FileUseLock::FileUseLock(const QString &path) : m_impl(std::make_unique<Impl>(path)) {}

FileUseLock::~FileUseLock()
{
    if (m_impl->held)
        m_impl->lock.unlock();
}

bool FileUseLock::Acquire()
{
    if (m_impl->lock.tryLock(0)) {
        m_impl->held = true;
        return true;
    }
    // Only a lock held by another live process refuses the file; a folder
    // where no lock file can be made is used without the exclusion.
    return m_impl->lock.error() != QLockFile::LockFailedError;
}

QString FileUseLock::LockPathFor(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".lock");
}

ReadResult ReadWholeFile(const QString &path)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return result;
    FileUseLock lock(path);
    if (!lock.Acquire())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        return result;
    }
    result.status = ReadStatus::Ok;
    return result;
}

WriteStatus WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir() || (info.exists() && !info.isWritable()))
        return WriteStatus::CannotCreate;
    FileUseLock lock(path);
    if (!lock.Acquire())
        return WriteStatus::CannotCreate;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteStatus::CannotCreate;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return WriteStatus::WriteFailed;
    }
    if (!file.commit())
        return WriteStatus::WriteFailed;
    return WriteStatus::Ok;
}
