#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

enum class BackupOutcome;
enum class ReadStatus;
enum class WriteStatus;

// One quarterly index value per quarter from 1970 Q1 to 2106 Q4; 0 marks a
// quarter whose index has not been entered.
//
// The table lives in a text file of quarterly index values kept beside the
// executable, "Indices.txt". File layout, single-byte Windows-1252 text with
// CR LF line ends: the header comment line and an empty line, then one line
// per quarter from 1970 Q1 to 2106 Q4, "%8.2f   ; <year> - Trim <quarter>"
// with a decimal comma. Reading takes the lines by position: empty lines and
// lines beginning with ";" are skipped, every other line gives its leading
// number (0 when it has none). Reading also takes what editors make of the
// file: a UTF-8 byte-order mark, UTF-16 with its byte-order mark, and lines
// ended by a lone CR.
// What reading the index file found besides its values.
struct IndexFileFacts {
    bool canonical = false; // the file holds exactly the text writing gives
    bool tooLarge = false;  // only its first IndexTable::kMaxFileBytes were read
};

class IndexTable {
public:
    static constexpr int kSize = 548;
    static constexpr int kListedSize = 544; // 1970 Q1 to 2105 Q4
    // The canonical file is about 15 KB: a file past this size is read only
    // as far as this, up to its last whole line, and is never read whole.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    // Element `position`, or 0 for a position outside the table, so that no
    // date, however far off, reads outside it.
    float At(int position) const;
    void Set(int position, float value);
    // Position of a quarter: (year - 1970) x 4 + quarter (0-3).
    static int PositionOf(int year, int quarter);

    const std::array<float, kSize> &Values() const { return m_values; }
    void Clear();

    // The index file. Reading fills the table in order from the file's value
    // lines; on any status but Ok the table is unchanged. Writing replaces
    // the file with the canonical text, keeping a previous file whose bytes
    // differ as "Indices.txt.bak"; nothing is shown, the caller tells the
    // user.
    // `facts`, when given, says whether the file was canonical or too large
    // to be read whole. A previous file that cannot be kept as the backup
    // (its name taken by a folder, a pipe or a read-only file, a failed
    // write) does not stop the write of the new one: `backup`, when given,
    // says what became of it.
    ReadStatus ReadIndexFile(const QString &path, IndexFileFacts *facts = nullptr);
    WriteStatus WriteIndexFile(const QString &path, BackupOutcome *backup = nullptr) const;
    // The same on the file's bytes: Windows-1252 text, or UTF-16 or UTF-8
    // with a byte-order mark; lines end with LF, CR LF or CR.
    void ReadIndexText(QByteArrayView text);
    QByteArray IndexFileText() const;

private:
    std::array<float, kSize> m_values{};
};

// Name of the index file in the executable's folder.
QString IndexFileName();

// The single-precision value stored for a number read from the file or
// typed by the user: the nearest finite value, so that a magnitude beyond
// the single-precision range keeps its sign and is written back as a number
// the file can read again; not-a-number gives 0.
float NarrowIndexValue(double value);
