#include "engine/index_table.h"
#include "engine/number_text.h"
#include "platform/file_io.h"
#include "platform/user_locale.h"
#include "support/fakes.h"
#include "support/test_locales.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr float kUnreached = 7.25f; // what the table held before a read

UserLocale LocaleWithSeparator(const char *separator) {
    UserLocale locale = TestLocale::French();
    locale.decimalSeparator = QString::fromLatin1(separator);
    return locale;
}

IndexTable FilledTable(float value) {
    IndexTable table;
    for (int i = 0; i < IndexTable::kSize; ++i)
        table.Set(i, value);
    return table;
}

QByteArray Header() {
    return QByteArray("; Les indices doivent \xEAtre entr\xE9s dans l'ordre chronologique "
                      "\xE0 partir de 1970\r\n\r\n");
}

QByteArray Lines(int count, int first = 1) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += QByteArray::number(first + i) + ",5\r\n";
    return out;
}

// Checks the canonical form: the header, then 548 lines "%8.2f   ; <year> -
// Trim <quarter>" in quarter order with a decimal comma, nothing else.
void ExpectCanonical(const QByteArray &text) {
    ASSERT_TRUE(text.startsWith(Header()));
    const QList<QByteArray> lines = text.mid(Header().size()).split('\n');
    ASSERT_EQ(lines.size(), IndexTable::kSize + 1);
    EXPECT_TRUE(lines.last().isEmpty());
    static const QRegularExpression line(
        QStringLiteral("^( {0,7})(-?\\d+,\\d\\d)   ; (\\d{4}) - Trim ([1-4])\r$"));
    for (int i = 0; i < IndexTable::kSize; ++i) {
        const auto m = line.match(QString::fromLatin1(lines[i]));
        ASSERT_TRUE(m.hasMatch()) << i << ": " << lines[i].toStdString();
        EXPECT_EQ(m.captured(1).size() + m.captured(2).size(),
                  std::max(8, int(m.capturedLength(2))));
        EXPECT_EQ(m.captured(3).toInt(), 1970 + i / 4);
        EXPECT_EQ(m.captured(4).toInt(), i % 4 + 1);
    }
}

// `text` in UTF-16 with its byte-order mark, as an editor saves it.
QByteArray Utf16(const QString &text, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char low = static_cast<char>(c.unicode() & 0xFF);
        const char high = static_cast<char>(c.unicode() >> 8);
        out.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return out;
}

struct ReadCase {
    const char *name;
    QByteArray text;
    std::vector<float> values; // the first elements; the rest keep kUnreached
};

std::vector<ReadCase> ReadCases() {
    std::vector<float> all548, first548;
    for (int i = 0; i < IndexTable::kSize; ++i)
        all548.push_back(static_cast<float>(i + 1) + 0.5f);
    return {
        {"empty file", "", {}},
        {"header only", Header(), {}},
        {"header and three values", Header() + "100\r\n101,5\r\n102\r\n", {100, 101.5f, 102}},
        {"exactly 548 values", Header() + Lines(548), all548},
        {"600 values: the rest is not read", Header() + Lines(600), all548},
        {"comment between values", "1\r\n; comment\r\n2\r\n", {1, 2}},
        {"space then semicolon is a value line", "1\r\n ; x\r\n2\r\n", {1, 0, 2}},
        {"line of spaces is a value line", "1\r\n    \r\n2\r\n", {1, 0, 2}},
        {"empty lines are skipped", "\r\n\n1\r\n\r\n\n2", {1, 2}},
        {"CR LF and LF mixed", "1\n2\r\n3\n4\r\n", {1, 2, 3, 4}},
        {"no final line end", "1\r\n2", {1, 2}},
        {"three decimals kept", "1234,567   ; 1970 - Trim 1\r\n", {1234.567f}},
        {"a decimal point is taken too", "12.25\r\n", {12.25f}},
        {"comments after the value are ignored", "   5,00   ; 2106 - Trim 4 ; 9,9\r\n", {5}},
        {"letters read as zero", "abc\r\nx12\r\n3\r\n", {0, 0, 3}},
        {"negative value", "   -5,00   ; 1970 - Trim 1\r\n", {-5}},
        {"exponent", "1e3\r\n", {1000}},
        {"beyond single precision keeps its sign",
         "1e39\r\n-1e39\r\n1e400\r\n-1e400\r\n",
         {FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX}},
        {"tiny value", "1e-50\r\n", {0}},
        {"100 kB line", "5" + QByteArray(100 * 1024, 'x') + "\r\n7\r\n", {5, 7}},
        {"100 kB of digits", QByteArray(100 * 1024, '0') + "42\r\n", {42}},
        {"binary bytes", "\x01\xFF\xFE\x80 12\r\n\x81\x8D\x9D\r\n3", {0, 0, 3}},
        {"NUL byte ends the number", QByteArray("12\0 34\r\n\0\r\n5", 13), {12, 0, 5}},
        {"lone CR ends a line", "1\r2\r\n3\r\r4", {1, 2, 3, 4}},
        {"CR-only file", Header().replace("\r\n", "\r") + "1,5\r2\r", {1.5f, 2}},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + Header() + "7\r\n", {7}},
        {"UTF-16 little-endian",
         Utf16(QStringLiteral("; é\r\n1,5\r\n\u20AC2\r\n3"), true),
         {1.5f, 0, 3}},
        {"UTF-16 big-endian", Utf16(QStringLiteral("\uFEFF4\n5"), false), {0, 5}},
        {"byte-order mark later in the file",
         "1\r\n\xEF\xBB\xBF"
         "2\r\n",
         {1, 0}},
        {"semicolon after CR LF", "\r\n;\r\n;;\r\n8", {8}},
    };
}

class IndexFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReadDecimalSeparator(LocaleWithSeparator(","));
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(IndexFileName());
    }
    void TearDown() override {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST_F(IndexFileTest, CanonicalTextHas15425BytesForZerosAndForThreeValuesRead) {
    const QByteArray text = IndexTable().IndexFileText();
    EXPECT_EQ(text.size(), 15425);
    EXPECT_TRUE(text.startsWith(Header())); // Windows-1252: single-byte accents
    EXPECT_TRUE(text.mid(81).startsWith("    0,00   ; 1970 - Trim 1\r\n"));
    EXPECT_TRUE(text.endsWith("    0,00   ; 2106 - Trim 4\r\n"));
    EXPECT_TRUE(text.contains("\r\n    0,00   ; 2000 - Trim 4\r\n"));
    ExpectCanonical(text);

    // Three values and a three-decimal value after start-up.
    ASSERT_TRUE(WriteFileBytes(m_path, Header() + "100\r\n101,5\r\n1234,567\r\n"));
    IndexTable table;
    ASSERT_EQ(table.ReadIndexFile(m_path), ReadStatus::Ok);
    EXPECT_EQ(table.At(2), 1234.567f); // memory keeps what was read
    ASSERT_EQ(table.WriteIndexFile(m_path), WriteStatus::Ok);
    const QByteArray normalised = ReadFileBytes(m_path);
    EXPECT_EQ(normalised.size(), 15425);
    EXPECT_TRUE(normalised.mid(81).startsWith("  100,00   ; 1970 - Trim 1\r\n"
                                              "  101,50   ; 1970 - Trim 2\r\n"
                                              " 1234,57   ; 1970 - Trim 3\r\n"
                                              "    0,00   ; 1970 - Trim 4\r\n"));
}

TEST_F(IndexFileTest, ValueFieldIsRoundedWithADecimalCommaWhateverTheSeparator) {
    const struct {
        float value;
        const char *field;
    } cases[] = {
        {0.0f, "    0,00"},
        {1234.5f, " 1234,50"},
        {-5.0f, "   -5,00"},
        {123456.7f, "123456,70"},
        {0.125f, "    0,13"}, // halves away from zero
        {-0.125f, "   -0,13"},
        {1234.567f, " 1234,57"},
        {FLT_MAX, "340282346638528860000000000000000000000,00"},
        {-FLT_MAX, "-340282346638528860000000000000000000000,00"},
        // Values that cannot be written are written as the nearest number.
        {std::numeric_limits<float>::infinity(), "340282346638528860000000000000000000000,00"},
        {-std::numeric_limits<float>::infinity(), "-340282346638528860000000000000000000000,00"},
        {std::numeric_limits<float>::quiet_NaN(), "    0,00"},
    };
    for (const char *separator : {",", "."}) {
        ReadDecimalSeparator(LocaleWithSeparator(separator));
        for (const auto &c : cases) {
            SCOPED_TRACE(c.field);
            IndexTable table;
            table.Set(5, c.value);
            const QByteArray text = table.IndexFileText();
            EXPECT_TRUE(text.contains(QByteArray("\r\n") + c.field + "   ; 1971 - Trim 2\r\n"));
        }
    }
}

TEST_F(IndexFileTest, ReadingFollowsTheLineRulesWithEitherUserSeparator) {
    // The file always carries a decimal comma: a user whose separator is "."
    // must not lose the decimals of the whole table.
    for (const char *separator : {",", "."}) {
        ReadDecimalSeparator(LocaleWithSeparator(separator));
        for (const ReadCase &c : ReadCases()) {
            SCOPED_TRACE(std::string(c.name) + ", separator " + separator);
            IndexTable table = FilledTable(kUnreached);
            table.ReadIndexText(c.text);
            for (int i = 0; i < IndexTable::kSize; ++i) {
                const float expected =
                    i < static_cast<int>(c.values.size()) ? c.values[std::size_t(i)] : kUnreached;
                ASSERT_EQ(table.At(i), expected) << "element " << i;
            }
        }
    }
}

TEST_F(IndexFileTest, WriteReadWriteGivesIdenticalBytes) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> everyday(-1000.0f, 200000.0f);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (const char *separator : {",", "."}) {
        ReadDecimalSeparator(LocaleWithSeparator(separator));
        for (int round = 0; round < 20; ++round) {
            IndexTable table;
            for (int i = 0; i < IndexTable::kSize; ++i) {
                float value = everyday(random);
                if (round % 2 == 1) { // any finite bit pattern
                    std::uint32_t b = bits(random);
                    std::memcpy(&value, &b, sizeof value);
                }
                table.Set(i, value);
            }
            table.Set(0, 1e30f);
            table.Set(1, FLT_MAX);
            table.Set(2, -FLT_MAX);
            table.Set(3, std::numeric_limits<float>::infinity());
            table.Set(4, 0.005f);
            table.Set(5, 999999.99f);
            const QByteArray first = table.IndexFileText();
            IndexTable reread;
            reread.ReadIndexText(first);
            const QByteArray second = reread.IndexFileText();
            ASSERT_EQ(first, second) << "round " << round << " separator " << separator;
            ExpectCanonical(first);
            // A table read from a file reads back bit for bit.
            IndexTable again;
            again.ReadIndexText(second);
            ASSERT_EQ(std::memcmp(again.Values().data(), reread.Values().data(),
                                  sizeof(float) * IndexTable::kSize),
                      0);
        }
    }
}

