#include "document/calc_document_file.h"

#include "platform/file_io.h"
#include "platform/string_table.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace {

CalcDocument MakeDocument(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                          std::uint64_t rentBits) {
    CalcDocument doc;
    doc.signature = PackedDate(a);
    doc.firstRevision = PackedDate(b);
    doc.lastRevision = PackedDate(c);
    doc.referenceDate = PackedDate(d);
    doc.rent = std::bit_cast<double>(rentBits);
    return doc;
}

// Bit for bit: the rent may be NaN, for which == says nothing.
void ExpectSameBits(const CalcDocument &got, const CalcDocument &expected) {
    EXPECT_EQ(got.signature.Word(), expected.signature.Word());
    EXPECT_EQ(got.firstRevision.Word(), expected.firstRevision.Word());
    EXPECT_EQ(got.lastRevision.Word(), expected.lastRevision.Word());
    EXPECT_EQ(got.referenceDate.Word(), expected.referenceDate.Word());
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got.rent), std::bit_cast<std::uint64_t>(expected.rent));
}

// What a document holds before a read, to see what the read changed.
CalcDocument Before() {
    return MakeDocument(0xAAAAAAAA, 0xBBBBBBBB, 0xCCCCCCCC, 0xDDDDDDDD,
                        std::bit_cast<std::uint64_t>(42.5));
}

// A valid 28-byte stream: the 27 bytes of a document and one extra byte.
QByteArray SampleStream() {
    return QByteArray("CLV"
                      "\x01\x02\x03\x04"
                      "\x11\x12\x13\x14"
                      "\x21\x22\x23\x24"
                      "\x31\x32\x33\x34"
                      "\x00\x00\x00\x00\x00\x00\xF8\x3F"
                      "!",
                      28);
}

QString EndOfFileText() {
    return QStringLiteral("Tentative d'accès à un fichier non nommé après sa fin.");
}

class DocumentFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList Entries() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
    RecordingMessageBoxes m_boxes;
    ScriptedFileDialogs m_dialogs;
};

} // namespace

TEST(DocumentBytesTest, LayoutIsLittleEndianWithoutPadding) {
    const CalcDocument doc = MakeDocument(0x04030201, 0x14131211, 0x24232221, 0x34333231,
                                          std::bit_cast<std::uint64_t>(1.5));
    const QByteArray bytes = DocumentBytes(doc);
    EXPECT_EQ(bytes.size(), 27);
    EXPECT_EQ(bytes, SampleStream().first(27));
}

TEST(DocumentBytesTest, EveryBitPatternRoundTrips) {
    const CalcDocument cases[] = {
        CalcDocument{},
        // Reserved date bits set, dates that are not dates.
        MakeDocument(0xF0000000u | (2001u << 14) | (3u << 7) | 15u, 0xFFFFFFFF, 0x80000001, 1,
                     std::bit_cast<std::uint64_t>(1234.56)),
        MakeDocument(1, 2, 3, 4, 0x7FF8000000000001), // quiet NaN with payload
        MakeDocument(1, 2, 3, 4, 0x7FF0000000000001), // signalling NaN
        MakeDocument(1, 2, 3, 4, 0xFFF8000000000000), // negative NaN
        MakeDocument(1, 2, 3, 4, 0x7FF0000000000000), // +infinity
        MakeDocument(1, 2, 3, 4, 0xFFF0000000000000), // -infinity
        MakeDocument(1, 2, 3, 4, 0x8000000000000000), // -0.0
        MakeDocument(1, 2, 3, 4, 0x0000000000000001), // smallest subnormal
        MakeDocument(0, 0, 0, 0, std::bit_cast<std::uint64_t>(-750.0)),
    };
    for (const CalcDocument &doc : cases) {
        SCOPED_TRACE(DocumentBytes(doc).toHex().toStdString());
        CalcDocument read = Before();
        ASSERT_EQ(ReadDocumentBytes(DocumentBytes(doc), read), OpenOutcome::Opened);
        ExpectSameBits(read, doc);
    }
}

