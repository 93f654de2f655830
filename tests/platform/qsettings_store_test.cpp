#include "platform/qsettings_store.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

ino_t InodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Every end of the program writes the three settings again: a value that is
// already stored must not rewrite (and flush) the settings file, while a
// changed value, or a value stored as another kind, is written.
TEST(QSettingsStore, RewritesTheFileOnlyWhenAValueChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString file = dir.filePath(QStringLiteral("MORVA/Calvor.conf"));
    const QString section = QStringLiteral("Général");

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
}

} // namespace