TEST_F(IndexFileTest, StartUpNormalisesEveryFileToTheCanonicalForm) {
    for (const char *separator : {",", "."}) {
        ReadDecimalSeparator(LocaleWithSeparator(separator));
        for (const ReadCase &c : ReadCases()) {
            SCOPED_TRACE(std::string(c.name) + ", separator " + separator);
            ASSERT_TRUE(WriteFileBytes(m_path, c.text));
            IndexTable table;
            ASSERT_EQ(table.ReadIndexFile(m_path), ReadStatus::Ok);
            ASSERT_EQ(table.WriteIndexFile(m_path), WriteStatus::Ok);
            const QByteArray normalised = ReadFileBytes(m_path);
            ExpectCanonical(normalised);
            // What the normalisation replaced can be recovered.
            EXPECT_EQ(ReadFileBytes(BackupPathFor(m_path)), c.text);
            // The next start changes nothing.
            IndexTable next;
            ASSERT_EQ(next.ReadIndexFile(m_path), ReadStatus::Ok);
            ASSERT_EQ(next.WriteIndexFile(m_path), WriteStatus::Ok);
            EXPECT_EQ(ReadFileBytes(m_path), normalised);
            EXPECT_EQ(ReadFileBytes(BackupPathFor(m_path)), c.text);
        }
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({IndexFileName(), IndexFileName() + QStringLiteral(".bak")}));
}

