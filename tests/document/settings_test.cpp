#include "document/settings.h"

#include "platform/qsettings_store.h"
#include "platform/services.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

// The child side of the cross-process tests: re-run with the settings folder
// in CALVOR_SETTINGS_DIR, it reads the values named in CALVOR_SETTINGS_NAMES
// (comma-separated) through a fresh store and prints one line per value.
const char kDirEnv[] = "CALVOR_SETTINGS_DIR";
const char kNamesEnv[] = "CALVOR_SETTINGS_NAMES";

void UseSettingsFolder(const QString &folder) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QString Describe(const std::optional<int> &n) {
    return n ? QString::number(*n) : QStringLiteral("none");
}

QString Describe(const std::optional<QString> &t) {
    return t ? u'[' + *t + u']' : QStringLiteral("none");
}

QString SelfPath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

// Runs the child and returns its lines "name int text".
QStringList ReadInAnotherProcess(const QString &folder, const QStringList &names) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kDirEnv), folder);
    env.insert(QString::fromLatin1(kNamesEnv), names.join(u','));
    child.setProcessEnvironment(env);
    child.start(SelfPath(), {QStringLiteral("--gtest_also_run_disabled_tests"),
                             QStringLiteral("--gtest_filter=SettingsChild.DISABLED_PrintValues")});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return {QStringLiteral("child failed")};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("value ")))
            lines.append(line.mid(6));
    }
    return lines;
}

