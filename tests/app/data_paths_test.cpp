#include "app/data_paths.h"

#include "app/revision_app.h"
#include "engine/index_table.h"
#include "support/fakes.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr QFileDevice::Permissions kReadOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr QFileDevice::Permissions kWritableFolder = kReadOnlyFolder | QFileDevice::WriteOwner;

// An installation in a scratch folder: <root>/bin for the executable and,
// when asked, the shipped data folder at its place with its Indices.txt.
class DataPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("bin")));
    }
    void TearDown() override { QFile::setPermissions(Bin(), kWritableFolder); }

    QString Bin() const { return QDir(m_root.path()).filePath(QStringLiteral("bin")); }
    QString User() const { return QDir(m_root.path()).filePath(QStringLiteral("home/data")); }
    QString Shipped() const {
        return QDir(ShippedDataFolder(Bin())).filePath(QStringLiteral("Indices.txt"));
    }
    QString InUser(const char *name) const { return QDir(User()).filePath(QLatin1String(name)); }

    void Install(const QByteArray &indices) {
        ASSERT_TRUE(QDir().mkpath(ShippedDataFolder(Bin())));
        ASSERT_TRUE(WriteFileBytes(Shipped(), indices));
    }
    // Read-only for the superuser too: the folder has no write bit.
    void MakeBinReadOnly() { ASSERT_TRUE(QFile::setPermissions(Bin(), kReadOnlyFolder)); }

    QTemporaryDir m_root;
};

TEST_F(DataPathsTest, InstalledOrReadOnlyCopiesUseTheUserFolder) {
    const struct {
        const char *name;
        bool shipped;
        bool readOnlyBin;
        bool userFolderKnown;
        bool inUserFolder;
    } cases[] = {
        {"portable copy in a writable folder", false, false, true, false},
        {"installed, folder writable (the superuser)", true, false, true, true},
        {"installed, folder read-only", true, true, true, true},
        {"portable copy in a read-only folder", false, true, true, true},
        {"no home folder known", true, true, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::setPermissions(Bin(), kWritableFolder);
        QDir(ShippedDataFolder(Bin())).removeRecursively();
        if (c.shipped)
            Install("shipped");
        if (c.readOnlyBin)
            MakeBinReadOnly();

        const DataPaths paths =
            ChooseDataPaths(Bin() + u'/', c.userFolderKnown ? User() : QString());
        EXPECT_EQ(paths.folder, c.inUserFolder ? User() : Bin());
        EXPECT_EQ(paths.shippedIndices, c.inUserFolder && c.shipped ? Shipped() : QString());
        EXPECT_EQ(paths.IndicesPath(), QDir(paths.folder).filePath(QStringLiteral("Indices.txt")));
        EXPECT_EQ(paths.ReportPath(), QDir(paths.folder).filePath(QStringLiteral("Calcul.rtf")));
    }
}

// A relative XDG_DATA_HOME is ignored, as the XDG rules say: the folder is
// never taken under the current one.
TEST_F(DataPathsTest, ARelativeDataHomeIsIgnoredForTheHomeFolder) {
    Install("shipped");
    const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME");
    const QString fakeHome = QDir(m_root.path()).filePath(QStringLiteral("home"));
    qputenv("HOME", QFile::encodeName(fakeHome));
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(ChooseDataPaths(Bin(), QStringLiteral("relative/data/MORVA/Calvor")).folder,
              fakeHome + QStringLiteral("/.local/share/MORVA/Calvor"));
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", dataHome);
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
}

TEST_F(DataPathsTest, InstalledProgramStartsFromTheShippedIndicesOnlyWhenTheUserHasNone) {
    IndexTable shipped;
    shipped.Set(IndexTable::PositionOf(2024, 1), 145.17f);
    Install(shipped.IndexFileText());
    MakeBinReadOnly();
    IndexTable own;
    own.Set(0, 1.5f);

    // The first start: no message, the user's folder made and filled; the
    // next starts keep the user's own file.
    for (const IndexTable *expected : {&shipped, &own}) {
        FakeServices fakes;
        CRevisionApp app(fakes.As<AppServices>(), TestLocale::French(), Bin());
        app.SetUserDataFolder(User());
        app.InitInstance(QString());

        EXPECT_TRUE(fakes.boxes.Boxes().empty());
        EXPECT_EQ(app.m_strIndicesPath, InUser("Indices.txt"));
        EXPECT_EQ(app.m_strReportPath, InUser("Calcul.rtf"));
        EXPECT_EQ(app.m_indices.Values(), expected->Values());
        EXPECT_EQ(QDir(Bin()).entryList(QDir::Files | QDir::Hidden), QStringList());
        ASSERT_TRUE(WriteFileBytes(InUser("Indices.txt"), own.IndexFileText()));
    }
}

} // namespace