TEST(DocumentBytesTest, ShortOrForeignInputReadsOnlyWhatTheRulesAllow) {
    const QByteArray s = SampleStream();
    const CalcDocument b = Before();
    const CalcDocument full = MakeDocument(0x04030201, 0x14131211, 0x24232221, 0x34333231,
                                           std::bit_cast<std::uint64_t>(1.5));
    const auto rent = std::bit_cast<std::uint64_t>(b.rent);
    QByteArray lowerCase = s.first(27);
    lowerCase.replace(0, 3, "clv");
    const struct {
        const char *name;
        QByteArray bytes;
        OpenOutcome outcome;
        CalcDocument expected;
    } cases[] = {
        {"0 bytes", QByteArray(), OpenOutcome::NotADocument, b},
        {"1 byte", s.first(1), OpenOutcome::NotADocument, b},
        {"2 bytes", s.first(2), OpenOutcome::NotADocument, b},
        {"3 bytes: magic only", s.first(3), OpenOutcome::CutShort, b},
        {"5 bytes: first word cut", s.first(5), OpenOutcome::CutShort,
         MakeDocument(0xAAAA0201, 0xBBBBBBBB, 0xCCCCCCCC, 0xDDDDDDDD, rent)},
        {"7 bytes: one whole word", s.first(7), OpenOutcome::CutShort,
         MakeDocument(0x04030201, 0xBBBBBBBB, 0xCCCCCCCC, 0xDDDDDDDD, rent)},
        {"18 bytes: last word cut", s.first(18), OpenOutcome::CutShort,
         MakeDocument(0x04030201, 0x14131211, 0x24232221, 0xDD333231, rent)},
        {"19 bytes: dates only", s.first(19), OpenOutcome::CutShort,
         MakeDocument(0x04030201, 0x14131211, 0x24232221, 0x34333231, rent)},
        {"26 bytes: rent cut", s.first(26), OpenOutcome::CutShort,
         MakeDocument(0x04030201, 0x14131211, 0x24232221, 0x34333231, rent)},
        {"27 bytes", s.first(27), OpenOutcome::Opened, full},
        {"28 bytes: the extra is ignored", s, OpenOutcome::Opened, full},
        {"lower-case magic", lowerCase, OpenOutcome::NotADocument, b},
        {"text file", "Bail du 1er avril 2001, loyer 750 euros.\r\n", OpenOutcome::NotADocument, b},
        {"magic later in the file", "xCLV" + s, OpenOutcome::NotADocument, b},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CalcDocument doc = Before();
        EXPECT_EQ(ReadDocumentBytes(c.bytes, doc), c.outcome);
        ExpectSameBits(doc, c.expected);
    }
}

TEST_F(DocumentFileTest, SaveReplacesAnOldFileWholeThenOpenIsBitExact) {
    ASSERT_TRUE(WriteFileBytes(Path("calcul.clv"), QByteArray(1000, 'o')));
    const CalcDocument doc = MakeDocument(0xF0000000u | (2001u << 14) | (4u << 7) | 1u, 0x30000000,
                                          0, 0x7FFFFFFF, 0x7FF800000000BEEF);
    m_dialogs.answers.push_back(Path("calcul.clv"));
    ASSERT_TRUE(SaveDocument(doc, m_dialogs, m_boxes));
    EXPECT_EQ(ReadFileBytes(Path("calcul.clv")), DocumentBytes(doc));

    m_dialogs.answers.push_back(Path("calcul.clv"));
    CalcDocument opened = Before();
    PromptOpenDocument(opened, m_dialogs, m_boxes);
    ExpectSameBits(opened, doc);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("calcul.clv")});
}

TEST_F(DocumentFileTest, CancelledDialogsGetTheFilterExtensionAndFlagsAndChangeNothing) {
    CalcDocument doc = Before();
    PromptOpenDocument(doc, m_dialogs, m_boxes);
    EXPECT_FALSE(SaveDocument(doc, m_dialogs, m_boxes));
    ExpectSameBits(doc, Before());
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_TRUE(Entries().isEmpty());
    ASSERT_EQ(m_dialogs.requests.size(), 2u);
    for (const FileDialogRequest &r : m_dialogs.requests) {
        EXPECT_EQ(r.filters, QStringList({QStringLiteral("Calvors (*.clv)"),
                                          QStringLiteral("Tous les fichiers (*.*)")}));
        EXPECT_EQ(r.defaultExtension, QStringLiteral("clv"));
    }
    EXPECT_EQ(m_dialogs.requests[0].flags, 0x81004u);
    EXPECT_EQ(m_dialogs.requests[1].flags, 0x80806u);
}

