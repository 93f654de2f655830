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

// An HTTP server on 127.0.0.1 that answers by the first part of the path:
// /ok/<idbank> the published series, /other/ the ILC whatever is asked,
// /notfound/ 404, /error/ 500, /silent/ nothing ever, /redirect/ to /ok/,
// /away/ to a plain http address outside, /slow/ the series in small
// pieces, /large/ a reply announced at 3 MB.
class TestHttpServer {
public:
    TestHttpServer() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }
    QString Address(const char *mode) const {
        return QStringLiteral("http://127.0.0.1:%1/%2/")
            .arg(m_server.serverPort())
            .arg(QString::fromLatin1(mode));
    }
    QList<QByteArray> requests;

private:
    void Accept() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                // A socket's address may be a new socket's later: what one
                // received is forgotten once it is served.
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

    static QByteArray Response(const char *status, const QByteArray &body) {
        return QByteArray("HTTP/1.1 ") + status +
               "\r\nContent-Type: application/xml\r\nConnection: close\r\nContent-Length: " +
               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }

    void Serve(QTcpSocket *socket, const QByteArray &request) {
        requests.append(request);
        const QList<QByteArray> target = request.split(' ').value(1).split('/');
        const QByteArray mode = target.value(1);
        const QString idbank = QString::fromLatin1(target.value(2));
        IndexSeries series = IndexSeries::Irl;
        for (const IndexSeriesInfo &info : KnownIndexSeries()) {
            if (info.idbank == idbank)
                series = info.series;
        }
        QByteArray out;
        if (mode == "ok")
            out = Response("200 OK", PublishedReply(series));
        else if (mode == "other")
            out = Response("200 OK", PublishedReply(IndexSeries::Ilc));
        else if (mode == "notfound")
            out = Response("404 Not Found", "<html>absent</html>");
        else if (mode == "error")
            out = Response("500 Internal Server Error", "");
        else if (mode == "redirect")
            out = "HTTP/1.1 302 Found\r\nLocation: /ok/" + idbank.toLatin1() +
                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else if (mode == "away")
            out = "HTTP/1.1 301 Moved\r\nLocation: http://198.51.100.7/series/" +
                  idbank.toLatin1() + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else if (mode == "large")
            out = "HTTP/1.1 200 OK\r\nContent-Length: 3145728\r\nConnection: close\r\n\r\n<";
        if (mode == "slow") {
            WriteSlowly(socket, Response("200 OK", PublishedReply(series)));
            return;
        }
        if (mode == "silent")
            return;
        socket->write(out);
        socket->disconnectFromHost();
    }

    // Ten pieces, 30 ms apart.
    static void WriteSlowly(QTcpSocket *socket, const QByteArray &bytes) {
        QPointer<QTcpSocket> guard(socket);
        const qsizetype piece = bytes.size() / 10 + 1;
        for (int i = 0; i <= 10; ++i) {
            QTimer::singleShot(30 * i, socket, [guard, bytes, piece, i] {
                if (!guard)
                    return;
                if (i == 10)
                    guard->disconnectFromHost();
                else
                    guard->write(bytes.mid(i * piece, piece));
            });
        }
    }

    QTcpServer m_server;
    std::map<QTcpSocket *, QByteArray> m_pending;
};