TEST_F(IndexFileTest, MissingFileLeavesTheTableThenAFileOfZerosIsCreated) {
    IndexTable table = FilledTable(kUnreached);
    EXPECT_EQ(table.ReadIndexFile(m_path), ReadStatus::Missing);
    EXPECT_EQ(table.At(0), kUnreached); // the table keeps what it held

    ASSERT_EQ(IndexTable().WriteIndexFile(m_path), WriteStatus::Ok);
    EXPECT_EQ(ReadFileBytes(m_path), IndexTable().IndexFileText());
    EXPECT_FALSE(QFileInfo::exists(BackupPathFor(m_path)));
}

TEST_F(IndexFileTest, FileHeldByAnotherCopyCannotBeReadOrWritten) {
    ASSERT_TRUE(WriteFileBytes(m_path, "5\r\n"));
    FileUseLock other(m_path);
    ASSERT_TRUE(other.Acquire());
    IndexTable table = FilledTable(kUnreached);
    EXPECT_EQ(table.ReadIndexFile(m_path), ReadStatus::InUse);
    EXPECT_EQ(table.At(0), kUnreached);
    EXPECT_EQ(table.WriteIndexFile(m_path), WriteStatus::CannotCreate);
    EXPECT_EQ(ReadFileBytes(m_path), QByteArray("5\r\n"));
}

TEST_F(IndexFileTest, UnwritableFileOrFolderIsReadAndLeftAsItIs) {
    const QByteArray original = Header() + "1,5\r\n";
    const struct {
        const char *name;
        bool readOnlyFile;
    } cases[] = {{"read-only file", true}, {"read-only folder", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(WriteFileBytes(m_path, original));
        if (c.readOnlyFile)
            QFile::setPermissions(m_path, QFile::ReadOwner);
        else
            QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);

        IndexTable table;
        EXPECT_EQ(table.ReadIndexFile(m_path), ReadStatus::Ok); // it is read
        EXPECT_EQ(table.At(0), 1.5f);
        EXPECT_EQ(table.WriteIndexFile(m_path), WriteStatus::CannotCreate); // then refused
        EXPECT_EQ(ReadFileBytes(m_path), original);
        EXPECT_FALSE(QFileInfo::exists(BackupPathFor(m_path)));
    }
}

TEST_F(IndexFileTest, FullDiskLeavesTheOldFileWhole) {
    const QByteArray original = Header() + "1,5\r\n2,5\r\n";
    ASSERT_TRUE(WriteFileBytes(m_path, original));
    IndexTable table = FilledTable(3.0f);
    EXPECT_TRUE(WithFileSizeLimit(
        4096, [&] { return table.WriteIndexFile(m_path) == WriteStatus::WriteFailed; }));
    EXPECT_EQ(ReadFileBytes(m_path), original);
}

// Past its first megabyte a file is not read: the values come from its last
// whole line before that, and the file, never copied, moves whole to the
// backup when the table is written.
TEST_F(IndexFileTest, AFileLargerThanAMegabyteIsReadOnlyToItsLastWholeLine) {
    ReadDecimalSeparator(LocaleWithSeparator(","));
    const qsizetype limit = IndexTable::kMaxFileBytes;
    const QByteArray head = "100\r\n;";
    const QByteArray comment(limit - head.size() - 4, 'c');
    const struct {
        const char *name;
        QByteArray text;
        bool tooLarge;
        std::vector<float> values;
    } cases[] = {
        {"exactly a megabyte", head + comment + "\r\n7\r", false, {100, 7}},
        {"a value cut at the limit", head + comment + "\r\n123,45\r\n", true, {100}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(m_path, c.text));
        QFile::remove(BackupPathFor(m_path));
        IndexTable table = FilledTable(kUnreached);
        IndexFileFacts facts;
        ASSERT_EQ(table.ReadIndexFile(m_path, &facts), ReadStatus::Ok);
        EXPECT_EQ(facts.tooLarge, c.tooLarge);
        for (std::size_t i = 0; i <= c.values.size(); ++i)
            EXPECT_EQ(table.At(int(i)), i < c.values.size() ? c.values[i] : kUnreached) << i;
        BackupOutcome backup = BackupOutcome::NotNeeded;
        ASSERT_EQ(table.WriteIndexFile(m_path, &backup), WriteStatus::Ok);
        EXPECT_EQ(backup, BackupOutcome::Kept);
        EXPECT_EQ(ReadFileBytes(BackupPathFor(m_path)), c.text);
    }
}