TEST_F(DocumentFileTest, OpenReportsEachFailureWithItsMessage) {
    const QByteArray s = SampleStream();
    ASSERT_TRUE(WriteFileBytes(Path("short.clv"), s.first(26)));
    ASSERT_TRUE(WriteFileBytes(Path("two.clv"), s.first(2)));
    ASSERT_TRUE(WriteFileBytes(Path("text.txt"), "Ceci n'est pas une calvor.\r\n"));
    ASSERT_TRUE(WriteFileBytes(Path("held.clv"), s));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.clv"));
    FileUseLock other(Path("held.clv")); // another copy of the program has it open
    ASSERT_TRUE(other.Acquire());

    const struct {
        const char *file;
        OpenOutcome outcome;
        QString text;
        bool datesRead;
    } cases[] = {
        {"missing.clv", OpenOutcome::CannotOpen, LoadString(IDS_OPEN_FAILED), false},
        {"folder.clv", OpenOutcome::CannotOpen, LoadString(IDS_OPEN_FAILED), false},
        {"held.clv", OpenOutcome::CannotOpen, LoadString(IDS_OPEN_FAILED), false},
        {"two.clv", OpenOutcome::NotADocument, LoadString(IDS_NOT_A_DOCUMENT), false},
        {"text.txt", OpenOutcome::NotADocument, LoadString(IDS_NOT_A_DOCUMENT), false},
        {"short.clv", OpenOutcome::CutShort, EndOfFileText(), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        m_boxes.Clear();
        CalcDocument doc = Before();
        EXPECT_EQ(OpenDocument(doc, Path(c.file), m_boxes), c.outcome);
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        EXPECT_EQ(m_boxes.Boxes()[0].caption, QStringLiteral("Calvor"));
        EXPECT_EQ(m_boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(m_boxes.Boxes()[0].flags, unsigned(MB_OK | MB_ICONSTOP));
        EXPECT_EQ(doc.signature.Word(), c.datesRead ? 0x04030201u : 0xAAAAAAAAu);
        EXPECT_EQ(doc.referenceDate.Word(), c.datesRead ? 0x34333231u : 0xDDDDDDDDu);
        EXPECT_EQ(doc.rent, 42.5); // the rent is never half read
    }
}

TEST_F(DocumentFileTest, OpenTakesAUnicodePathAndIgnoresALongTail) {
    const QString path = m_dir.filePath(QStringLiteral("Bail Müller – 2024 €.clv"));
    QByteArray bytes = SampleStream();
    bytes.append(QByteArray(1 << 20, 'x'));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    CalcDocument doc = Before();
    EXPECT_EQ(OpenDocument(doc, path, m_boxes), OpenOutcome::Opened);
    EXPECT_EQ(doc.rent, 1.5);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(DocumentFileTest, SaveRefusedGivesMessage204AndWritesNothing) {
    ASSERT_TRUE(WriteFileBytes(Path("readonly.clv"), "old"));
    QFile::setPermissions(Path("readonly.clv"), QFile::ReadOwner);
    ASSERT_TRUE(WriteFileBytes(Path("held.clv"), "old"));
    FileUseLock other(Path("held.clv"));
    ASSERT_TRUE(other.Acquire());
    const char *const cases[] = {"readonly.clv", "held.clv", "no-such-folder/new.clv"};
    for (const char *file : cases) {
        SCOPED_TRACE(file);
        m_boxes.Clear();
        m_dialogs.answers.push_back(Path(file));
        EXPECT_FALSE(SaveDocument(Before(), m_dialogs, m_boxes));
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        EXPECT_EQ(m_boxes.Boxes()[0].text, LoadString(IDS_SAVE_FAILED));
        EXPECT_EQ(m_boxes.Boxes()[0].flags, unsigned(MB_OK | MB_ICONSTOP));
    }
    EXPECT_EQ(ReadFileBytes(Path("readonly.clv")), QByteArray("old"));
    EXPECT_EQ(ReadFileBytes(Path("held.clv")), QByteArray("old"));

    // A read-only folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    m_boxes.Clear();
    m_dialogs.answers.push_back(Path("new.clv"));
    EXPECT_FALSE(SaveDocument(Before(), m_dialogs, m_boxes));
    EXPECT_EQ(m_boxes.Texts(), QStringList{LoadString(IDS_SAVE_FAILED)});
    EXPECT_FALSE(QFile::exists(Path("new.clv")));
}

TEST_F(DocumentFileTest, FullDiskKeepsTheOldDocumentAndNamesTheFile) {
    const CalcDocument old = MakeDocument(5, 6, 7, 8, std::bit_cast<std::uint64_t>(100.0));
    ASSERT_TRUE(WriteFileBytes(Path("calcul.clv"), DocumentBytes(old)));
    m_dialogs.answers.push_back(Path("calcul.clv"));
    // Fewer than the 27 bytes may be written.
    EXPECT_FALSE(WithFileSizeLimit(10, [&] { return SaveDocument(Before(), m_dialogs, m_boxes); }));
    EXPECT_EQ(ReadFileBytes(Path("calcul.clv")), DocumentBytes(old));
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("calcul.clv")});
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, QStringLiteral("Disque plein lors de l'accès à ") +
                                           QDir::toNativeSeparators(Path("calcul.clv")) + u'.');
    EXPECT_EQ(m_boxes.Boxes()[0].flags, unsigned(MB_OK | MB_ICONSTOP));
}
