#include "platform/qsettings_store.h"
#include "support/fakes.h"
#include "support/faulty_files.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QString kSection = QStringLiteral("Général");

// The settings file of a store in `dir`.
QString UseSettingsIn(const QTemporaryDir &dir) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    return dir.filePath(QStringLiteral("MORVA/Calvor.conf"));
}

ino_t InodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Every end of the program writes the three settings again: a value that is
// already stored must not rewrite (and flush) the settings file, while a
// changed value, or a value stored as another kind, is written.
TEST(QSettingsStore, RewritesTheFileOnlyWhenAValueChanges) {
    QTemporaryDir dir;
    const QString file = UseSettingsIn(dir);
    const QString &section = kSection;

    QSettingsStore store;
    store.WriteInt(section, QStringLiteral("Cible"), 1);
    store.WriteText(section, QStringLiteral("Symbole"), QStringLiteral("€"));
    const ino_t first = InodeOf(file);
    ASSERT_NE(first, 0u);

    store.WriteInt(section, QStringLiteral("Cible"), 1);
    store.WriteText(section, QStringLiteral("Symbole"), QStringLiteral("€"));
    EXPECT_EQ(InodeOf(file), first) << "unchanged values rewrote the file";

    store.WriteInt(section, QStringLiteral("Cible"), 2);
    EXPECT_NE(InodeOf(file), first);
    EXPECT_EQ(store.ReadInt(section, QStringLiteral("Cible")), 2);

    // A number whose digits are already stored as text is kept: a text file
    // of settings holds both the same way.
    store.WriteText(section, QStringLiteral("Date2000"), QStringLiteral("40"));
    const ino_t beforeInt = InodeOf(file);
    store.WriteInt(section, QStringLiteral("Date2000"), 40);
    EXPECT_EQ(InodeOf(file), beforeInt);
    EXPECT_EQ(store.ReadInt(section, QStringLiteral("Date2000")), 40);

    // Values of the same size written in quick succession are read back
    // each time, though file times may not have moved between the writes.
    for (int i = 0; i < 50; ++i) {
        store.WriteInt(section, QStringLiteral("Cible"), i % 2);
        ASSERT_EQ(store.ReadInt(section, QStringLiteral("Cible")), i % 2) << i;
    }
}

// A full disk or a failed flush during the settings write leaves the
// previous file whole, and what a killed write left goes at the next start.
TEST(QSettingsStore, AFailedWriteLeavesThePreviousSettingsWhole) {
    QTemporaryDir dir;
    const QString file = UseSettingsIn(dir);
    const QString cible = QStringLiteral("Cible");
    QSettingsStore().WriteInt(kSection, cible, 1);
    const QByteArray before = ReadFileBytes(file);
    ASSERT_TRUE(
        WriteFileBytes(dir.filePath(QStringLiteral("MORVA/.Calvor.conf.calvor-Ab12Cd")), ""));
    QSettingsStore store;
    for (const auto call : {FaultyFiles::kWrite, FaultyFiles::kSync}) {
        FaultyFiles faults;
        faults.Fail(call, call == FaultyFiles::kWrite ? ENOSPC : EIO, QStringLiteral("calvor-"));
        store.WriteInt(kSection, cible, 2);
        EXPECT_EQ(ReadFileBytes(file), before) << call;
    }
    EXPECT_EQ(store.ReadInt(kSection, cible), 1);
    store.RemoveLeftovers();
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("MORVA"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Calvor.conf")});
}

} // namespace

// Settings files the program did not write: values it cannot take as plain
// texts read as nothing, without being decoded; a file too big to be
// settings is neither read nor rewritten; other keys stay as they are.
TEST(QSettingsStore, HostileFilesGiveNothingAndStayAsTheyAre) {
    QTemporaryDir dir;
    const QString file = UseSettingsIn(dir);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("MORVA"))));
    const QByteArray level = "\\0\\0\\0\\t\\0\\0\\0\\0\\x1"; // a list holding one value
    const QByteArray nested = "@Variant(" + level.repeated(300000) + "\\0\\0\\0\\n\\0\\0\\0\\0)";
    const QByteArray head = "[G%E9n%E9ral]\nCible=2\nAutre=@Variant(\\0\\0\\0\\x7f)\n";
    const struct {
        const char *name;
        QByteArray text;
        std::optional<int> cible;
        std::optional<QString> symbole;
        bool rewritten; // a write changes the file
    } cases[] = {
        {"nested lists", head + "Symbole=" + nested + "\n", std::nullopt, std::nullopt, false},
        {"a 20 MB symbol", head + "Symbole=" + QByteArray(20 * 1024 * 1024, 'F') + "\n",
         std::nullopt, std::nullopt, false},
        {"just too big", head + "Symbole=F\n;" + QByteArray(kMaxSettingsFileBytes, ' ') + "\n",
         std::nullopt, std::nullopt, false},
        {"a value of another kind", head + "Symbole=@Variant(\\0\\0\\0\\t\\0\\0\\0\\0\\x1)\n", 2,
         std::nullopt, true},
        {"plain", head + "Symbole=\"F, CHF\"\n", 2, QStringLiteral("F, CHF"), true},
    };
    QSettingsStore store;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(file, c.text));
        EXPECT_EQ(store.ReadInt(kSection, QStringLiteral("Cible")), c.cible);
        EXPECT_EQ(store.ReadText(kSection, QStringLiteral("Symbole")), c.symbole);
        EXPECT_EQ(store.ReadText(kSection, QStringLiteral("Autre")), std::nullopt);
        store.WriteInt(kSection, QStringLiteral("Cible"), 1);
        const QByteArray after = ReadFileBytes(file);
        if (c.rewritten) {
            EXPECT_EQ(after, QByteArray(c.text).replace("Cible=2", "Cible=1"));
        } else {
            EXPECT_EQ(after, c.text);
        }
    }

    // A pipe in the file's place is not waited for.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    EXPECT_EQ(store.ReadInt(kSection, QStringLiteral("Cible")), std::nullopt);
}
