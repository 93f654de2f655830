#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// One plain GET of a public address, beside the other platform services:
// nothing is sent but the request for the address itself.
struct DownloadRequest {
    QUrl url;
    // With no byte for this long, the download gives up (Timeout); it also
    // gives up after three times this long in all.
    int timeoutMs = 20000;
    // A reply announced or received beyond this size is abandoned (TooLarge).
    qsizetype maxBytes = 2 * 1024 * 1024;
    // A progress window with a cancel button, over the active window.
    bool showProgress = false;
    QString progressText;
};

enum class DownloadStatus {
    Ok,                // status 200, the body received whole
    AddressRefused,    // not https (http only to a loopback address)
    RedirectRefused,   // sent on to an address that is not admitted, or too often
    NoNetwork,         // no network to go through
    HostNotFound,      // the host's name is not known
    ConnectionRefused, // nothing answers at that address and port
    Timeout,           // no answer, or no more bytes, in time
    HttpError,         // an HTTP status other than 200; httpStatus says which
    TooLarge,          // beyond maxBytes
    Cancelled,         // the user cancelled the progress window
    Failed,            // anything else (a certificate refused...); detail says what
};

struct DownloadResult {
    DownloadStatus status = DownloadStatus::Failed;
    int httpStatus = 0;
    QByteArray body; // empty unless Ok
    QString detail;
};

// Downloads one address and waits for the outcome (the caller's event loop
// needs not run: the download runs its own).
class IDownloader {
public:
    virtual ~IDownloader() = default;
    virtual DownloadResult Get(const DownloadRequest &request) = 0;
};

// The host names this computer itself: localhost, 127.0.0.0/8, ::1.
bool IsLoopbackHost(const QString &host);
// An address the program may download from: https, or http to a loopback
// host (a local test server or mirror).
bool IsAdmittedDownloadUrl(const QUrl &url);
// A redirection `from` -> `to` the download may follow: to an admitted
// https address, or from a loopback address to another loopback one.
bool IsAdmittedRedirect(const QUrl &from, const QUrl &to);
