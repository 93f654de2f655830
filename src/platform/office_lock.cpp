#include "platform/office_lock.h"

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/system_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// A lock line is short; more than this is not a lock line.
constexpr qint64 kMaxLockBytes = 4096;

} // namespace

QString OfficeLockPathFor(const QString &documentPath) {
    return SystemPathFolder(documentPath) + QStringLiteral("/.~lock.") +
           SystemPathName(documentPath) + u'#';
}

QString OfficeLockHost(const QByteArray &line) {
    // Fields end at an unescaped ',' and the entry at an unescaped ';'; a
    // backslash takes the next character as it is.
    QByteArray field;
    int index = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            field += line[++i];
        } else if (c == ',' || c == ';' || c == '\n' || c == '\r') {
            if (index == 2)
                break;
            if (c != ',')
                return QString();
            field.clear();
            ++index;
        } else {
            field += c;
        }
    }
    return index == 2 ? QString::fromUtf8(field).trimmed() : QString();
}

bool SameHost(const QString &a, const QString &b) {
    const auto firstLabel = [](const QString &host) { return host.section(u'.', 0, 0); };
    return firstLabel(a).compare(firstLabel(b), Qt::CaseInsensitive) == 0;
}

WordProcessorLock
FindWordProcessorLock(const QString &documentPath, const QString &thisHost,
                      const std::function<bool(uint ownerId)> &wordProcessorRunsFor) {
    WordProcessorLock lock;
    lock.lockPath = OfficeLockPathFor(FollowedFilePath(documentPath));
    FileSystemCalls &calls = FileCalls();
    const int fd = calls.Open(lock.lockPath, FileSystemCalls::OpenFor::Reading);
    if (fd < 0) {
        // There, but unreadable: trusted. Missing, or a link planted at the
        // name: no lock.
        lock.unreadable = errno == EACCES || errno == EPERM;
        lock.held = lock.unreadable;
        return lock;
    }
    uint owner = 0;
#ifndef Q_OS_WIN
    // Checked on the open file: only a regular file is a lock, and reading a
    // pipe or a device of that name could wait for ever.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        calls.Close(fd);
        return lock;
    }
    owner = static_cast<uint>(st.st_uid);
#endif
    char bytes[kMaxLockBytes];
    const qint64 got = calls.Read(fd, bytes, kMaxLockBytes);
    calls.Close(fd);
    if (got < 0) {
        lock.unreadable = true;
        lock.held = true;
        return lock;
    }
    const QString host = OfficeLockHost(QByteArray(bytes, static_cast<qsizetype>(got)));
    lock.held = (!host.isEmpty() && !SameHost(host, thisHost)) || wordProcessorRunsFor(owner);
    return lock;
}

WordProcessorLock FindWordProcessorLock(const QString &documentPath) {
    return FindWordProcessorLock(documentPath, QSysInfo::machineHostName(), &WordProcessorRunsFor);
}

bool IsHeldByWordProcessor(const QString &documentPath, const QString &thisHost,
                           const std::function<bool(uint ownerId)> &wordProcessorRunsFor) {
    return FindWordProcessorLock(documentPath, thisHost, wordProcessorRunsFor).held;
}

bool IsHeldByWordProcessor(const QString &documentPath) {
    return FindWordProcessorLock(documentPath).held;
}

bool WordProcessorRunsFor(uint uid) {
#ifdef Q_OS_LINUX
    // Command names of the processes that write such locks: the office
    // suite's main process, its launcher and its start script.
    static const char *const kWordProcessorCommands[] = {"soffice.bin", "oosplash", "soffice"};
    const QDir proc(QStringLiteral("/proc"));
    const QStringList pids = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool isPid = false;
        pid.toUInt(&isPid);
        if (!isPid || QFileInfo(proc.filePath(pid)).ownerId() != uid)
            continue;
        QFile comm(proc.filePath(pid) + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly))
            continue; // ended meanwhile
        const QByteArray name = comm.read(64).trimmed();
        for (const char *command : kWordProcessorCommands) {
            if (name == command)
                return true;
        }
    }
    return false;
#else
    Q_UNUSED(uid);
    return true;
#endif
}
