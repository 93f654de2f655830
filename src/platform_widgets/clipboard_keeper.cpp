#include "platform_widgets/clipboard_keeper.h"

#include <QClipboard>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QVariant>

#include <cstring>
#include <memory>

#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#if __GLIBC_PREREQ(2, 34)
#define CALVOR_CLIPBOARD_KEEPER 1
#endif
#endif

#ifdef CALVOR_CLIPBOARD_KEEPER
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

namespace {

constexpr char kKeeperName[] = "calvor-clipboard-keeper";
constexpr quint32 kMagic = 0x434c564b; // "CLVK"
// Held as a value beside the bytes: written and restored on its own.
const QString kImageFormat = QStringLiteral("application/x-qt-image");

} // namespace

bool IsClipboardKeeperRun(int argc, char **argv) {
    return argc >= 1 && argv[0] != nullptr && std::strcmp(argv[0], kKeeperName) == 0;
}

QByteArray SerializeMimeData(const QMimeData &data) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    QStringList formats = data.formats();
    formats.removeAll(kImageFormat);
    out << kMagic << static_cast<qint32>(formats.size());
    for (const QString &format : formats)
        out << format << data.data(format);
    out << data.hasImage();
    if (data.hasImage())
        out << data.imageData();
    out << data.hasColor();
    if (data.hasColor())
        out << data.colorData();
    return bytes;
}

QMimeData *DeserializeMimeData(const QByteArray &bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    qint32 count = -1;
    in >> magic >> count;
    if (magic != kMagic || count < 0)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString format;
        QByteArray value;
        in >> format >> value;
        data->setData(format, value);
    }
    bool hasValue = false;
    QVariant value;
    in >> hasValue;
    if (hasValue) {
        in >> value;
        data->setImageData(value);
    }
    in >> hasValue;
    if (hasValue) {
        in >> value;
        data->setColorData(value);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return nullptr;
    return data.release();
}

#ifdef CALVOR_CLIPBOARD_KEEPER
namespace {

// The keeper says it owns the clipboard with this byte.
constexpr char kOwned = 'K';
// Starting the keeper and handing it the content take some tens of
// milliseconds; the limit leaves room for a loaded machine.
constexpr int kHandOverMs = 10000;

// Waits for `events` on `fd` until `deadline`; false on timeout or error.
bool WaitFor(int fd, short events, const QDeadlineTimer &deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int n = poll(&entry, 1, static_cast<int>(deadline.remainingTime()));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

bool SendAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (!WaitFor(fd, POLLOUT, deadline))
            return false;
        // No SIGPIPE when the keeper has died: the program must end with
        // its own exit status.
        const ssize_t n =
            send(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent),
                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
    }
    return true;
}

// Everything until the other end stops writing.
QByteArray ReceiveAll(int fd) {
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            return bytes;
    }
}

// Puts /dev/null in the place of `fd`.
void ReplaceWithNull(int fd) {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0)
        return;
    dup2(null, fd);
    close(null);
}

// Starts `program` as the keeper, with `socket` as its standard input, in a
// session of its own, on "/", with nothing else of this process open.
pid_t SpawnKeeper(const QString &program, int socket) {
    const QByteArray path = QFile::encodeName(program);
    char name[sizeof kKeeperName];
    std::memcpy(name, kKeeperName, sizeof kKeeperName);
    char platformOption[] = "-platform";
    // X11 only; offscreen when no X server answers, which the keeper then
    // ends at once (a failed platform would abort with a core dump).
    char platform[] = "xcb;offscreen";
    char *argv[] = {name, platformOption, platform, nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, socket, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    // A caller that ignores these (a shell running the program in the
    // background) must not make the keeper immune to them.
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE})
        sigaddset(&signals, signal);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.constData(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

} // namespace
#endif

int RunClipboardKeeper(int argc, char **argv) {
#ifdef CALVOR_CLIPBOARD_KEEPER
    const QByteArray bytes = ReceiveAll(STDIN_FILENO);
    QGuiApplication application(argc, argv);
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return 1;
    QMimeData *data = DeserializeMimeData(bytes);
    if (data == nullptr)
        return 1;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data);
    if (!clipboard->ownsClipboard())
        return 1;
    // The program may end now; the socket is let go so that nothing of it
    // stays open here.
    send(STDIN_FILENO, &kOwned, 1, MSG_NOSIGNAL);
    ReplaceWithNull(STDIN_FILENO);
    QObject::connect(clipboard, &QClipboard::changed, &application,
                     [clipboard](QClipboard::Mode mode) {
                         if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
                             QCoreApplication::quit();
                     });
    return QGuiApplication::exec();
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return 1;
#endif
}

bool HandClipboardToKeeper(const QString &program) {
#ifdef CALVOR_CLIPBOARD_KEEPER
    // The offscreen and other platforms keep a clipboard of this process
    // only, which nothing else can read.
    const QString platform = QGuiApplication::platformName();
    if ((platform != QStringLiteral("xcb") && platform != QStringLiteral("wayland")) ||
        qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *current = clipboard->mimeData();
    if (!clipboard->ownsClipboard() || current == nullptr || current->formats().isEmpty())
        return false;
    const QByteArray bytes = SerializeMimeData(*current);

    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    const pid_t pid = SpawnKeeper(program, sockets[1]);
    close(sockets[1]);
    bool owned = false;
    if (pid > 0) {
        const QDeadlineTimer deadline(kHandOverMs);
        char answer = 0;
        owned = SendAll(sockets[0], bytes, deadline) && shutdown(sockets[0], SHUT_WR) == 0 &&
                WaitFor(sockets[0], POLLIN, deadline) && recv(sockets[0], &answer, 1, 0) == 1 &&
                answer == kOwned;
        // A keeper that gave up is collected here; a running one goes on by
        // itself once this process has ended.
        if (!owned)
            waitpid(pid, nullptr, WNOHANG);
    }
    close(sockets[0]);
    return owned;
#else
    Q_UNUSED(program);
    return false;
#endif
}
