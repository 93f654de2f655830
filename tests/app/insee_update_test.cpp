// The update of the index file from INSEE's series service, end to end
// through the real download against a small HTTP server on the loopback
// address: every failure leaves the file as it was.

#include "app/revision_app.h"

#include "engine/index_series.h"
#include "engine/number_text.h"
#include "platform/download.h"
#include "platform/file_io.h"
#include "platform_widgets/qt_downloader.h"
#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/sdmx_replies.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <map>

namespace {

using namespace Qt::StringLiterals;

// An HTTP server on 127.0.0.1 that answers by the first part of the path
// (see `replies`; /silent/ never answers, /slow/ sends ten pieces 30 ms apart).
class TestHttpServer {
public:
    TestHttpServer() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }
    QString Address(const char *mode) const {
        return u"http://127.0.0.1:%1/%2/"_s.arg(m_server.serverPort()).arg(QLatin1String(mode));
    }

private:
    void Accept() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                // Forgotten once served: a later socket may take its address.
                m_pending[socket] += socket->readAll();
                if (m_pending[socket].contains("\r\n\r\n")) {
                    const QByteArray request = m_pending[socket];
                    m_pending.erase(socket);
                    Serve(socket, request);
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    static QByteArray Response(const QByteArray &status, const QByteArray &body,
                               const QByteArray &headers = "Content-Type: application/xml\r\n") {
        return "HTTP/1.1 " + status + "\r\n" + headers +
               "Connection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    }

    void Serve(QTcpSocket *socket, const QByteArray &request) {
        const QList<QByteArray> target = request.split(' ').value(1).split('/');
        const QByteArray mode = target.value(1), idbank = target.value(2);
        const std::map<QByteArray, QByteArray> replies = {
            {"ok", Response("200 OK", PublishedReply(IndexSeries::Irl))},
            {"other", Response("200 OK", PublishedReply(IndexSeries::Ilc))},
            {"notfound", Response("404 Not Found", "<html>absent</html>")},
            {"error", Response("500 Internal Server Error", "")},
            {"redirect", Response("302 Found", "", "Location: /ok/" + idbank + "\r\n")},
            {"away",
             Response("301 Moved", "", "Location: http://198.51.100.7/series/" + idbank + "\r\n")},
        };
        if (mode == "silent")
            return;
        const QByteArray out = replies.at(mode == "slow" ? "ok" : mode);
        const int pieces = mode == "slow" ? 10 : 1;
        QPointer<QTcpSocket> guard(socket);
        for (int i = 0; i <= pieces; ++i)
            QTimer::singleShot(30 * i, socket, [guard, out, pieces, i] {
                const qsizetype piece = out.size() / pieces + 1;
                if (guard && i == pieces)
                    guard->disconnectFromHost();
                else if (guard)
                    guard->write(out.mid(i * piece, piece));
            });
    }

    QTcpServer m_server;
    std::map<QTcpSocket *, QByteArray> m_pending;
};

class InseeUpdateTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
    }
    void SetUp() override {
        app.m_strIndicesPath = QDir(dir.path()).filePath(u"Indices.txt"_s);
        // Short, for the server that never answers, yet ample for a loaded machine.
        app.m_nInseeTimeoutMs = 2500;
        app.SetStandardErrorOutput([this](const QString &line) { lines.append(line); });
    }
    void TearDown() override { qunsetenv("CALVOR_INSEE_URL"); }

    QTemporaryDir dir;
    QtDownloader downloader;
    AppServices services = [this] {
        AppServices s = As<AppServices>();
        s.downloader = &downloader;
        return s;
    }();
    CRevisionApp app{services, TestLocale::French(), dir.path()};
    QStringList lines;
};

