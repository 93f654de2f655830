#include "app/revision_app.h"

#include "document/calc_document_file.h"
#include "document/settings.h"
#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/revision_report.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/message_format.h"
#include "platform/office_lock.h"
#include "platform/string_table.h"
#include "platform_widgets/dialog.h"
#include "support/fakes.h"
#include "support/faulty_files.h"
#include "support/modal_test_support.h"
#include "support/sample_document.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <memory>
#include <vector>

namespace {

QString Key(const char *name) {
    return QStringLiteral("Général/") + QLatin1String(name);
}

// Second-quarter indices 2000 to 2005: 100, 110, 121, 130, 140, 150.
IndexTable SampleIndices() {
    IndexTable t;
    const float values[] = {100.0f, 110.0f, 121.0f, 130.0f, 140.0f, 150.0f};
    for (int i = 0; i < 6; ++i)
        t.Set(IndexTable::PositionOf(2000 + i, 1), values[i]);
    return t;
}

QString BadDateText(const char *name) {
    return QStringLiteral("La date %1 est incorrecte.\nVérifiez que son jour, son mois et son "
                          "année sont valides.\nAttention, son année doit être comprise entre "
                          "1970 et 2106 inclus.")
        .arg(QString::fromUtf8(name));
}

// A dialog of the loop that records its runs and ends each with the next
// value of its script, without showing a window.
class ScriptedLoopDialog final : public CDialog {
public:
    ScriptedLoopDialog(IMessageBoxService &boxes, char name, std::vector<int> script,
                       std::string &log)
        : CDialog(DialogTemplate{900, QStringLiteral("Essai"), 50, 20, 0, {}}, boxes)
        , m_name(name)
        , m_script(std::move(script))
        , m_log(log) {}
    ~ScriptedLoopDialog() override {
        m_log += '~';
        m_log += m_name;
    }

protected:
    bool OnInitDialog() override {
        m_log += m_name;
        EndDialog(m_next < m_script.size() ? m_script[m_next++] : 0);
        return false;
    }

private:
    char m_name;
    std::vector<int> m_script;
    std::size_t m_next = 0;
    std::string &m_log;
};

class RevisionAppTest : public ::testing::Test, protected FakeServices {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override {
        ClearQuitRequest();
        clock.Set(LocalDate{2024, 3, 15});
        ASSERT_TRUE(dir.isValid());
        folder = dir.path();
        locale = TestLocale::French();
    }
    void TearDown() override { ClearQuitRequest(); }

    CRevisionApp &App() {
        if (!app) {
            const AppServices services = As<AppServices>();
            app = std::make_unique<CRevisionApp>(services, locale, folder);
        }
        return *app;
    }

    QString InFolder(const QString &name) const { return QDir(folder).filePath(name); }

    void WriteIndices(const IndexTable &table) {
        ASSERT_TRUE(WriteFileBytes(InFolder(QStringLiteral("Indices.txt")), table.IndexFileText()));
    }

    // An application ready to calculate without going through start-up.
    CRevisionApp &CalculatingApp(const CalcDocument &doc) {
        CRevisionApp &a = App();
        ReadDecimalSeparator(locale);
        a.m_doc = doc;
        a.m_indices = SampleIndices();
        a.m_strSymbole = QStringLiteral("€");
        a.m_strReportPath = InFolder(QStringLiteral("Calcul.rtf"));
        return a;
    }