// A port nothing listens on.
quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class InseeUpdateTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
    }
    void SetUp() override {
        app.m_strIndicesPath = QDir(dir.path()).filePath(QStringLiteral("Indices.txt"));
        // Short, for the server that never answers, yet ample for a loaded machine.
        app.m_nInseeTimeoutMs = 2500;
        app.SetStandardErrorOutput([this](const QString &line) { lines.append(line); });
    }
    void TearDown() override { qunsetenv("CALVOR_INSEE_URL"); }

    // The IRL without its last two quarters, and one quarter typed wrong.
    static IndexTable UsersTable() {
        IndexTable table = PublishedValues(IndexSeries::Irl);
        const int last = LastPublishedPosition(IndexSeries::Irl);
        table.Set(last, 0.0f);
        table.Set(last - 1, 0.0f);
        table.Set(last - 8, table.At(last - 8) + 2.0f);
        return table;
    }

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
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(ClosedPort());
    struct Case {
        QString address;
        const char *series;
        bool replaceDiffering;
        int status;
        const char *said; // in what is printed
    };
    const Case cases[] = {
        {server.Address("ok"), "", false, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("ok"), "irl", true, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("redirect"), "", false, 0, "2026 - Trim 1 : 0,00 → "},
        {server.Address("slow"), "", false, 0, "2026 - Trim 2 : 0,00 → "},
        {server.Address("notfound"), "", false, 1, "erreur HTTP 404"},
        {server.Address("error"), "", false, 1, "erreur HTTP 500"},
        {server.Address("silent"), "", false, 1, "pas répondu à temps"},
        {refused, "", false, 1, "refuse la connexion"},
        {server.Address("away"), "", false, 1, "http://198.51.100.7/series/001515333"},
        {server.Address("other"), "", false, 1, "« 001532540 »"},
        {server.Address("large"), "", false, 1, "taille admise"},
        {server.Address("ok"), "ILC", false, 1, "contient la série IRL"},
        {server.Address("ok"), "loyers", false, 1, "Série inconnue : loyers"},
        {QStringLiteral("http://198.51.100.7/"), "", false, 1, "n'est pas admise"},
        {QStringLiteral("ftp://127.0.0.1/"), "", false, 1, "n'est pas admise"},
    };
    const int last = LastPublishedPosition(IndexSeries::Irl);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address.toStdString() + " " + c.series);
        lines.clear();
        const IndexTable before = UsersTable();
        ASSERT_EQ(before.WriteIndexFile(app.m_strIndicesPath), WriteStatus::Ok);
        QFile::remove(BackupPathFor(app.m_strIndicesPath));
        const QByteArray bytes = ReadFileBytes(app.m_strIndicesPath);
        qputenv("CALVOR_INSEE_URL", c.address.toUtf8());

        const int status =
            app.UpdateIndicesFromCommandLine(QString::fromLatin1(c.series), c.replaceDiffering);
        EXPECT_EQ(status, c.status);
        EXPECT_TRUE(lines.join(u'\n').contains(QString::fromUtf8(c.said)))
            << lines.join(u'\n').toStdString();
        if (c.status != 0) {
            EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath), bytes);
            EXPECT_FALSE(QFile::exists(BackupPathFor(app.m_strIndicesPath)));
            continue;
        }
        IndexTable after;
        ASSERT_EQ(after.ReadIndexFile(app.m_strIndicesPath), ReadStatus::Ok);
        IndexTable expected = PublishedValues(IndexSeries::Irl);
        if (!c.replaceDiffering)
            expected.Set(last - 8, before.At(last - 8));
        EXPECT_EQ(after.Values(), expected.Values());
        EXPECT_EQ(ReadFileBytes(BackupPathFor(app.m_strIndicesPath)), bytes);
        EXPECT_EQ(app.m_indices.Values(), expected.Values());
    }
    // What is sent is a plain GET of the series' address.
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_TRUE(server.requests.front().startsWith("GET /ok/001515333 HTTP/1.1\r\n"));
    for (const QByteArray &request : server.requests) {
        EXPECT_FALSE(request.contains("Cookie"));
        EXPECT_FALSE(request.contains("Authorization"));
    }
}

