#include "platform_widgets/qt_downloader.h"

#include <QApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <memory>

namespace {

// Why the download was abandoned by this program rather than by the network.
enum class Abandon { None, Timeout, TooLarge, Redirect, Cancelled };

DownloadResult Result(DownloadStatus status, const QString &detail = QString()) {
    DownloadResult result;
    result.status = status;
    result.detail = detail;
    return result;
}

DownloadStatus StatusOfError(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return DownloadStatus::HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return DownloadStatus::ConnectionRefused;
    case QNetworkReply::TimeoutError:
        return DownloadStatus::Timeout;
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::TooManyRedirectsError:
        return DownloadStatus::RedirectRefused;
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return DownloadStatus::NoNetwork;
    default:
        return DownloadStatus::Failed;
    }
}

} // namespace

DownloadResult QtDownloader::Get(const DownloadRequest &request) {
    if (!IsAdmittedDownloadUrl(request.url))
        return Result(DownloadStatus::AddressRefused, request.url.toDisplayString());

    QNetworkAccessManager manager;
    // A loopback address never goes through a proxy; any other follows the
    // system's settings.
    if (IsLoopbackHost(request.url.host()))
        manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    else
        QNetworkProxyFactory::setUseSystemConfiguration(true);

    QNetworkRequest get(request.url);
    get.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::UserVerifiedRedirectPolicy);
    get.setMaximumRedirectsAllowed(5);
    get.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Calvor"));
    get.setRawHeader("Accept", "application/xml");

    QEventLoop loop;
    QNetworkReply *reply = manager.get(get);
    std::unique_ptr<QNetworkReply> owner(reply);
    QByteArray body;
    QUrl current = request.url;
    QUrl refusedTarget;
    Abandon abandon = Abandon::None;
    const auto giveUp = [&](Abandon why) {
        if (abandon == Abandon::None)
            abandon = why;
        reply->abort();
    };

    QTimer silence;
    silence.setSingleShot(true);
    silence.setInterval(request.timeoutMs);
    QObject::connect(&silence, &QTimer::timeout, &loop, [&] { giveUp(Abandon::Timeout); });
    QTimer whole;
    whole.setSingleShot(true);
    whole.setInterval(3 * request.timeoutMs);
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] { giveUp(Abandon::Timeout); });

    QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl &target) {
        const QUrl next = current.resolved(target);
        if (!IsAdmittedRedirect(current, next)) {
            refusedTarget = next;
            giveUp(Abandon::Redirect);
            return;
        }
        current = next;
        Q_EMIT reply->redirectAllowed();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > request.maxBytes)
            giveUp(Abandon::TooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        silence.start();
        body += reply->read(request.maxBytes + 1 - body.size());
        if (body.size() > request.maxBytes)
            giveUp(Abandon::TooLarge);
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    std::unique_ptr<QProgressDialog> progress;
    if (request.showProgress) {
        progress = std::make_unique<QProgressDialog>(
            request.progressText, QStringLiteral("Annuler"), 0, 0, QApplication::activeWindow());
        progress->setWindowTitle(QStringLiteral("Calvor"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        QObject::connect(progress.get(), &QProgressDialog::canceled, &loop,
                         [&] { giveUp(Abandon::Cancelled); });
        progress->show();
    }

    silence.start();
    whole.start();
    if (!reply->isFinished())
        loop.exec();
    silence.stop();
    whole.stop();
    if (progress)
        progress->hide();

    switch (abandon) {
    case Abandon::Timeout:
        return Result(DownloadStatus::Timeout);
    case Abandon::TooLarge:
        return Result(DownloadStatus::TooLarge);
    case Abandon::Redirect:
        return Result(DownloadStatus::RedirectRefused, refusedTarget.toDisplayString());
    case Abandon::Cancelled:
        return Result(DownloadStatus::Cancelled);
    case Abandon::None:
        break;
    }
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (code.isValid() && code.toInt() != 200) {
        DownloadResult result = Result(DownloadStatus::HttpError);
        result.httpStatus = code.toInt();
        return result;
    }
    if (reply->error() != QNetworkReply::NoError)
        return Result(StatusOfError(reply->error()), reply->errorString());
    body += reply->read(request.maxBytes + 1 - body.size());
    if (body.size() > request.maxBytes)
        return Result(DownloadStatus::TooLarge);
    DownloadResult result = Result(DownloadStatus::Ok);
    result.httpStatus = 200;
    result.body = std::move(body);
    return result;
}