    QTemporaryDir dir;
    QString folder;
    UserLocale locale;
    std::unique_ptr<CRevisionApp> app;
};

TEST_F(RevisionAppTest, MissingIndexFileIsReportedOnceAndCreatedCleanBesideTheExecutable) {
    // The files lie in the executable's folder whatever the current one.
    const QString before = QDir::currentPath();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    folder = dir.path() + u'/'; // a trailing separator gives no double one
    CRevisionApp &a = App();
    EXPECT_FALSE(a.InitInstance(QString()));
    QDir::setCurrent(before);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, LoadString(IDS_INDEX_FILE_ERROR));
    EXPECT_EQ(boxes.Boxes()[0].flags, unsigned{MB_OK | MB_ICONSTOP});
    EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("Calvor"));
    EXPECT_EQ(a.m_strIndicesPath, QDir(dir.path()).filePath(QStringLiteral("Indices.txt")));
    EXPECT_EQ(a.m_strReportPath, QDir(dir.path()).filePath(QStringLiteral("Calcul.rtf")));
    EXPECT_EQ(QFileInfo(a.m_strIndicesPath).size(), 15425);
    EXPECT_FALSE(QFileInfo::exists(QDir(elsewhere.path()).filePath(QStringLiteral("Indices.txt"))));
    EXPECT_FALSE(IsQuitPending());
    EXPECT_EQ(a.ExitInstance(), 0);
}

TEST_F(RevisionAppTest, StartUpNormalisesTheIndexFileAndClearsTheDocument) {
    ASSERT_TRUE(WriteFileBytes(InFolder(QStringLiteral("Indices.txt")),
                               QByteArrayLiteral("; commentaire\r\n100\r\n101,5\r\n")));
    CRevisionApp &a = App();
    a.m_doc = SampleDocument(500.0);
    a.InitInstance(QString());

    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(a.m_indices.At(0), 100.0f);
    EXPECT_EQ(a.m_indices.At(1), 101.5f);
    EXPECT_EQ(ReadFileBytes(a.m_strIndicesPath), a.m_indices.IndexFileText());
    EXPECT_EQ(a.m_doc.signature.Word(), 0u);
    EXPECT_EQ(a.m_doc.rent, 0.0);
    EXPECT_EQ(a.m_nDlgLeft, DialogPosition::kNone);
    EXPECT_FALSE(a.m_bCommandLine);
}

TEST_F(RevisionAppTest, MissingIndexFileThatCannotBeCreatedIsReportedTwiceAndEndsTheLoopAtOnce) {
    // A folder without write permission refuses the file even to the
    // superuser.
    const QFile::Permissions writable = QFile::permissions(folder);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    std::string log;
    App().SetLoopDialogFactory([&](CRevisionApp &a) {
        CRevisionApp::LoopDialogs d;
        d.mainMenu =
            std::make_unique<ScriptedLoopDialog>(a.MessageBoxes(), 'M', std::vector<int>{101}, log);
        return d;
    });
    App().InitInstance(QString());
    QFile::setPermissions(folder, writable);

    EXPECT_EQ(boxes.Texts(),
              QStringList({LoadString(IDS_INDEX_FILE_ERROR), LoadString(IDS_INDEX_FILE_ERROR)}));
    EXPECT_TRUE(IsQuitPending());
    EXPECT_EQ(App().LoopEndValue(), -1);
    EXPECT_EQ(log, "~M"); // never shown, destroyed at the end of start-up
    EXPECT_EQ(App().ExitInstance(), 0);
    EXPECT_EQ(settings.writes, 3);
}

