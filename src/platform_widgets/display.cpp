#include "platform_widgets/display.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QtGlobal>

#include <cstdio>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#define CALVOR_X11_CHECK 1
#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#ifdef CALVOR_X11_CHECK
namespace {

// Waits for `events` on `fd` until `deadline`.
bool WaitFor(int fd, short events, const QDeadlineTimer &deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int n = poll(&entry, 1, static_cast<int>(deadline.remainingTime()));
        if (n > 0)
            return (entry.revents & events) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

// Connects a non-blocking socket to `address`, sends the X11 connection
// setup request (little-endian, protocol 11.0, no authorisation) and waits
// for the first byte of the server's answer.
bool SetupAnswered(int family, const sockaddr *address, socklen_t length,
                   const QDeadlineTimer &deadline) {
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    int error = 0;
    socklen_t errorLength = sizeof error;
    if ((connect(fd, address, length) == 0 || errno == EINPROGRESS) &&
        WaitFor(fd, POLLOUT, deadline) &&
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorLength) == 0 && error == 0) {
        const char request[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        char answer = 0;
        answered = send(fd, request, sizeof request, MSG_NOSIGNAL) == sizeof request &&
                   WaitFor(fd, POLLIN, deadline) && recv(fd, &answer, 1, 0) == 1;
    }
    close(fd);
    return answered;
}

bool UnixSetupAnswered(const QByteArray &path, bool abstract, const QDeadlineTimer &deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const qsizetype offset = abstract ? 1 : 0;
    if (path.size() + offset >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path + offset, path.constData(), size_t(path.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(offset) +
                                  size_t(path.size()) + (abstract ? 0 : 1));
    return SetupAnswered(AF_UNIX, reinterpret_cast<const sockaddr *>(&address), length, deadline);
}

} // namespace
#endif

DisplayEnvironment DisplayEnvironment::Current() {
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
            &X11DisplayAnswers};
}

bool X11DisplayAnswers(const QByteArray &display, int timeoutMs) {
#ifdef CALVOR_X11_CHECK
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0)
        return !display.isEmpty();
    QByteArray host = display.left(colon);
    QByteArray number = display.mid(colon + 1);
    if (number.contains('.'))
        number.truncate(number.indexOf('.'));
    bool numeric = false;
    const int n = number.toInt(&numeric);
    QByteArray protocol;
    if (host.contains('/') && !host.startsWith('/')) {
        protocol = host.left(host.indexOf('/'));
        host = host.mid(host.indexOf('/') + 1);
    }
    // DECnet ("host::n"), socket paths and unknown protocols: Qt decides.
    if (!numeric || n < 0 || host.endsWith(':') || host.startsWith('/') ||
        !(protocol.isEmpty() || protocol == "unix" || protocol == "tcp" || protocol == "inet" ||
          protocol == "inet6"))
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    if ((host.isEmpty() || host == "unix") && (protocol.isEmpty() || protocol == "unix")) {
        // As the X library does: the abstract name first, then the file.
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (UnixSetupAnswered(path, true, deadline))
            return true;
        return !deadline.hasExpired() && UnixSetupAnswered(path, false, deadline);
    }
    if (n > 65535 - 6000)
        return false;
    if (host == "localhost")
        host = "127.0.0.1";
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    if (inet_pton(AF_INET, host.constData(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(static_cast<uint16_t>(6000 + n));
        return SetupAnswered(AF_INET, reinterpret_cast<const sockaddr *>(&v4), sizeof v4, deadline);
    }
    if (inet_pton(AF_INET6, host.constData(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<uint16_t>(6000 + n));
        return SetupAnswered(AF_INET6, reinterpret_cast<const sockaddr *>(&v6), sizeof v6,
                             deadline);
    }
    // A host name: looking it up could itself take long.
    return true;
#else
    Q_UNUSED(timeoutMs);
    return !display.isEmpty();
#endif
}

DisplayChoice ChooseDisplay(const DisplayEnvironment &environment, bool commandLineMode) {
    DisplayChoice choice;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const bool userChoice = !environment.qpaPlatform.isEmpty();
    // The user's choice stands unless X11 comes first in it.
    if (userChoice && environment.qpaPlatform.split(';').first().trimmed() != "xcb")
        return choice;
    if (!userChoice && !environment.waylandDisplay.isEmpty())
        return choice;
    const bool answers =
        !environment.x11Display.isEmpty() &&
        (!environment.x11Answers ||
         environment.x11Answers(environment.x11Display,
                                commandLineMode ? kDisplayAnswerMs : kInteractiveDisplayAnswerMs));
    if (!answers) {
        if (commandLineMode)
            choice.platform = "offscreen";
        else
            choice.unavailable = true;
        return choice;
    }
    if (userChoice)
        return choice;
    choice.platform = "xcb;offscreen";
    choice.checkAfterStart = !commandLineMode;
#else
    Q_UNUSED(environment);
    Q_UNUSED(commandLineMode);
#endif
    return choice;
}

bool IsWindowless(const QString &platformName) {
    return platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
}

QString NoDisplayText() {
    return QStringLiteral("Calvor: aucun écran n'est disponible pour afficher les fenêtres du "
                          "programme ; donnez-lui le chemin d'un calcul (.clv) pour le calculer "
                          "sans fenêtre.");
}

void WriteStandardErrorLine(const QString &line) {
    const QByteArray bytes = (line + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