class FakeWindow final : public IWindowGeometry {
public:
    QRect WindowRect() const override { return QRect(topLeft, size); }
    void MoveTo(QPoint to) override {
        topLeft = to;
        ++moves;
    }
    QPoint topLeft;
    QSize size{400, 300};
    int moves = 0;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        UseSettingsFolder(m_dir.path());
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST(SettingsChild, DISABLED_PrintValues) {
    const char *folder = std::getenv(kDirEnv);
    const char *names = std::getenv(kNamesEnv);
    ASSERT_NE(folder, nullptr);
    ASSERT_NE(names, nullptr);
    UseSettingsFolder(QString::fromLocal8Bit(folder));
    QSettingsStore store;
    const AppSettings read = ReadSettingsFrom(store, QStringLiteral("LOCALE"));
    std::cout << "value settings " << read.cible << ' ' << read.symbole.toStdString() << ' '
              << read.date2000 << std::endl;
    for (const QString &name : QString::fromLocal8Bit(names).split(u',', Qt::SkipEmptyParts)) {
        const QString line = name + u' ' + Describe(store.ReadInt(SettingsSection(), name)) + u' ' +
                             Describe(store.ReadText(SettingsSection(), name));
        std::cout << "value " << line.toStdString() << std::endl;
    }
}

TEST(SettingsTest, StoredValuesAreTakenWithoutRangeChecksAndMissingOnesDefault) {
    const struct {
        int cible;
        QString symbole;
        int date2000;
    } cases[] = {
        {2, QStringLiteral("€"), 30},
        {3, QString(), 150}, // an empty symbol is a stored value too
        {-1, QStringLiteral("F, CHF"), -7},
        {INT_MIN, QStringLiteral("$"), INT_MAX},
    };
    for (const auto &c : cases) {
        MemorySettingsStore store;
        WriteSettingsTo(store, AppSettings{c.cible, c.symbole, c.date2000});
        EXPECT_EQ(store.writes, 3);
        const AppSettings s = ReadSettingsFrom(store, QStringLiteral("€"));
        EXPECT_EQ(s.cible, c.cible);
        EXPECT_EQ(s.symbole, c.symbole);
        EXPECT_EQ(s.date2000, c.date2000);
    }

    // Missing values get their defaults and the whole locale symbol.
    MemorySettingsStore empty;
    const QString longSymbol = QStringLiteral("francs suisses"); // more than 9 characters
    const AppSettings s = ReadSettingsFrom(empty, longSymbol);
    EXPECT_EQ(s.cible, 0);
    EXPECT_EQ(s.symbole, longSymbol);
    EXPECT_EQ(s.date2000, 40);
}

// A stored symbol longer than any the program itself stores (the options
// dialog's 3 characters, the locale's default up to 9) is not taken: a
// hostile one would make every report as long.
TEST(SettingsTest, ASymbolBeyondItsLimitGivesTheDefault) {
    const struct {
        QString stored;
        bool taken;
    } cases[] = {
        {QStringLiteral("123456789"), true},
        {QStringLiteral("1234567890"), false},
        {QString(20 * 1024 * 1024, u'F'), false},
    };
    for (const auto &c : cases) {
        MemorySettingsStore store;
        WriteSettingsTo(store, AppSettings{1, c.stored, 40});
        const AppSettings s = ReadSettingsFrom(store, QStringLiteral("LOCALE"));
        EXPECT_EQ(s.symbole, c.taken ? c.stored : QStringLiteral("LOCALE")) << c.stored.size();
    }
}

TEST(DialogPositionTest, RestoreMovesOnlyOnceAPositionIsKnown) {
    DialogPosition position;
    FakeWindow window;
    window.topLeft = QPoint(100, 80);
    position.RestoreWindowPosition(window); // first showing: keep the template's place
    EXPECT_EQ(window.moves, 0);
    EXPECT_EQ(window.topLeft, QPoint(100, 80));

    const QPoint corners[] = {{-1200, -5}, {0, 0}, {1919, 1079}, {INT_MIN + 1, 7}};
    for (const QPoint corner : corners) {
        window.topLeft = corner;
        position.SaveWindowPosition(window);
        FakeWindow reopened;
        reopened.topLeft = QPoint(300, 200); // centred by the template
        position.RestoreWindowPosition(reopened);
        EXPECT_EQ(reopened.topLeft, corner);
        EXPECT_EQ(reopened.size, QSize(400, 300));
        EXPECT_EQ(reopened.moves, 1);
    }
}

TEST_F(SettingsStoreTest, WrittenSettingsLiveInTheUsersConfigurationFolder) {
    QSettingsStore store;
    WriteSettingsTo(store, AppSettings{1, QStringLiteral("€"), 45});
    const QString file = m_dir.filePath(QStringLiteral("MORVA/Calvor.conf"));
    ASSERT_TRUE(QFileInfo::exists(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("Cible=1")) << text.toStdString();
    EXPECT_TRUE(text.contains("Date2000=45")) << text.toStdString();

    const AppSettings s = ReadSettingsFrom(store, QStringLiteral("$"));
    EXPECT_EQ(s.cible, 1);
    EXPECT_EQ(s.symbole, QStringLiteral("€"));
    EXPECT_EQ(s.date2000, 45);
}

TEST_F(SettingsStoreTest, ValuesOfAnotherKindAreConvertedOrGiveNothing) {
    {
        QSettings raw(QStringLiteral("MORVA"), QStringLiteral("Calvor"));
        raw.beginGroup(SettingsSection());
        raw.setValue(QStringLiteral("text12"), QStringLiteral("12"));
        raw.setValue(QStringLiteral("textNeg"), QStringLiteral("-40"));
        raw.setValue(QStringLiteral("letters"), QStringLiteral("abc"));
        raw.setValue(QStringLiteral("huge"), QStringLiteral("99999999999"));
        raw.setValue(QStringLiteral("wide"), QVariant(qlonglong(1) << 40));
        raw.setValue(QStringLiteral("unsigned"), QVariant(0xFFFFFFFFu));
        raw.setValue(QStringLiteral("number"), QVariant(7));
        raw.setValue(QStringLiteral("bytes"), QVariant(QByteArray("\x01\x02", 2)));
    }
    QSettingsStore store;
    const struct {
        const char *name;
        std::optional<int> asInt;
        std::optional<QString> asText;
    } cases[] = {
        {"text12", 12, QStringLiteral("12")},
        {"textNeg", -40, QStringLiteral("-40")},
        {"letters", std::nullopt, QStringLiteral("abc")},
        {"huge", std::nullopt, QStringLiteral("99999999999")},
        {"wide", std::nullopt, QStringLiteral("1099511627776")},
        {"unsigned", -1, QStringLiteral("4294967295")}, // the bits of a 32-bit word
        {"number", 7, QStringLiteral("7")},
        {"bytes", std::nullopt, std::nullopt},
        {"missing", std::nullopt, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(store.ReadInt(SettingsSection(), name), c.asInt);
        EXPECT_EQ(store.ReadText(SettingsSection(), name), c.asText);
    }
}

TEST_F(SettingsStoreTest, AnotherProcessReadsWhatThisOneWrote) {
    // In a new process every value comes back from the text file as text.
    QSettingsStore store;
    WriteSettingsTo(store, AppSettings{2, QStringLiteral("€, CHF"), 99});
    store.WriteText(SettingsSection(), QStringLiteral("Odd"), QStringLiteral("abc"));
    store.WriteInt(SettingsSection(), QStringLiteral("Negative"), -2147483647 - 1);

    const QStringList lines =
        ReadInAnotherProcess(m_dir.path(), {QStringLiteral("Cible"), QStringLiteral("Symbole"),
                                            QStringLiteral("Date2000"), QStringLiteral("Odd"),
                                            QStringLiteral("Negative"), QStringLiteral("Missing")});
    EXPECT_EQ(lines, QStringList({
                         QStringLiteral("settings 2 €, CHF 99"),
                         QStringLiteral("Cible 2 [2]"),
                         QStringLiteral("Symbole none [€, CHF]"),
                         QStringLiteral("Date2000 99 [99]"),
                         QStringLiteral("Odd none [abc]"),
                         QStringLiteral("Negative -2147483648 [-2147483648]"),
                         QStringLiteral("Missing none none"),
                     }));

    // Values it cannot read fall back to their defaults.
    store.WriteText(SettingsSection(), QStringLiteral("Cible"), QStringLiteral("deux"));
    store.WriteText(SettingsSection(), QStringLiteral("Date2000"), QStringLiteral("4294967336"));
    store.WriteText(SettingsSection(), QStringLiteral("Symbole"), QStringLiteral("LOCALE"));
    EXPECT_EQ(ReadInAnotherProcess(m_dir.path(), {}),
              QStringList{QStringLiteral("settings 0 LOCALE 40")});
}

// "Contrôles" is 1 unless stored otherwise, and is written once it is not
// the default or was stored before.
TEST(SettingsTest, ControlesDefaultsToOneAndIsWrittenOnceChosen) {
    const QString key = QStringLiteral("Général/Contrôles");
    const struct {
        std::optional<int> stored;
        int written;
        int read;                 // what reading the store gives first
        std::optional<int> after; // in the store after the write
    } cases[] = {
        {std::nullopt, 1, 1, std::nullopt},
        {std::nullopt, 0, 1, 0},
        {0, 1, 0, 1},
        {7, 7, 7, 7},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.written);
        MemorySettingsStore store;
        if (c.stored)
            store.ints.insert(key, *c.stored);
        EXPECT_EQ(ReadSettingsFrom(store, QStringLiteral("€")).controles, c.read);
        WriteSettingsTo(store, AppSettings{0, QStringLiteral("€"), 40, c.written});
        EXPECT_EQ(store.writes, c.after ? 4 : 3);
        EXPECT_EQ(store.ints.contains(key) ? std::optional(store.ints.value(key)) : std::nullopt,
                  c.after);
    }
}
