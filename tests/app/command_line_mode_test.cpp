// The program itself, started with a document path in a scratch folder:
// no window, the report written next to the executable, exit status 0.
// Where nobody can answer them, message boxes say their text on standard
// error and take their default button, so failing runs end too.

#include "document/calc_document_file.h"
#include "engine/index_series.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "platform/file_io.h"
#include "platform/user_locale.h"
#include "platform_widgets/display.h"
#include "support/fakes.h"
#include "support/sample_document.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <cstddef>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

// A copy of the program in its own folder, the index file beside it (the
// second-quarter indices 2000 to 2005), documents in another folder.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        const QString binary = qEnvironmentVariable("CALVOR_BINARY");
        if (binary.isEmpty() || !QFileInfo::exists(binary))
            GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
        ASSERT_TRUE(m_root.isValid());
        for (const char *sub : {"bin", "docs", "config/MORVA", "home", "work"})
            ASSERT_TRUE(QDir(m_root.path()).mkpath(QString::fromUtf8(sub)));
        ASSERT_TRUE(QFile::copy(binary, Path("bin/calvor")));
        const float values[] = {100.0f, 110.5f, 121.0f, 130.25f, 140.0f, 150.0f};
        for (int i = 0; i < 6; ++i)
            m_indices.Set(IndexTable::PositionOf(2000 + i, 1), values[i]);
        ASSERT_TRUE(WriteFileBytes(Path("bin/Indices.txt"), m_indices.IndexFileText()));
        // "Cible" 3 exports nothing: no program opened, the clipboard alone.
        ASSERT_TRUE(WriteFileBytes(Path("config/MORVA/Calvor.conf"),
                                   "[G%E9n%E9ral]\nCible=3\nSymbole=\xE2\x82\xAC\n"));
        CalcDocument late = SampleDocument(500.0);
        late.firstRevision = PackedDate::FromParts(11, 6, 2005);
        ASSERT_TRUE(WriteFileBytes(Path("docs/good.clv"), DocumentBytes(SampleDocument(500.0))));
        ASSERT_TRUE(WriteFileBytes(Path("docs/late.clv"), DocumentBytes(late)));
    }
    QString Path(const char *name) const {
        return QDir(m_root.path()).filePath(QLatin1String(name));
    }

    // Starts the program from another folder; `platform` empty runs it
    // without any display, unless `display` names one.
    void Start(QProcess &run, const QStringList &arguments, const QString &platform,
               const QString &display = QString()) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("HOME"), Path("home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(Path("work"));
        run.start(Path("bin/calvor"), arguments);
    }

    QTemporaryDir m_root;
    IndexTable m_indices;
};

TEST_F(ProgramRun, ProgramWritesTheReportBesideItselfAndExitsWithZero) {
    const CalcDocument doc = SampleDocument(1234.5);
    // A name with a blank, given as two arguments: they are joined again.
    ASSERT_TRUE(WriteFileBytes(Path("docs/Mon calcul.clv"), DocumentBytes(doc)));

    QProcess child;
    const QDate before = QDate::currentDate();
    Start(child, {Path("docs/Mon"), QStringLiteral("calcul.clv")}, QStringLiteral("offscreen"));
    ASSERT_TRUE(child.waitForStarted(30000));
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        FAIL() << "the program did not end (a message box waiting?)";
    }
    const QDate after = QDate::currentDate();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().constData();

    // The same report built here, dated today (either side of midnight).
    const UserLocale french = UserLocale::FromQLocale(QLocale(QStringLiteral("fr_FR")));
    ReadDecimalSeparator(french);
    const RevisionOutcome outcome = CheckAndWalk(doc, m_indices);
    ASSERT_EQ(outcome.rows.size(), 5u);
    const auto reportOn = [&](QDate day) {
        PackedDate today = PackedDate::FromParts(static_cast<unsigned>(day.day()),
                                                 static_cast<unsigned>(day.month()),
                                                 static_cast<unsigned>(day.year()));
        return BuildRevisionReport(doc, outcome, today,
                                   ReportSettings{3, QStringLiteral("€"), french})
            .Table();
    };
    const QByteArray written = ReadFileBytes(Path("bin/Calcul.rtf"));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(written == reportOn(before) || written == reportOn(after));
    EXPECT_FALSE(QFileInfo::exists(Path("work/Calcul.rtf")));

    // Start-up kept the index file; shutdown wrote the settings.
    EXPECT_EQ(ReadFileBytes(Path("bin/Indices.txt")), m_indices.IndexFileText());
    const QSettings stored(Path("config/MORVA/Calvor.conf"), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Général/Cible")).toInt(), 3);
    EXPECT_EQ(stored.value(QStringLiteral("Général/Date2000")).toInt(), 40);
}

