// The program on an X server of its own without a clipboard manager: what it
// put on the clipboard is still there after it has ended, beside what was
// copied before, until another program copies something; a caller reading
// its output through pipes sees them end with the program.

#include "document/calc_document_file.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "platform/user_locale.h"
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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char kKeeperName[] = "calvor-clipboard-keeper";
const QString kTagName = QStringLiteral("CALVOR_TEST_TAG");

// The processes whose environment carries `tag`, optionally only those
// running under the name `argv0`.
std::vector<pid_t> TaggedProcesses(const QByteArray &tag, const char *argv0 = nullptr) {
    std::vector<pid_t> pids;
    const QByteArray entry = kTagName.toLatin1() + '=' + tag;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = name.toInt(&isPid);
        if (!isPid || pid == getpid())
            continue;
        const QString base = QStringLiteral("/proc/") + name;
        if (!ReadFileBytes(base + QStringLiteral("/environ")).split('\0').contains(entry))
            continue;
        if (argv0 && ReadFileBytes(base + QStringLiteral("/cmdline")).split('\0').value(0) != argv0)
            continue;
        pids.push_back(pid);
    }
    return pids;
}

// True once `pid`, a child of this process, has ended within `ms`.
bool EndsWithin(pid_t pid, int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        QThread::msleep(10);
    } while (timer.elapsed() < ms);
    return false;
}

class ClipboardAfterExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        binary = qEnvironmentVariable("CALVOR_BINARY");
        if (binary.isEmpty() || !QFileInfo::exists(binary))
            GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
        for (const char *tool : {"Xvfb", "xclip", "xdotool"}) {
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                << tool << " is missing: run packaging/install-deps.sh";
        }
        // The keepers outlive the program started here; as their adopter
        // this process can wait for them and always collect them.
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);

        // An X server of its own, on the first free display.
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1024x768x24")});
        ASSERT_TRUE(xvfb.waitForStarted(30000));
        QByteArray display;
        while (!display.endsWith('\n') && xvfb.waitForReadyRead(30000))
            display += xvfb.readAllStandardOutput();
        ASSERT_TRUE(display.endsWith('\n')) << "Xvfb gave no display";

        ASSERT_TRUE(root.isValid());
        const QDir dir(root.path());
        for (const char *sub : {"bin", "config", "home"})
            ASSERT_TRUE(dir.mkpath(QString::fromUtf8(sub)));
        program = dir.filePath(QStringLiteral("bin/calvor"));
        ASSERT_TRUE(QFile::copy(binary, program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (int i = 0; i < 6; ++i)
            indices.Set(IndexTable::PositionOf(2000 + i, 1),
                        100.0f + 10.0f * static_cast<float>(i));
        ASSERT_TRUE(WriteFileBytes(dir.filePath(QStringLiteral("bin/Indices.txt")),
                                   indices.IndexFileText()));
        document = dir.filePath(QStringLiteral("calcul.clv"));
        ASSERT_TRUE(WriteFileBytes(document, DocumentBytes(SampleDocument(750.0))));

        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(display.trimmed()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
        env.insert(kTagName, QString::fromLatin1(tag));
    }

    void TearDown() override {
        // Whatever is left of this test's processes goes, and is collected.
        for (pid_t pid : TaggedProcesses(tag)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        xvfb.kill();
        xvfb.waitForFinished();
    }

    void SetCible(int cible) {
        QSettings stored(root.filePath(QStringLiteral("config/MORVA/Calvor.conf")),
                         QSettings::IniFormat);
        stored.setValue(QStringLiteral("Général/Cible"), cible);
        stored.setValue(QStringLiteral("Général/Symbole"), QStringLiteral("€"));
    }

    // Runs `tool` to its end; its standard output, or nothing on failure.
    QByteArray Run(const QString &tool, const QStringList &arguments,
                   const QByteArray &input = {}) {
        QProcess process;
        process.setProcessEnvironment(env);
        // A tool that stays in the background must not hold the pipes.
        if (!input.isEmpty())
            process.setStandardOutputFile(QProcess::nullDevice());
        process.start(tool, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << tool.toStdString() << " did not end";
            return {};
        }
        return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
    }

    // Copies `text` and waits until it is offered: xclip's part that serves
    // it goes to the background before it owns the clipboard.
    void Copy(const QByteArray &text) {
        Run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")},
            text);
        QElapsedTimer timer;
        timer.start();
        while (Paste("UTF8_STRING") != text && timer.elapsed() < 30000)
            QThread::msleep(20);
    }

    QByteArray Paste(const char *target) {
        return Run(QStringLiteral("xclip"),
                   {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                    QString::fromLatin1(target), QStringLiteral("-o")});
    }

    // Gives the keyboard to the first shown window whose name matches `name`
    // and that is not `other`, once there is one (30 s at most). Without a
    // window manager nobody else gives the focus back when a window closes.
    QString Focus(const char *name, const QString &other = {}) {
        QElapsedTimer timer;
        timer.start();
        do {
            const QStringList ids =
                QString::fromLatin1(Run(QStringLiteral("xdotool"),
                                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), QString::fromUtf8(name)}))
                    .split(u'\n', Qt::SkipEmptyParts);
            for (const QString &id : ids) {
                if (id != other) {
                    Run(QStringLiteral("xdotool"),
                        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
                    return id;
                }
            }
            QThread::msleep(50);
        } while (timer.elapsed() < 30000);
        ADD_FAILURE() << "no window " << name;
        return {};
    }

    void AwaitClosed(const char *name) {
        QElapsedTimer timer;
        timer.start();
        while (!Run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), QString::fromUtf8(name)})
                    .isEmpty() &&
               timer.elapsed() < 30000)
            QThread::msleep(50);
    }

    void Keys(const QString &keys) {
        QStringList arguments{QStringLiteral("key"), QStringLiteral("--delay"),
                              QStringLiteral("100")};
        arguments += keys.split(u' ');
        Run(QStringLiteral("xdotool"), arguments);
    }

    // The report's form that "Cible" puts on the clipboard, dated today
    // (either side of midnight).
    std::vector<QByteArray> ExpectedClipboard(int cible, QDate before, QDate after) {
        const UserLocale french = UserLocale::FromQLocale(QLocale(QStringLiteral("fr_FR")));
        ReadDecimalSeparator(french);
        const CalcDocument doc = SampleDocument(750.0);
        const RevisionOutcome outcome = CheckAndWalk(doc, indices);
        std::vector<QByteArray> forms;
        for (QDate day : {before, after}) {
            const PackedDate today = PackedDate::FromParts(static_cast<unsigned>(day.day()),
                                                           static_cast<unsigned>(day.month()),
                                                           static_cast<unsigned>(day.year()));
            const RevisionReport report = BuildRevisionReport(
                doc, outcome, today, ReportSettings{cible, QStringLiteral("€"), french});
            forms.push_back(cible == 1 ? report.Table() : report.Tabs());
        }
        return forms;
    }

    QString binary;
    QString program;
    QString document;
    QProcess xvfb;
    QTemporaryDir root;
    IndexTable indices;
    QProcessEnvironment env;
    const QByteArray tag = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
};

