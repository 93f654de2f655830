// The program itself, started with a document path in a scratch folder:
// no window, the report written next to the executable, exit status 0.
// Failing runs show message boxes, which would wait for a user; they are
// tested through the application object instead.

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
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

namespace {

TEST(CommandLineMode, ProgramWritesTheReportBesideItselfAndExitsWithZero) {
    const QString binary = qEnvironmentVariable("CALVOR_BINARY");
    if (binary.isEmpty() || !QFileInfo::exists(binary))
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";

    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir dir(root.path());
    for (const char *sub : {"bin", "docs", "config", "home", "work"})
        ASSERT_TRUE(dir.mkpath(QString::fromUtf8(sub)));
    const QString program = dir.filePath(QStringLiteral("bin/calvor"));
    ASSERT_TRUE(QFile::copy(binary, program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The index file beside the program, with the second-quarter indices
    // 2000 to 2005.
    IndexTable indices;
    const float values[] = {100.0f, 110.5f, 121.0f, 130.25f, 140.0f, 150.0f};
    for (int i = 0; i < 6; ++i)
        indices.Set(IndexTable::PositionOf(2000 + i, 1), values[i]);
    ASSERT_TRUE(
        WriteFileBytes(dir.filePath(QStringLiteral("bin/Indices.txt")), indices.IndexFileText()));

    const CalcDocument doc = SampleDocument(1234.5);
    // A name with a blank, given as two arguments: they are joined again.
    ASSERT_TRUE(
        WriteFileBytes(dir.filePath(QStringLiteral("docs/Mon calcul.clv")), DocumentBytes(doc)));

    // "Cible" 3 exports nothing, so the test opens no program and leaves the
    // clipboard alone.
    const QString settingsFile = dir.filePath(QStringLiteral("config/MORVA/Calvor.conf"));
    {
        QSettings stored(settingsFile, QSettings::IniFormat);
        stored.setValue(QStringLiteral("Général/Cible"), 3);
        stored.setValue(QStringLiteral("Général/Symbole"), QStringLiteral("€"));
    }

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
    child.setProcessEnvironment(env);
    // Another current folder: the files still go beside the program.
    child.setWorkingDirectory(dir.filePath(QStringLiteral("work")));
    const QDate before = QDate::currentDate();
    child.start(program, {dir.filePath(QStringLiteral("docs/Mon")), QStringLiteral("calcul.clv")});
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
    const RevisionOutcome outcome = CheckAndWalk(doc, indices);
    ASSERT_EQ(outcome.rows.size(), 5u);
    const auto reportOn = [&](QDate day) {
        PackedDate today = PackedDate::FromParts(static_cast<unsigned>(day.day()),
                                                 static_cast<unsigned>(day.month()),
                                                 static_cast<unsigned>(day.year()));
        return BuildRevisionReport(doc, outcome, today,
                                   ReportSettings{3, QStringLiteral("€"), french})
            .Table();
    };
    const QByteArray written = ReadFileBytes(dir.filePath(QStringLiteral("bin/Calcul.rtf")));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(written == reportOn(before) || written == reportOn(after));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("work/Calcul.rtf"))));

    // Start-up rewrote the index file; shutdown wrote the settings.
    EXPECT_EQ(ReadFileBytes(dir.filePath(QStringLiteral("bin/Indices.txt"))).size(), 15425);
    const QSettings stored(settingsFile, QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Général/Cible")).toInt(), 3);
    EXPECT_EQ(stored.value(QStringLiteral("Général/Date2000")).toInt(), 40);
}

} // namespace