// X servers that take connections and never answer (a server stopped with
// SIGSTOP, a display forwarded to a sleeping computer): one on the abstract
// Unix socket of display `local`, one on the TCP port of display `remote`.
struct SilentXServers {
    SilentXServers() {
        for (int n = 900 + getpid() % 1000; local < 0 && n < 2900; ++n) {
            sockaddr_un name{AF_UNIX, {}};
            const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(n);
            std::memcpy(name.sun_path + 1, path.constData(), size_t(path.size()));
            if (Listen(AF_UNIX, &name,
                       socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(path.size()))))
                local = n;
        }
        for (int n = 100 + getpid() % 1000; remote < 0 && n < 2100; ++n) {
            sockaddr_in tcp{AF_INET, htons(uint16_t(6000 + n)), {htonl(INADDR_LOOPBACK)}, {}};
            if (Listen(AF_INET, &tcp, sizeof tcp))
                remote = n;
        }
    }
    ~SilentXServers() {
        for (int fd : fds)
            close(fd);
    }
    bool Listen(int family, const void *address, socklen_t length) {
        const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        fds.push_back(fd);
        return bind(fd, static_cast<const sockaddr *>(address), length) == 0 && listen(fd, 16) == 0;
    }
    int local = -1;
    int remote = -1;
    std::vector<int> fds;
};

TEST_F(ProgramRun, WithoutADisplayAScriptSeesWhyARunFailed) {
    const QString late =
        QStringLiteral("Calvor: La date de début de calcul doit être avant la date "
                       "de fin de calcul.\n");
    const SilentXServers silent;
    ASSERT_GE(silent.local, 0);
    ASSERT_GE(silent.remote, 0);
    const QString local = u':' + QString::number(silent.local);
    const QString remote = QStringLiteral("127.0.0.1:%1.0").arg(silent.remote);
    const QString noScreen = QStringLiteral("Calvor: aucun écran");
    const struct {
        const char *name;
        const char *document; // null: interactive
        const char *platform; // "": no display
        int exitCode;
        QString errorLine; // on standard error, among Qt's own notes
        QString display;   // DISPLAY, when set
    } cases[] = {
        {"computed", "docs/good.clv", "", 0, QString(), QString()},
        {"first revision after the last", "docs/late.clv", "", 1, late, QString()},
        {"the same offscreen", "docs/late.clv", "offscreen", 1, late, QString()},
        {"interactive", nullptr, "", 1, noScreen, QString()},
        // X11 asked for by the user, with no X server to use.
        {"X11 chosen, no display", "docs/good.clv", "xcb", 0, QString(), QString()},
        {"X11 chosen, no display, interactive", nullptr, "xcb", 1, noScreen, QString()},
        {"silent X server", "docs/good.clv", "", 0, QString(), local},
        {"X11 chosen, silent X server over TCP", "docs/late.clv", "xcb", 1, late, remote},
        {"silent X server, interactive", nullptr, "", 1, noScreen, local},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path("bin/Calcul.rtf"));
        QProcess run;
        QElapsedTimer clock;
        clock.start();
        Start(run, c.document ? QStringList{Path(c.document)} : QStringList(),
              QString::fromLatin1(c.platform), c.display);
        ASSERT_TRUE(run.waitForFinished(30000));
        // A silent server is given its time to answer first.
        EXPECT_LT(clock.elapsed(), 2000 + (c.display.isEmpty() ? 0
                                           : c.document        ? kDisplayAnswerMs
                                                               : kInteractiveDisplayAnswerMs));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), c.exitCode);
        const QString error = QString::fromUtf8(run.readAllStandardError());
        EXPECT_TRUE(c.errorLine.isEmpty() ? !error.contains(QStringLiteral("Calvor: "))
                                          : error.contains(c.errorLine))
            << error.toStdString();
        EXPECT_EQ(QFileInfo::exists(Path("bin/Calcul.rtf")), c.exitCode == 0);
    }
}