TEST_F(ClipboardAfterExitTest, ExportOutlivesTheProgramUntilAnotherCopy) {
    struct Case {
        const char *name;
        int cible;
        bool interactive; // "Exporter" in the preview, then "Quitter"
    };
    const Case cases[] = {
        {"command line, table form", 1, false},
        {"command line, tab form", 2, false},
        {"interactive, table form", 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetCible(c.cible);
        const QByteArray earlier = "texte copié avant";
        Copy(earlier);
        ASSERT_EQ(Paste("UTF8_STRING"), earlier);

        // The caller captures both outputs through a pipe: the shell only
        // goes on once every writer of that pipe has closed it.
        QProcess caller;
        caller.setProcessEnvironment(env);
        const QDate before = QDate::currentDate();
        caller.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("out=$(\"$0\" $1 2>&1); echo \"$?\""),
                      program, c.interactive ? QString() : document});
        ASSERT_TRUE(caller.waitForStarted(30000));
        if (c.interactive) {
            // Menu: open the document; data dialog: OK; preview: "Exporter";
            // back in the data dialog: Escape to the menu; Escape there is
            // "Quitter", and Enter answers its question with "Oui".
            Focus("^Calvor$");
            Keys(QStringLiteral("alt+o"));
            Focus("^(Ouvrir|Open)");
            Run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                            QStringLiteral("20"), document});
            Keys(QStringLiteral("Return"));
            AwaitClosed("^(Ouvrir|Open)");
            Focus("^Calvor$");
            Keys(QStringLiteral("alt+c"));
            Focus("^Donn");
            Keys(QStringLiteral("Return"));
            Focus("^Aper");
            Keys(QStringLiteral("Return"));
            Focus("^Donn");
            Keys(QStringLiteral("Escape"));
            const QString menu = Focus("^Calvor$");
            Keys(QStringLiteral("Escape"));
            Focus("^Calvor$", menu); // the question
            Keys(QStringLiteral("Return"));
        }
        if (!caller.waitForFinished(60000)) {
            caller.kill();
            caller.waitForFinished();
            FAIL() << "the caller did not see the program's output end";
        }
        EXPECT_EQ(caller.readAllStandardOutput(), QByteArray("0\n"));

        const std::vector<QByteArray> expected =
            ExpectedClipboard(c.cible, before, QDate::currentDate());
        const QByteArray pasted = Paste("text/rtf");
        EXPECT_TRUE(pasted == expected[0] || pasted == expected[1]) << pasted.constData();
        if (c.cible == 1) {
            EXPECT_EQ(pasted, ReadFileBytes(root.filePath(QStringLiteral("bin/Calcul.rtf"))));
        }
        EXPECT_EQ(Paste("UTF8_STRING"), earlier);

        // One keeper, holding nothing of the program: its standard streams
        // on /dev/null, no file open, the root as its folder.
        const std::vector<pid_t> keepers = TaggedProcesses(tag, kKeeperName);
        ASSERT_EQ(keepers.size(), 1u);
        const QString proc = QStringLiteral("/proc/%1/").arg(keepers[0]);
        EXPECT_EQ(QFileInfo(proc + QStringLiteral("cwd")).symLinkTarget(), QStringLiteral("/"));
        const QDir fds(proc + QStringLiteral("fd"));
        for (const QString &fd :
             fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            // Sockets, pipes and event counters read "socket:[…]" and so on;
            // only files have a path.
            char target[4096] = {};
            const QByteArray link = QFile::encodeName(fds.filePath(fd));
            const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
            if (n > 0 && (fd.toInt() <= 2 || target[0] == '/')) {
                EXPECT_STREQ(target, "/dev/null") << fd.toStdString();
            }
        }

        Copy("autre chose");
        EXPECT_TRUE(EndsWithin(keepers[0], 1000)) << "the keeper outlived its clipboard";
    }
}

} // namespace
