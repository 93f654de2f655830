#include "platform_widgets/clipboard_keeper.h"

#include "platform_widgets/clipboard_formats.h"
#include "platform_widgets/display.h"

#include <QBuffer>
#include <QClipboard>
#include <QColor>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>

#include <cstring>
#include <memory>
#include <optional>

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
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

namespace {

constexpr char kKeeperName[] = "calvor-clipboard-keeper";
constexpr quint32 kMagic = 0x434c564c; // "CLVL"
// What the keeper reads at most: the data kept and the names and counts
// around it.
constexpr qsizetype kMaxContentBytes = kMaxKeptClipboardBytes + 1024 * 1024;

// The picture as PNG bytes, empty when it cannot be written.
QByteArray PngBytes(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

bool IsClipboardKeeperRun(int argc, char **argv) {
    return argc >= 1 && argv[0] != nullptr && std::strcmp(argv[0], kKeeperName) == 0;
}

// The content is a flat list: formats with their bytes, then the picture as
// PNG bytes and the colour as a number, each after a flag. Nothing in it
// nests, so reading it takes no recursion, whatever the bytes.
QByteArray SerializeMimeData(const QMimeData &data) {
    QMimeData kept;
    qsizetype weight = CopyKeptClipboardFormats(data, kept, kMaxKeptClipboardBytes);
    const QStringList formats = kept.formats();
    QByteArray picture;
    if (data.hasImage()) {
        picture = PngBytes(qvariant_cast<QImage>(data.imageData()));
        if (picture.size() > kMaxKeptClipboardBytes - weight)
            picture.clear();
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << static_cast<qint32>(formats.size());
    for (const QString &format : formats)
        out << format << kept.data(format);
    out << !picture.isEmpty();
    if (!picture.isEmpty())
        out << picture;
    // The colour as its 16-bit red, green, blue and alpha, all the X11
    // clipboard gives of a colour.
    const QColor color = data.hasColor() ? qvariant_cast<QColor>(data.colorData()) : QColor();
    out << color.isValid();
    if (color.isValid())
        out << quint64(color.rgba64());
    return bytes;
}

QMimeData *DeserializeMimeData(const QByteArray &bytes) {
    if (bytes.size() > kMaxContentBytes)
        return nullptr;
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
        // Only what the program itself would have sent.
        if (!IsKeptClipboardFormat(format))
            return nullptr;
        data->setData(format, value);
    }
    bool hasValue = false;
    in >> hasValue;
    if (hasValue) {
        QByteArray picture;
        in >> picture;
        QImage image;
        if (!image.loadFromData(picture, "png"))
            return nullptr;
        data->setImageData(image);
    }
    in >> hasValue;
    if (hasValue) {
        quint64 color = 0;
        in >> color;
        data->setColorData(QColor::fromRgba64(QRgba64::fromRgba64(color)));
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

// Everything until the other end stops writing, before `deadline` and
// within kMaxContentBytes; nothing when it is more, later, or fails.
std::optional<QByteArray> ReceiveContent(int fd, const QDeadlineTimer &deadline) {
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        if (!WaitFor(fd, POLLIN, deadline))
            return std::nullopt;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return std::nullopt;
        if (n > 0) {
            if (n > kMaxContentBytes - bytes.size())
                return std::nullopt;
            bytes.append(buffer, n);
        }
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

// A read-only copy of the running program that lives in memory only, or
// -1: the keeper runs from it, so that it keeps open or mapped no file of
// the medium the program came from (a USB stick can then be unmounted).
int ProgramCopyInMemory() {
    const int source = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return -1;
    // Kernels that refuse to run memory files by default want it said.
    constexpr unsigned kExecutable = 0x10; // MFD_EXEC
    constexpr unsigned kFlags = MFD_CLOEXEC | MFD_ALLOW_SEALING;
    int copy = memfd_create(kKeeperName, kFlags | kExecutable);
    if (copy < 0 && errno == EINVAL)
        copy = memfd_create(kKeeperName, kFlags);
    bool copied = copy >= 0;
    while (copied) {
        const ssize_t n = sendfile(copy, source, nullptr, 1 << 30);
        if (n == 0)
            break;
        copied = n > 0 || errno == EINTR;
    }
    close(source);
    int reopened = -1;
    if (copied) {
        fcntl(copy, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
        // A file open for writing cannot be run; the copy has no other
        // name than its descriptor. Above the standard streams, which the
        // keeper's own take the place of.
        const QByteArray name = "/proc/self/fd/" + QByteArray::number(copy);
        const int readOnly = open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (readOnly >= 0) {
            reopened = fcntl(readOnly, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            close(readOnly);
        }
    }
    if (copy >= 0)
        close(copy);
    return reopened;
}

// Starts the keeper from `path`, with `socket` as its standard input, in a
// session of its own, on "/", with nothing else of this process open but
// `copy` (when not -1) as its descriptor 3, which `path` names.
pid_t SpawnKeeperFrom(const char *path, int socket, int copy) {
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
    if (copy >= 0)
        posix_spawn_file_actions_adddup2(&actions, copy, STDERR_FILENO + 1);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + (copy >= 0 ? 2 : 1));

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
    const int error = posix_spawn(&pid, path, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Starts the keeper from a copy of the program in memory, or, when the
// system allows none (no memory files, none that may run, no /proc), from
// `program`'s file.
pid_t SpawnKeeper(const QString &program, int socket) {
    const int copy = ProgramCopyInMemory();
    pid_t pid = -1;
    if (copy >= 0) {
        pid = SpawnKeeperFrom("/proc/self/fd/3", socket, copy);
        close(copy);
    }
    if (pid < 0)
        pid = SpawnKeeperFrom(QFile::encodeName(program).constData(), socket, -1);
    return pid;
}

} // namespace
#endif

int RunClipboardKeeper(int argc, char **argv) {
#ifdef CALVOR_CLIPBOARD_KEEPER
    // Nothing but the standard streams stays open: the copy of the program
    // it was started from is mapped already.
    close_range(STDERR_FILENO + 1, ~0U, 0);
    // The program sends the content at once and waits for the keeper as
    // long as the hand-over lasts; anything else (a terminal, an endless
    // stream) is refused.
    const QDeadlineTimer deadline(kHandOverMs);
    const std::optional<QByteArray> bytes = ReceiveContent(STDIN_FILENO, deadline);
    if (!bytes)
        return 1;
    std::unique_ptr<QMimeData> data(DeserializeMimeData(*bytes));
    // An X server that accepts the connection but never answers would hold
    // the keeper for ever; one started on demand (Xwayland) gets the rest of
    // the hand-over's time.
    if (data == nullptr ||
        !X11DisplayAnswers(qgetenv("DISPLAY"), static_cast<int>(deadline.remainingTime())))
        return 1;
    QGuiApplication application(argc, argv);
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return 1;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data.release());
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
