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

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const QByteArray kTagName = "CALVOR_TEST_TAG";

// True when `done` holds within `ms`, tried every 20 ms.
bool Within(int ms, const std::function<bool()> &done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// The processes whose environment carries `tag` (and, when given, whose
// argv[0] is `name`).
std::vector<pid_t> TaggedProcesses(const QByteArray &tag, const QByteArray &name = {}) {
    std::vector<pid_t> pids;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString base = QStringLiteral("/proc/") + entry;
        const pid_t pid = entry.toInt();
        if (pid == 0 || pid == getpid() ||
            !ReadFileBytes(base + QStringLiteral("/environ"))
                 .split('\0')
                 .contains(kTagName + '=' + tag))
            continue;
        if (name.isEmpty() ||
            ReadFileBytes(base + QStringLiteral("/cmdline")).split('\0')[0] == name)
            pids.push_back(pid);
    }
    return pids;
}

class ClipboardAfterExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString binary = qEnvironmentVariable("CALVOR_BINARY");
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
                   QProcess::splitCommand(u"-displayfd 1 -nolisten tcp -screen 0 1024x768x24"));
        QByteArray display;
        while (!display.endsWith('\n') && xvfb.waitForReadyRead(30000))
            display += xvfb.readAllStandardOutput();
        ASSERT_TRUE(display.endsWith('\n')) << "Xvfb gave no display";

        ASSERT_TRUE(root.isValid());
        for (const char *sub : {"bin", "config", "home"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromUtf8(sub)));
        program = root.filePath(QStringLiteral("bin/calvor"));
        ASSERT_TRUE(QFile::copy(binary, program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (int i = 0; i < 6; ++i)
            indices.Set(IndexTable::PositionOf(2000 + i, 1), 100.0f + 10.0f * float(i));
        ASSERT_TRUE(WriteFileBytes(root.filePath(QStringLiteral("bin/Indices.txt")),
                                   indices.IndexFileText()));
        document = root.filePath(QStringLiteral("calcul.clv"));
        ASSERT_TRUE(WriteFileBytes(document, DocumentBytes(SampleDocument(750.0))));

        QSettings(root.filePath(QStringLiteral("config/MORVA/Calvor.conf")), QSettings::IniFormat)
            .setValue(QStringLiteral("Général/Symbole"), QStringLiteral("€"));
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(display.trimmed()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
        env.insert(QString::fromLatin1(kTagName), QString::fromLatin1(tag));
    }

    void TearDown() override {
        // Whatever is left of this test's processes goes, and is collected.
        for (pid_t pid : TaggedProcesses(tag)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        xvfb.kill();
        xvfb.waitForFinished();
        // The background xclips that ended when they lost the clipboard.
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

    // Runs `command` to its end; its standard output, or nothing when it
    // failed.
    QByteArray Run(const QString &command, const QByteArray &input = {}) {
        QStringList arguments = QProcess::splitCommand(command);
        QProcess process;
        process.setProcessEnvironment(env);
        // A tool that stays in the background must not hold the pipe.
        if (!input.isEmpty())
            process.setStandardOutputFile(QProcess::nullDevice());
        process.start(arguments.takeFirst(), arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << command.toStdString() << " did not end";
        }
        return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
    }

    QByteArray Paste(const QString &target) {
        return Run(QStringLiteral("xclip -selection clipboard -o -t ") + target);
    }

    // xclip's part that serves the bytes goes to the background before it
    // owns the clipboard: wait until they are offered.
    void Copy(const QByteArray &bytes, const QString &target = QStringLiteral("UTF8_STRING")) {
        Run(QStringLiteral("xclip -selection clipboard -t ") + target, bytes);
        EXPECT_TRUE(Within(30000, [&] { return Paste(target) == bytes; }));
    }

    // Gives the keyboard to a shown window named like `name` that is not
    // `other`: without a window manager nobody gives it back when a
    // window closes.
    QString Focus(const QString &name, const QString &other = {}) {
        QString found;
        EXPECT_TRUE(Within(30000, [&] {
            for (const QByteArray &id :
                 Run(QStringLiteral("xdotool search --onlyvisible --name ") + name).split('\n'))
                found = !id.isEmpty() && id != other.toLatin1() ? QString::fromLatin1(id) : found;
            return !found.isEmpty();
        })) << name.toStdString();
        Run(QStringLiteral("xdotool windowfocus --sync ") + found);
        return found;
    }

    void Keys(const QString &keys) { Run(QStringLiteral("xdotool key --delay 100 ") + keys); }

    // The form of the report that "Cible" puts on the clipboard, dated `day`.
    QByteArray Expected(int cible, QDate day) {
        const UserLocale french = UserLocale::FromQLocale(QLocale(QStringLiteral("fr_FR")));
        ReadDecimalSeparator(french);
        const CalcDocument doc = SampleDocument(750.0);
        const RevisionReport report = BuildRevisionReport(
            doc, CheckAndWalk(doc, indices),
            PackedDate::FromParts(unsigned(day.day()), unsigned(day.month()), unsigned(day.year())),
            ReportSettings{cible, QStringLiteral("€"), french});
        return cible == 1 ? report.Table() : report.Tabs();
    }

    QProcess xvfb;
    QTemporaryDir root;
    QString program;
    QString document;
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
    // A picture copied before, and one too big to keep beside the report.
    QByteArray picture;
    QBuffer buffer(&picture);
    buffer.open(QIODevice::WriteOnly);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(&buffer, "PNG");
    const QByteArray huge = QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(17 * 1024 * 1024, 'p');
    struct Earlier {
        const char *target;
        QByteArray bytes;
        bool kept;
    };
    const Earlier text{"UTF8_STRING", "texte copié avant", true};
    const struct {
        Case run;
        Earlier earlier;
    } cases[] = {
        {{"command line, table form", 1, false}, text},
        {{"command line, tab form", 2, false}, text},
        {{"interactive, table form", 1, true}, text},
        {{"command line, a picture copied before", 1, false}, {"image/png", picture, true}},
        {{"command line, a picture too big to keep", 2, false}, {"image/png", huge, false}},
    };
    for (const auto &[c, earlier] : cases) {
        SCOPED_TRACE(c.name);
        QSettings(root.filePath(QStringLiteral("config/MORVA/Calvor.conf")), QSettings::IniFormat)
            .setValue(QStringLiteral("Général/Cible"), c.cible);
        Copy(earlier.bytes, QString::fromLatin1(earlier.target));

        // The caller captures both outputs through a pipe: the shell goes
        // on only once every writer of that pipe has closed it.
        QProcess caller;
        caller.setProcessEnvironment(env);
        const QDate before = QDate::currentDate();
        caller.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("out=$(\"$0\" $1 2>&1); echo \"$?\""),
                      program, c.interactive ? QString() : document});
        if (c.interactive) {
            // Menu: open the document; data dialog: OK; preview: "Exporter";
            // data dialog: Escape to the menu; Escape there is "Quitter",
            // and Enter answers its question with "Oui".
            Focus(QStringLiteral("^Calvor$"));
            Keys(QStringLiteral("alt+o"));
            Focus(QStringLiteral("^(Ouvrir|Open)"));
            Run(QStringLiteral("xdotool type --delay 20 ") + document);
            Keys(QStringLiteral("Return"));
            EXPECT_TRUE(Within(30000, [&] {
                return Run(QStringLiteral("xdotool search --onlyvisible --name ^(Ouvrir|Open)"))
                    .isEmpty();
            }));
            for (const char *step :
                 {"^Calvor$ alt+c", "^Donn Return", "^Aper Return", "^Donn Escape"}) {
                const QStringList parts = QString::fromUtf8(step).split(u' ');
                Focus(parts[0]);
                Keys(parts[1]);
            }
            const QString menu = Focus(QStringLiteral("^Calvor$"));
            Keys(QStringLiteral("Escape"));
            Focus(QStringLiteral("^Calvor$"), menu); // the question
            Keys(QStringLiteral("Return"));
        }
        if (!caller.waitForFinished(60000)) {
            caller.kill();
            caller.waitForFinished();
            FAIL() << "the caller did not see the program's output end";
        }
        EXPECT_EQ(caller.readAllStandardOutput(), QByteArray("0\n"));

        const QByteArray pasted = Paste(QStringLiteral("text/rtf"));
        EXPECT_TRUE(pasted == Expected(c.cible, before) ||
                    pasted == Expected(c.cible, QDate::currentDate()));
        if (c.cible == 1) {
            EXPECT_EQ(pasted, ReadFileBytes(root.filePath(QStringLiteral("bin/Calcul.rtf"))));
        }
        EXPECT_EQ(Paste(QString::fromLatin1(earlier.target)),
                  earlier.kept ? earlier.bytes : QByteArray());
        // Only data is kept: each target offered once (the protocol's own
        // are Qt's), and no conversion of a picture.
        const QByteArrayList targets = Paste(QStringLiteral("TARGETS")).split('\n');
        for (const QByteArray &target : targets) {
            EXPECT_EQ(targets.count(target), 1) << target.constData();
            if (target.startsWith("image/")) {
                EXPECT_EQ(target, QByteArray("image/png"));
            }
        }

        // One keeper, holding nothing of the program: its standard streams
        // on /dev/null, no file open, the root as its folder, running from
        // no file of the program's medium.
        const std::vector<pid_t> keepers = TaggedProcesses(tag, "calvor-clipboard-keeper");
        ASSERT_EQ(keepers.size(), 1u);
        const QString proc = QStringLiteral("/proc/%1/").arg(keepers[0]);
        EXPECT_EQ(QFileInfo(proc + QStringLiteral("cwd")).symLinkTarget(), QStringLiteral("/"));
        const QByteArray medium = QFile::encodeName(root.path());
        EXPECT_FALSE(ReadFileBytes(proc + QStringLiteral("maps")).contains(medium));
        EXPECT_FALSE(QFile::encodeName(QFileInfo(proc + QStringLiteral("exe")).symLinkTarget())
                         .startsWith(medium));
        const QDir fds(proc + QStringLiteral("fd"));
        for (const QString &fd :
             fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            // Sockets, pipes and event counters read "socket:[…]" and so on.
            char target[4096] = {};
            readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target - 1);
            if (fd.toInt() <= 2 || target[0] == '/') {
                EXPECT_STREQ(target, "/dev/null") << fd.toStdString();
            }
        }

        Copy("autre chose");
        EXPECT_TRUE(Within(1000, [&] {
            return waitpid(keepers[0], nullptr, WNOHANG) == keepers[0];
        })) << "the keeper outlived its clipboard";
    }
}

} // namespace
