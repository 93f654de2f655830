#include "platform/download.h"

#include <QStringList>

bool IsLoopbackHost(const QString &host) {
    const QString h = host.toLower();
    if (h == u"localhost" || h == u"::1" || h == u"0:0:0:0:0:0:0:1")
        return true;
    const QStringList parts = h.split(u'.');
    if (parts.size() != 4 || parts[0] != u"127")
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (!ok || n < 0 || n > 255 || part.size() > 3)
            return false;
    }
    return true;
}

bool IsAdmittedDownloadUrl(const QUrl &url) {
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == u"https" || (scheme == u"http" && IsLoopbackHost(url.host()));
}

bool IsAdmittedRedirect(const QUrl &from, const QUrl &to) {
    if (!IsAdmittedDownloadUrl(to))
        return false;
    // Plain http stays on this computer: a loopback address never sends the
    // download on to an outside one but through https.
    if (to.scheme().toLower() == u"http")
        return IsLoopbackHost(from.host());
    return true;
}