// Two documents opened at once from the file manager start two copies: the
// second waits for the first instead of losing the index table.
TEST_F(ProgramRun, SimultaneousRunsNeverChangeTheIndexFile) {
    for (int pair = 0; pair < 10; ++pair) {
        SCOPED_TRACE(pair);
        QProcess first, second;
        Start(first, {Path("docs/good.clv")}, QString());
        Start(second, {Path("docs/good.clv")}, QString());
        for (QProcess *run : {&first, &second}) {
            ASSERT_TRUE(run->waitForFinished(30000));
            EXPECT_EQ(run->exitCode(), 0);
            EXPECT_FALSE(run->readAllStandardError().contains("Calvor: "));
        }
        ASSERT_EQ(ReadFileBytes(Path("bin/Indices.txt")), m_indices.IndexFileText());
    }
}

// The notices of a calculation on the shipped IRL, one line each on
// standard error; the exit status stays 0, and "Contrôles" 0 silences them.
TEST_F(ProgramRun, NoticesAreSaidOnStandardErrorWithoutChangingTheExitStatus) {
    const QString shipped =
        QDir(QStringLiteral(CALVOR_INDEX_DIR)).filePath(QStringLiteral("IRL.txt"));
    IndexTable irl;
    ASSERT_EQ(irl.ReadIndexFile(shipped), ReadStatus::Ok);
    if (IdentifyIndexSeries(irl).series != IndexSeries::Irl)
        GTEST_SKIP() << "the shipped IRL is not identified as such";
    QFile::remove(Path("bin/Indices.txt"));
    ASSERT_TRUE(QFile::copy(shipped, Path("bin/Indices.txt")));
    CalcDocument doc;
    doc.signature = PackedDate::FromParts(15, 5, 2005);
    doc.firstRevision = PackedDate::FromParts(15, 5, 2006);
    doc.lastRevision = PackedDate::FromParts(15, 5, 2008);
    doc.referenceDate.MakeQuarterDate(1, 2005);
    doc.rent = 500.0;
    ASSERT_TRUE(WriteFileBytes(Path("docs/irl.clv"), DocumentBytes(doc)));
    // Each notice's title; their texts belong to the notices' own test.
    const QStringList expected = {u"IRL appliqué avant sa création : Pour les révisions du "_s,
                                  u"Trimestre de référence inconnu à la signature : "_s};
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        ASSERT_TRUE(WriteFileBytes(Path("config/MORVA/Calvor.conf"),
                                   on ? "[G%E9n%E9ral]\nCible=3\n"
                                      : "[G%E9n%E9ral]\nCible=3\nContr%F4les=0\n"));
        QProcess run;
        Start(run, {Path("docs/irl.clv")}, QString());
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(run.exitCode(), 0);
        QStringList titles;
        for (const QString &line : QString::fromUtf8(run.readAllStandardError()).split(u'\n'))
            if (line.startsWith(u"Calvor: à vérifier : "_s))
                titles.append(line.mid(21, expected[titles.size() % 2].size()));
        EXPECT_EQ(titles, on ? expected : QStringList());
    }
}

} // namespace