// The index file is the user's only copy of years of values: start-up never
// replaces one it could not read, and keeps what a rewrite replaces. A file
// that was read is used whatever becomes of its rewrite, and the messages
// say what happened to which file.
TEST_F(RevisionAppTest, StartUpNeverReplacesAnIndexFileItCouldNotRead) {
    const QByteArray values = "100\r\n101,5\r\n";
    enum Situation {
        kFolder,
        kReadError,
        kNotReadable,
        kHeld,
        kReadOnly,
        kNotCanonical,
        kBackupFolder,
        kTooLarge,
    };
    const struct {
        const char *name;
        Situation situation;
        unsigned message; // shown once; 0: none
        bool quits;
        float first; // element 0 after start-up
        bool rewritten;
        bool backupKept;
    } cases[] = {
        {"a folder in the file's place", kFolder, IDS_INDEX_FILE_ERROR, false, 0.0f, false, false},
        {"read error", kReadError, IDS_INDEX_FILE_ERROR, false, 0.0f, false, false},
        {"held by another copy past the wait", kHeld, IDS_INDEX_FILE_ERROR, false, 0.0f, false,
         false},
        {"read-only file: read, used, left as it is", kReadOnly, IDS_INDEX_FILE_NOT_REWRITTEN,
         false, 100.0f, false, false},
        {"normalised, the old file kept as the backup", kNotCanonical, 0, false, 100.0f, true,
         true},
        {"backup's name taken by a folder", kBackupFolder, IDS_INDEX_BACKUP_NOT_KEPT, false, 100.0f,
         true, false},
        {"too large: its first values used, left as it is", kTooLarge, IDS_INDEX_FILE_TOO_LARGE,
         false, 100.0f, false, false},
    };
    const QString path = InFolder(QStringLiteral("Indices.txt"));
    const QString backup = BackupPathFor(path);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        app.reset();
        ClearQuitRequest();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path);
        QFile::remove(backup);
        QDir(folder).rmdir(QStringLiteral("Indices.txt"));
        QDir(folder).rmdir(QStringLiteral("Indices.txt.bak"));
        QByteArray before = values;
        if (c.situation == kTooLarge)
            before += QByteArray(IndexTable::kMaxFileBytes, ';') + "\r\n7\r\n";
        ASSERT_TRUE(c.situation == kFolder ? QDir(folder).mkdir(QStringLiteral("Indices.txt"))
                                           : WriteFileBytes(path, before));
        if (c.situation == kReadOnly)
            QFile::setPermissions(path, QFile::ReadOwner);
        ASSERT_TRUE(c.situation != kBackupFolder ||
                    QDir(folder).mkdir(QStringLiteral("Indices.txt.bak")));
        FaultyFiles faults;
        if (c.situation == kReadError || c.situation == kNotReadable)
            faults.Fail(c.situation == kReadError ? FaultyFiles::kRead : FaultyFiles::kOpen,
                        c.situation == kReadError ? EIO : EACCES, QStringLiteral("/Indices.txt"));
        FileUseLock other(path);
        ASSERT_TRUE(c.situation != kHeld || other.Acquire());

        App().InitInstance(QString());
        QStringList expected;
        if (c.message == IDS_INDEX_FILE_ERROR)
            expected << LoadString(c.message);
        else if (c.message != 0)
            expected << FormatFrameworkMessage(LoadString(c.message), path, backup);
        EXPECT_EQ(boxes.Texts(), expected);
        EXPECT_EQ(IsQuitPending(), c.quits);
        EXPECT_EQ(App().m_indices.At(0), c.first);
        EXPECT_EQ(App().m_indices.At(2), 0.0f); // never a value past the first megabyte
        if (c.situation != kFolder) {
            EXPECT_EQ(ReadFileBytes(path), c.rewritten ? App().m_indices.IndexFileText() : before);
            if (c.backupKept) {
                EXPECT_EQ(ReadFileBytes(backup), values);
            }
        }
        QFile::remove(backup);
    }
}