TEST_F(InseeUpdateTest, AnUpToDateTableAnUnreadableFileAndAnOwnTableAreLeftAlone) {
    TestHttpServer server;
    qputenv("CALVOR_INSEE_URL", server.Address("ok").toUtf8());
    IndexTable own;
    for (int p = 0; p < 100; ++p)
        own.Set(p, 50.0f + static_cast<float>(p));
    struct Case {
        const char *name;
        std::optional<IndexTable> table; // none: a file that cannot be read
        int status;
        const char *said;
    };
    const Case cases[] = {
        {"up to date", PublishedValues(IndexSeries::Irl), 0, "contient déjà"},
        {"own table", own, 1, "d'aucune série connue"},
        {"unreadable file", std::nullopt, 1, "n'a pas été trouvé"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        lines.clear();
        QFile::remove(app.m_strIndicesPath);
        QDir(dir.path()).rmdir(QStringLiteral("Indices.txt"));
        if (c.table)
            ASSERT_EQ(c.table->WriteIndexFile(app.m_strIndicesPath), WriteStatus::Ok);
        else
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Indices.txt")));
        const QByteArray bytes = ReadFileBytes(app.m_strIndicesPath);
        EXPECT_EQ(app.UpdateIndicesFromCommandLine(QString(), false), c.status);
        EXPECT_TRUE(lines.join(u'\n').contains(QString::fromUtf8(c.said)))
            << lines.join(u'\n').toStdString();
        EXPECT_EQ(ReadFileBytes(app.m_strIndicesPath), bytes);
    }
    QDir(dir.path()).rmdir(QStringLiteral("Indices.txt"));
}

TEST_F(InseeUpdateTest, TheAddressComesFromTheEnvironmentThenTheSetting) {
    const struct {
        const char *environment, *setting, *url;
    } cases[] = {
        {"", "", "https://bdm.insee.fr/series/sdmx/data/SERIES_BDM/001515333"},
        {"", "https://miroir.example/bdm", "https://miroir.example/bdm/001515333"},
        {"https://api.insee.fr/series/BDM/V1/data/SERIES_BDM/", "https://miroir.example/",
         "https://api.insee.fr/series/BDM/V1/data/SERIES_BDM/001515333"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        if (*c.environment)
            qputenv("CALVOR_INSEE_URL", c.environment);
        else
            qunsetenv("CALVOR_INSEE_URL");
        settings.texts.clear();
        if (*c.setting)
            settings.texts.insert(QStringLiteral("Général/AdresseINSEE"),
                                  QString::fromUtf8(c.setting));
        app.ReadSettings();
        EXPECT_EQ(app.InseeSeriesUrl(IndexSeries::Irl).toString(), QString::fromUtf8(c.url));
    }
    // The address is only read: the settings written stay the three values.
    settings.writes = 0;
    app.WriteSettings();
    EXPECT_EQ(settings.writes, 3);
}

TEST(DownloadAddresses, OnlyHttpsOrTheLoopbackAreAdmitted) {
    const struct {
        const char *url;
        bool admitted;
    } cases[] = {
        {"https://bdm.insee.fr/series/sdmx/data/SERIES_BDM/001515333", true},
        {"http://bdm.insee.fr/series/sdmx/data/SERIES_BDM/001515333", false},
        {"http://127.0.0.1:8080/x", true},
        {"http://127.1.2.3/x", true},
        {"http://localhost/x", true},
        {"http://[::1]:81/x", true},
        {"http://127.0.0.1.example.org/x", false},
        {"http://128.0.0.1/x", false},
        {"ftp://127.0.0.1/x", false},
        {"file:///etc/passwd", false},
        {"https:///nohost", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsAdmittedDownloadUrl(QUrl(QString::fromLatin1(c.url))), c.admitted) << c.url;
    const struct {
        const char *from, *to;
        bool admitted;
    } redirects[] = {
        {"https://bdm.insee.fr/a", "https://www.insee.fr/b", true},
        {"https://bdm.insee.fr/a", "http://www.insee.fr/b", false},
        {"https://bdm.insee.fr/a", "http://127.0.0.1/b", false},
        {"http://127.0.0.1/a", "http://127.0.0.1:81/b", true},
        {"http://127.0.0.1/a", "http://198.51.100.7/b", false},
        {"http://127.0.0.1/a", "https://bdm.insee.fr/b", true},
    };
    for (const auto &r : redirects) {
        EXPECT_EQ(
            IsAdmittedRedirect(QUrl(QString::fromLatin1(r.from)), QUrl(QString::fromLatin1(r.to))),
            r.admitted)
            << r.from << " -> " << r.to;
    }
}

} // namespace
