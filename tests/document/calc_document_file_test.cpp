#include "document/calc_document_file.h"

#include "platform/file_io.h"
#include "platform/services.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST_F(DocumentFileTest, WriteReplacesAnOldFileWholeThenReadIsBitExact) {
    ASSERT_TRUE(WriteFileBytes(Path("calcul.clv"), QByteArray(1000, 'o')));
    const CalcDocument doc = MakeDocument(0xF0000000u | (2001u << 14) | (4u << 7) | 1u, 0x30000000,
                                          0, 0x7FFFFFFF, 0x7FF800000000BEEF);
    ASSERT_EQ(WriteDocumentFile(doc, Path("calcul.clv")), WriteStatus::Ok);
    EXPECT_EQ(ReadFileBytes(Path("calcul.clv")), DocumentBytes(doc));

    CalcDocument opened = Before();
    EXPECT_EQ(ReadDocumentFile(opened, Path("calcul.clv")), OpenOutcome::Opened);
    ExpectSameBits(opened, doc);
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("calcul.clv")});
}

TEST(DocumentDialogTest, RequestsCarryTheFilterTheExtensionAndTheFlags) {
    const FileDialogRequest requests[] = {OpenDocumentRequest(), SaveDocumentRequest()};
    for (const FileDialogRequest &r : requests) {
        EXPECT_EQ(r.filters, QStringList({QStringLiteral("Calvors (*.clv)"),
                                          QStringLiteral("Tous les fichiers (*.*)")}));
        EXPECT_EQ(r.defaultExtension, QStringLiteral("clv"));
    }
    EXPECT_EQ(requests[0].flags, 0x81004u);
    EXPECT_EQ(requests[1].flags, 0x80806u);
}

TEST_F(DocumentFileTest, ReadGivesTheOutcomeOfEachFailure) {
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
        bool datesRead;
    } cases[] = {
        {"missing.clv", OpenOutcome::CannotOpen, false},
        {"folder.clv", OpenOutcome::CannotOpen, false},
        {"held.clv", OpenOutcome::CannotOpen, false},
        {"two.clv", OpenOutcome::NotADocument, false},
        {"text.txt", OpenOutcome::NotADocument, false},
        {"short.clv", OpenOutcome::CutShort, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        CalcDocument doc = Before();
        EXPECT_EQ(ReadDocumentFile(doc, Path(c.file)), c.outcome);
        EXPECT_EQ(doc.signature.Word(), c.datesRead ? 0x04030201u : 0xAAAAAAAAu);
        EXPECT_EQ(doc.referenceDate.Word(), c.datesRead ? 0x34333231u : 0xDDDDDDDDu);
        EXPECT_EQ(doc.rent, 42.5); // the rent is never half read
    }
}

TEST_F(DocumentFileTest, ReadTakesAUnicodePathAndIgnoresALongTail) {
    const QString path = m_dir.filePath(QStringLiteral("Bail Müller – 2024 €.clv"));
    QByteArray bytes = SampleStream();
    bytes.append(QByteArray(1 << 20, 'x'));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    CalcDocument doc = Before();
    EXPECT_EQ(ReadDocumentFile(doc, path), OpenOutcome::Opened);
    EXPECT_EQ(doc.rent, 1.5);
}

TEST_F(DocumentFileTest, RefusedOrFailedWriteLeavesTheOldFile) {
    ASSERT_TRUE(WriteFileBytes(Path("readonly.clv"), "old"));
    QFile::setPermissions(Path("readonly.clv"), QFile::ReadOwner);
    ASSERT_TRUE(WriteFileBytes(Path("held.clv"), "old"));
    ASSERT_TRUE(WriteFileBytes(Path("calcul.clv"), "old"));
    FileUseLock other(Path("held.clv"));
    ASSERT_TRUE(other.Acquire());
    const struct {
        const char *file;
        unsigned long sizeLimit; // 0: none; fewer than the 27 bytes: a full disk
        WriteStatus status;
    } cases[] = {
        {"readonly.clv", 0, WriteStatus::CannotCreate},
        {"held.clv", 0, WriteStatus::CannotCreate},
        {"no-such-folder/new.clv", 0, WriteStatus::CannotCreate},
        {"calcul.clv", 10, WriteStatus::WriteFailed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const auto write = [&] { return WriteDocumentFile(Before(), Path(c.file)) == c.status; };
        EXPECT_TRUE(c.sizeLimit ? WithFileSizeLimit(c.sizeLimit, write) : write());
        if (QFileInfo(Path(c.file)).isFile()) {
            EXPECT_EQ(ReadFileBytes(Path(c.file)), QByteArray("old"));
        }
    }
    // A read-only folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(WriteDocumentFile(Before(), Path("new.clv")), WriteStatus::CannotCreate);
    EXPECT_FALSE(QFile::exists(Path("new.clv")));
}