TEST_F(InseeUpdateTest, OnlyAWholeReplyOfTheSeriesChangesTheFile) {
    TestHttpServer server;
    QTcpServer probe; // a port nothing listens on
    probe.listen(QHostAddress::LocalHost, 0);
    const QString refused = u"http://127.0.0.1:%1/"_s.arg(probe.serverPort());
    probe.close();
    // The user's file (the IRL without its last two quarters, one typed
    // wrong), or the user's own series.
    enum Start { Users, Own };
    const int last = LastPublishedPosition(IndexSeries::Irl);
    IndexTable users = PublishedValues(IndexSeries::Irl), own;
    users.Set(last, 0.0f);
    users.Set(last - 1, 0.0f);
    users.Set(last - 8, users.At(last - 8) + 2.0f);
    for (int p = 0; p < 100; ++p)
        own.Set(p, 50.0f + static_cast<float>(p));
    const struct {
        QString address;
        const char *series;
        bool replaceDiffering;
        Start start;
        int status;
        const char *said; // in what is printed
    } cases[] = {
        {server.Address("ok"), "", false, Users, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("ok"), "irl", true, Users, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("redirect"), "", false, Users, 0, "2026 - Trim 1 : 0,00 → "},
        {server.Address("slow"), "", false, Users, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("notfound"), "", false, Users, 1, "erreur HTTP 404"},
        {server.Address("error"), "", false, Users, 1, "erreur HTTP 500"},
        {server.Address("silent"), "", false, Users, 1, "pas répondu à temps"},
        {refused, "", false, Users, 1, "refuse la connexion"},
        {server.Address("away"), "", false, Users, 1, "http://198.51.100.7/series/001515333"},
        {server.Address("other"), "", false, Users, 1, "« 001532540 »"},
        {server.Address("ok"), "", false, Own, 1, "d'aucune série connue"},
    };
    const QString backup = BackupPathFor(app.m_strIndicesPath);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address.toStdString() + " " + c.series + " " + std::to_string(c.start));
        lines.clear();
        QFile::remove(app.m_strIndicesPath);
        QFile::remove(backup);
        ASSERT_EQ((c.start == Users ? users : own).WriteIndexFile(app.m_strIndicesPath),
                  WriteStatus::Ok);
        const QByteArray bytes = ReadFileBytes(app.m_strIndicesPath);
        qputenv("CALVOR_INSEE_URL", c.address.toUtf8());

        EXPECT_EQ(
            app.UpdateIndicesFromCommandLine(QString::fromLatin1(c.series), c.replaceDiffering),
            c.status);
        EXPECT_TRUE(lines.join(u'\n').contains(QString::fromUtf8(c.said)))
            << lines.join(u'\n').toStdString();
        // Only new values of the file's own series rewrite it, after a backup.
        if (c.status != 0 || c.start != Users) {
            EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath), bytes);
            EXPECT_FALSE(QFile::exists(backup));
            continue;
        }
        IndexTable after, expected = PublishedValues(IndexSeries::Irl);
        ASSERT_EQ(after.ReadIndexFile(app.m_strIndicesPath), ReadStatus::Ok);
        if (!c.replaceDiffering)
            expected.Set(last - 8, users.At(last - 8));
        EXPECT_EQ(after.Values(), expected.Values());
        EXPECT_EQ(ReadFileBytes(backup), bytes);
    }
}

// An address to download from, and where it may redirect to.
TEST(DownloadAddresses, OnlyHttpsOrTheLoopbackAreAdmitted) {
    const struct {
        const char *from; // empty: `to` as the first address
        const char *to;
        bool admitted;
    } cases[] = {
        {"", "https://bdm.insee.fr/series/sdmx/data/SERIES_BDM/001515333", true},
        {"", "http://bdm.insee.fr/series/sdmx/data/SERIES_BDM/001515333", false},
        {"", "http://127.0.0.1:8080/x", true},
        {"", "http://[::1]:81/x", true},
        {"", "http://127.0.0.1.example.org/x", false},
        {"", "http://128.0.0.1/x", false},
        {"", "file:///etc/passwd", false},
        {"https://bdm.insee.fr/a", "https://www.insee.fr/b", true},
        {"https://bdm.insee.fr/a", "http://127.0.0.1/b", false},
        {"http://127.0.0.1/a", "https://bdm.insee.fr/b", true},
    };
    for (const auto &c : cases) {
        const QUrl from(QString::fromLatin1(c.from)), to(QString::fromLatin1(c.to));
        EXPECT_EQ(*c.from ? IsAdmittedRedirect(from, to) : IsAdmittedDownloadUrl(to), c.admitted)
            << c.from << " -> " << c.to;
    }
}

} // namespace