TEST_F(RevisionAppTest, DocumentOperationsTellWhyTheyFailed) {
    const QString doc = InFolder(QStringLiteral("calcul.clv"));
    const QByteArray good = DocumentBytes(SampleDocument(500.0));
    const struct {
        const char *name;
        bool save;
        bool cancelled;
        QByteArray before;       // the file's bytes; empty: no file
        unsigned long sizeLimit; // 0: none
        QString text;
    } cases[] = {
        {"open cancelled", false, true, good, 0, QString()},
        {"save cancelled", true, true, QByteArray(), 0, QString()},
        {"opened", false, false, good, 0, QString()},
        {"missing", false, false, QByteArray(), 0, LoadString(IDS_OPEN_FAILED)},
        {"not a document", false, false, "texte", 0, LoadString(IDS_NOT_A_DOCUMENT)},
        {"cut short", false, false, good.left(26), 0,
         QStringLiteral("Tentative d'accès à un fichier non nommé après sa fin.")},
        {"saved", true, false, QByteArray(), 0, QString()},
        {"full disk", true, false, "old", 10,
         QStringLiteral("Disque plein lors de l'accès à ") + QDir::toNativeSeparators(doc) + u'.'},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        app.reset();
        QFile::remove(doc);
        ASSERT_TRUE(c.before.isEmpty() || WriteFileBytes(doc, c.before));
        files.answers = {c.cancelled ? std::optional<QString>() : doc};
        CRevisionApp &a = App();
        const auto run = [&] { return c.save ? a.SaveDocument() : (a.PromptOpenDocument(), true); };
        c.sizeLimit ? WithFileSizeLimit(c.sizeLimit, run) : run();
        EXPECT_EQ(boxes.Texts(), c.text.isEmpty() ? QStringList() : QStringList{c.text});
        for (const auto &box : boxes.Boxes())
            EXPECT_EQ(box.flags, unsigned{MB_OK | MB_ICONSTOP});
        EXPECT_EQ(a.m_doc.rent, !c.save && !c.cancelled && c.text.isEmpty() ? 500.0 : 0.0);
        if (c.save && !c.cancelled) {
            EXPECT_EQ(ReadFileBytes(doc), c.text.isEmpty() ? DocumentBytes(a.m_doc) : c.before);
        }
    }
}

TEST_F(RevisionAppTest, SettingsAreReadAtStartAndWrittenAtTheEnd) {
    struct Case {
        const char *name;
        std::optional<int> cible;
        std::optional<QString> symbole;
        std::optional<int> date2000;
        int expectCible;
        QString expectSymbole;
        int expectDate2000;
    };
    const Case cases[] = {
        {"first run", {}, {}, {}, 0, QStringLiteral("€"), 40},
        {"stored", 2, QStringLiteral("FF"), 150, 2, QStringLiteral("FF"), 150},
        {"cible out of range", -1, QStringLiteral("$"), 0, -1, QStringLiteral("$"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settings = MemorySettingsStore();
        app.reset();
        if (c.cible)
            settings.ints[Key("Cible")] = *c.cible;
        if (c.symbole)
            settings.texts[Key("Symbole")] = *c.symbole;
        if (c.date2000)
            settings.ints[Key("Date2000")] = *c.date2000;
        CRevisionApp &a = App();
        a.InitInstance(QString());
        EXPECT_EQ(a.m_nCible, c.expectCible);
        EXPECT_EQ(a.m_strSymbole, c.expectSymbole);
        EXPECT_EQ(a.m_nDate2000, c.expectDate2000);
        EXPECT_EQ(settings.writes, 0);

        a.m_nCible = 1; // as the options dialog would
        EXPECT_EQ(a.ExitInstance(), 0);
        EXPECT_EQ(settings.ints.value(Key("Cible")), 1);
        EXPECT_EQ(settings.texts.value(Key("Symbole")), c.expectSymbole);
        EXPECT_EQ(settings.ints.value(Key("Date2000")), c.expectDate2000);
    }
}

TEST_F(RevisionAppTest, LoopFollowsTheEndValuesOfTheDialogs) {
    struct Case {
        const char *name;
        std::vector<int> menu, data, preview;
        bool withData, withPreview;
        std::string expectedLog; // dialogs run, then destroyed
        int end;
    };
    const Case cases[] = {
        {"full round", {101, 2}, {134, 100}, {101}, true, true, "MDPDM~P~D~M", 2},
        {"zero ends", {101}, {0}, {}, true, true, "MD~P~D~M", 0},
        {"unknown value ends", {7}, {}, {}, true, true, "M~P~D~M", 7},
        {"quit request", {-1}, {}, {}, true, true, "M~P~D~M", -1},
        {"no data dialog yet", {101}, {}, {}, false, false, "M~M", 101},
        {"no preview yet", {101}, {134}, {}, true, false, "MD~D~M", 134},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        app.reset();
        std::string log;
        int built = 0;
        App().SetLoopDialogFactory([&](CRevisionApp &a) {
            ++built;
            CRevisionApp::LoopDialogs d;
            IMessageBoxService &mb = a.MessageBoxes();
            d.mainMenu = std::make_unique<ScriptedLoopDialog>(mb, 'M', c.menu, log);
            if (c.withData)
                d.dataDialog = std::make_unique<ScriptedLoopDialog>(mb, 'D', c.data, log);
            if (c.withPreview)
                d.preview = std::make_unique<ScriptedLoopDialog>(mb, 'P', c.preview, log);
            return d;
        });
        WriteIndices(IndexTable());
        App().InitInstance(QString());
        EXPECT_EQ(built, 1);
        EXPECT_EQ(log, c.expectedLog);
        EXPECT_EQ(App().LoopEndValue(), c.end);
        EXPECT_EQ(App().ExitInstance(), 0);
    }
}

TEST_F(RevisionAppTest, RefusedDocumentsShowOneMessageAndWriteNothing) {
    struct Case {
        const char *name;
        void (*change)(CalcDocument &, IndexTable &);
        QString text;
        unsigned flags;
    };
    const unsigned stop = MB_OK | MB_ICONSTOP;
    const unsigned exclamation = MB_OK | MB_ICONEXCLAMATION;
    const Case cases[] = {
        {"empty signature and no rent",
         [](CalcDocument &d, IndexTable &) {
             d.signature = PackedDate();
             d.rent = 0.0;
         },
         BadDateText("de signature du bail"), exclamation},
        {"empty reference date",
         [](CalcDocument &d, IndexTable &) { d.referenceDate = PackedDate(); },
         BadDateText("de l'indice de référence"), exclamation},
        {"no rent", [](CalcDocument &d, IndexTable &) { d.rent = 0.0; }, LoadString(IDS_NO_RENT),
         stop},
        {"start after end",
         [](CalcDocument &d, IndexTable &) {
             d.firstRevision = PackedDate::FromParts(11, 6, 2005);
         },
         LoadString(IDS_START_AFTER_END), stop},
        {"start in the first quarter of 1970",
         [](CalcDocument &d, IndexTable &) {
             d.firstRevision = PackedDate::FromParts(31, 3, 1970);
         },
         LoadString(IDS_START_IN_FIRST_QUARTER_1970), stop},
        {"no reference index",
         [](CalcDocument &, IndexTable &t) { t.Set(IndexTable::PositionOf(2000, 1), 0.0f); },
         LoadString(IDS_NO_REFERENCE_INDEX), stop},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        app.reset();
        CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
        c.change(a.m_doc, a.m_indices);
        a.m_report.AppendReportLine("stale");

        EXPECT_FALSE(a.CalculateRevision());
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(boxes.Boxes()[0].flags, c.flags);
        EXPECT_TRUE(a.m_report.Table().isEmpty());
        EXPECT_TRUE(a.m_report.Tabs().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(a.m_strReportPath));
    }
}

TEST_F(RevisionAppTest, SuccessfulCalculationWritesTheTableFormAndExportsNothingInteractively) {
    CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
    a.m_nCible = 1;
    ASSERT_TRUE(a.CalculateRevision());

    EXPECT_TRUE(boxes.Boxes().empty());
    const RevisionOutcome outcome = CheckAndWalk(a.m_doc, a.m_indices);
    ASSERT_EQ(outcome.rows.size(), 5u);
    PackedDate today;
    today.SetToday(clock);
    const RevisionReport expected = BuildRevisionReport(
        a.m_doc, outcome, today, ReportSettings{1, QStringLiteral("€"), locale});
    EXPECT_EQ(a.m_report.Table(), expected.Table());
    EXPECT_EQ(a.m_report.Tabs(), expected.Tabs());
    EXPECT_EQ(ReadFileBytes(a.m_strReportPath), expected.Table());
    EXPECT_TRUE(clipboard.calls.empty());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(RevisionAppTest, ZeroIndexStopsTheWalkButTheReportIsWritten) {
    CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
    a.m_indices.Set(IndexTable::PositionOf(2002, 1), 0.0f); // second row's index

    EXPECT_TRUE(a.CalculateRevision());
    EXPECT_EQ(boxes.Texts(),
              QStringList{QStringLiteral("Arrêt du calcul: l'indice est nul pour l'année 2002.")});
    EXPECT_EQ(boxes.Boxes()[0].flags, unsigned{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_EQ(ReadFileBytes(a.m_strReportPath), a.m_report.Table());
    // One row only: the 2001 index appears, the later ones do not.
    EXPECT_TRUE(a.m_report.Tabs().contains("110"));
    EXPECT_FALSE(a.m_report.Tabs().contains("130"));
}

TEST_F(RevisionAppTest, UnwritableReportKeepsTheOldFileAndFails) {
    struct Case {
        const char *name;
        bool readOnly;     // the file lost its write permissions
        bool heldByCopy;   // another copy of the program has it open
        bool heldByWriter; // a word processor's lock file lies beside it
    };
    const Case cases[] = {{"read-only file", true, false, false},
                          {"held by another copy", false, true, false},
                          {"held by a word processor", false, false, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        app.reset();
        CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
        QFile::setPermissions(a.m_strReportPath, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(WriteFileBytes(a.m_strReportPath, "old report"));
        if (c.readOnly)
            QFile::setPermissions(a.m_strReportPath, QFile::ReadOwner | QFile::ReadGroup);
        FileUseLock lock(a.m_strReportPath);
        if (c.heldByCopy) {
            ASSERT_TRUE(lock.Acquire());
        }
        // Written on another machine: held whatever runs here.
        const QString writerLock = OfficeLockPathFor(a.m_strReportPath);
        if (c.heldByWriter) {
            ASSERT_TRUE(
                WriteFileBytes(writerLock, ",Anne,autre-poste,08.12.2026 09:39,file:///x;"));
        }

        EXPECT_FALSE(a.CalculateRevision());
        EXPECT_EQ(boxes.Texts(), QStringList{LoadString(IDS_REPORT_FILE_ERROR)});
        EXPECT_EQ(boxes.Boxes()[0].flags, unsigned{MB_OK | MB_ICONSTOP});
        EXPECT_EQ(ReadFileBytes(a.m_strReportPath), QByteArray("old report"));
        QFile::setPermissions(a.m_strReportPath, QFile::ReadOwner | QFile::WriteOwner);
        if (c.heldByWriter) {
            // Once the word processor has let go, calculating works again.
            ASSERT_TRUE(QFile::remove(writerLock));
            EXPECT_TRUE(a.CalculateRevision());
            EXPECT_EQ(ReadFileBytes(a.m_strReportPath), a.m_report.Table());
        }
    }
}

// A word processor's lock that cannot be read is trusted, and the message
// names the file that would be written (a linked report's target) and the
// lock beside it. A readable one is refused as any held report is.
TEST_F(RevisionAppTest, AnUnreadableReportLockIsNamedBesideALinkedReportsTarget) {
    CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
    const QString target = InFolder(QStringLiteral("docs/loyer.rtf"));
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("docs")));
    ASSERT_TRUE(WriteFileBytes(target, "old report"));
    ASSERT_TRUE(QFile::link(target, a.m_strReportPath));
    const QString writerLock = OfficeLockPathFor(target);
    ASSERT_TRUE(WriteFileBytes(writerLock, ",Anne,autre-poste,08.12.2026 09:39,file:///x;"));
    FaultyFiles faults;
    faults.Fail(FaultyFiles::kOpen, EACCES, QStringLiteral(".~lock."));

    EXPECT_FALSE(a.CalculateRevision());
    EXPECT_EQ(boxes.Texts(), QStringList{FormatFrameworkMessage(
                                 LoadString(IDS_REPORT_LOCK_UNREADABLE), target, writerLock)});
    EXPECT_EQ(ReadFileBytes(target), QByteArray("old report"));
    EXPECT_TRUE(QFileInfo(a.m_strReportPath).isSymLink());
}

TEST_F(RevisionAppTest, CommandLineRunsOneCalculationAndSetsTheExitStatus) {
    struct Case {
        const char *name;
        const char *fileName;    // written in the folder, unless null
        QByteArray bytes;        // the file's content
        const char *commandLine; // %1 is the file's full path
        QStringList texts;       // messages shown, in order
        int exitStatus;
        bool exported;
        bool reportBlocked = false; // a folder in the report's place
    };
    CalcDocument late = SampleDocument(500.0);
    late.firstRevision = PackedDate::FromParts(11, 6, 2005);
    const QByteArray good = DocumentBytes(SampleDocument(500.0));
    const QString openFailed = LoadString(IDS_OPEN_FAILED);
    const QString signature = BadDateText("de signature du bail");
    const Case cases[] = {
        {"valid document", "a.clv", good, "%1", {}, 0, true},
        {"unquoted path with blanks", "Mes calculs.clv", good, "%1", {}, 0, true},
        {"quoted path", "a.clv", good, "\"%1\"", {openFailed, signature}, 1, false},
        {"missing file", nullptr, {}, "%1", {openFailed, signature}, 1, false},
        {"not a document",
         "a.clv",
         "texte",
         "%1",
         {LoadString(IDS_NOT_A_DOCUMENT), signature},
         1,
         false},
        {"first revision after the last",
         "a.clv",
         DocumentBytes(late),
         "%1",
         {LoadString(IDS_START_AFTER_END)},
         1,
         false},
        {"document cut short",
         "a.clv",
         good.left(26),
         "%1",
         {QStringLiteral("Tentative d'accès à un fichier non nommé après sa fin.")},
         1,
         false},
        {"report not writable",
         "a.clv",
         good,
         "%1",
         {LoadString(IDS_REPORT_FILE_ERROR)},
         1,
         false,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        shell.opened.clear();
        app.reset();
        QFile::remove(InFolder(QStringLiteral("Calcul.rtf")));
        QDir(folder).rmdir(QStringLiteral("Calcul.rtf"));
        if (c.reportBlocked) {
            ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Calcul.rtf")));
        }
        WriteIndices(SampleIndices());
        const QString path = InFolder(QString::fromUtf8(c.fileName ? c.fileName : "absent.clv"));
        if (c.fileName) {
            ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        }

        CRevisionApp &a = App();
        EXPECT_FALSE(a.InitInstance(QString::fromUtf8(c.commandLine).arg(path)));
        EXPECT_EQ(boxes.Texts(), c.texts);
        EXPECT_EQ(QFileInfo(a.m_strReportPath).isFile(), c.exported);
        // "Cible" 0: the report opens in the associated program.
        EXPECT_EQ(shell.opened,
                  c.exported ? std::vector<QString>{a.m_strReportPath} : std::vector<QString>{});
        const int writesBefore = settings.writes;
        EXPECT_EQ(a.ExitInstance(), c.exitStatus);
        EXPECT_EQ(settings.writes, writesBefore + 3);
    }
}

// In command-line mode every notice of the calculation goes to standard
// error, one line each, and changes neither the exit status nor the report;
// "Contrôles" 0 or the user's own table give none, and an interactive
// calculation keeps them for the preview. (Which notices, and their whole
// text, are checked where the program runs.)
TEST_F(RevisionAppTest, CommandLineNoticesGoToStandardErrorAndLeaveTheExitStatus) {
    const struct {
        const char *name;
        std::optional<int> controles; // stored, or the default
        std::optional<IndexSeries> series;
        bool commandLine;
        std::size_t kept; // notices kept for the preview, said on the command line
    } cases[] = {
        {"IRL table", std::nullopt, IndexSeries::Irl, true, 2},
        {"turned off", 0, IndexSeries::Irl, true, 0},
        {"the user's own table", std::nullopt, std::nullopt, true, 0},
        {"interactive", std::nullopt, IndexSeries::Irl, false, 2},
    };
    const QString path = InFolder(QStringLiteral("a.clv"));
    ASSERT_TRUE(WriteFileBytes(path, DocumentBytes(SampleDocument(500.0))));
    QByteArray report;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        app.reset();
        settings = MemorySettingsStore();
        if (c.controles)
            settings.ints.insert(QStringLiteral("Général/Contrôles"), *c.controles);
        WriteIndices(SampleIndices());
        CRevisionApp &a = App();
        QStringList lines;
        a.SetNoticeOutput([&lines](const QString &line) { lines.append(line); });
        a.SetSeriesIdentifier([&](const IndexTable &) {
            return SeriesIdentification{c.series, 8, 0, -1};
        });
        if (c.commandLine) {
            a.InitInstance(path);
        } else {
            a.ReadSettings();
            CalculatingApp(SampleDocument(500.0));
            ASSERT_TRUE(a.CalculateRevision());
        }
        ASSERT_EQ(a.m_notices.size(), c.kept);
        QStringList said;
        for (const RevisionNotice &notice : a.m_notices)
            said << QStringLiteral("Calvor: à vérifier : ") + notice.Line();
        EXPECT_EQ(lines, c.commandLine ? said : QStringList());
        EXPECT_TRUE(boxes.Texts().isEmpty());
        EXPECT_EQ(a.ExitInstance(), 0);
        const QByteArray written = ReadFileBytes(InFolder(QStringLiteral("Calcul.rtf")));
        ASSERT_FALSE(written.isEmpty());
        if (report.isEmpty())
            report = written;
        EXPECT_EQ(written, report);
    }
}

TEST_F(RevisionAppTest, ExportFollowsCibleAndReturnsTheLoopValue) {
    struct Case {
        int cible;
        bool commandLine;
        bool opensFile;
        int clipboardForm; // 0 none, 1 table, 2 tabs
        int result;
    };
    const Case cases[] = {
        {0, false, true, 0, 101},  {1, false, false, 1, 101},  {2, false, false, 2, 101},
        {3, false, false, 0, 101}, {-1, false, false, 0, 101}, {0, true, true, 0, 0},
        {1, true, false, 1, 0},    {2, true, false, 2, 0},     {3, true, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "Cible " << c.cible << " command line " << c.commandLine);
        clipboard.calls.clear();
        clipboard.formats.clear();
        shell.opened.clear();
        app.reset();
        CRevisionApp &a = CalculatingApp(SampleDocument(500.0));
        a.m_nCible = c.cible;
        ASSERT_TRUE(a.CalculateRevision());
        ASSERT_NE(a.m_report.Table(), a.m_report.Tabs());
        a.m_bCommandLine = c.commandLine;

        EXPECT_EQ(a.ExportResult(), c.result);
        EXPECT_EQ(shell.opened.size(), c.opensFile ? 1u : 0u);
        if (c.opensFile) {
            EXPECT_EQ(shell.opened[0], a.m_strReportPath);
        }
        ASSERT_EQ(clipboard.calls.size(), c.clipboardForm ? 1u : 0u);
        if (c.clipboardForm) {
            EXPECT_EQ(clipboard.calls[0],
                      c.clipboardForm == 1 ? a.m_report.Table() : a.m_report.Tabs());
            EXPECT_EQ(clipboard.formats[0], QStringLiteral("text/rtf"));
        }
    }
}

} // namespace
