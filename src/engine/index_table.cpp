#include "engine/index_table.h"

#include "engine/fixed_point.h"
#include "engine/number_text.h"
#include "engine/packed_date.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "platform/string_table.h"

#include <QStringDecoder>

#include <cmath>
#include <limits>

namespace {

constexpr int kValueFieldWidth = 8;

// Every year of the file has four digits.
static_assert(PackedDate::kFirstYear >= 1000 && PackedDate::kLastYear <= 9999);

// Appends the value field of a line: two decimals rounded half away from
// zero, a decimal comma, right-aligned in at least eight characters.
void AppendValueField(QByteArray &out, float value) {
    // Every value a float holds below 10^15 as one scaled integer, written
    // straight to bytes; larger ones through the general text.
    ScaledFixed scaled;
    if (ScaleFixed(static_cast<double>(value), 2, scaled)) {
        char digits[24];
        char *end = digits + sizeof digits;
        char *p = end;
        std::uint64_t rest = scaled.scaled;
        for (int i = 0; i < 2; ++i) {
            *--p = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        *--p = ',';
        do {
            *--p = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (scaled.negative)
            *--p = '-';
        const auto length = static_cast<qsizetype>(end - p);
        if (length < kValueFieldWidth)
            out.append(kValueFieldWidth - length, ' ');
        out.append(p, length);
        return;
    }
    QByteArray field = FormatFixed(static_cast<double>(value), 2).value_or(QByteArray("0.00"));
    field.replace('.', ',');
    if (field.size() < kValueFieldWidth)
        out.append(kValueFieldWidth - field.size(), ' ');
    out.append(field);
}

// The number at the start of a value line. The file always carries a
// decimal comma, so the comma is taken as the decimal point whatever the
// user's own separator (which the conversion accepts as well, with ".").
double LineValue(QByteArrayView line) {
    QString text = FromCp1252(line);
    text.replace(u',', u'.');
    return ParseNumber(text);
}

// The file's text as single bytes. Editors may save it with a UTF-8
// byte-order mark, which is skipped, or in UTF-16 with its byte-order mark,
// which is decoded (a character without a Windows-1252 byte then reads as
// "?"). Anything else is taken as the single-byte text the program writes.
QByteArray SingleByteText(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF"))
        return text.sliced(3).toByteArray();
    const bool littleEndian = text.startsWith("\xFF\xFE");
    if (!littleEndian && !text.startsWith("\xFE\xFF"))
        return text.toByteArray();
    // Only the first byte-order mark is dropped; one after it is text.
    QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = decoder.decode(text.sliced(2));
    return ToCp1252(decoded);
}

} // namespace

float IndexTable::At(int position) const {
    if (position < 0 || position >= kSize)
        return 0.0f;
    return m_values[static_cast<std::size_t>(position)];
}

void IndexTable::Set(int position, float value) {
    if (position >= 0 && position < kSize)
        m_values[static_cast<std::size_t>(position)] = value;
}

int IndexTable::PositionOf(int year, int quarter) {
    return (year - PackedDate::kFirstYear) * 4 + quarter;
}

void IndexTable::Clear() {
    m_values.fill(0.0f);
}

QString IndexFileName() {
    return QStringLiteral("Indices.txt");
}

float NarrowIndexValue(double value) {
    constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
    if (std::isnan(value))
        return 0.0f;
    if (value > kMax)
        return std::numeric_limits<float>::max();
    if (value < -kMax)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

void IndexTable::ReadIndexText(QByteArrayView file) {
    const QByteArray bytes = SingleByteText(file);
    const QByteArrayView text(bytes);
    std::size_t next = 0;
    qsizetype pos = 0;
    while (next < m_values.size() && pos < text.size()) {
        // LF, CR LF and a lone CR (old Mac files) each end a line.
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArrayView line = text.sliced(pos, end - pos);
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++pos;
        if (line.isEmpty() || line.front() == ';')
            continue;
        m_values[next++] = NarrowIndexValue(LineValue(line));
    }
}

QByteArray IndexTable::IndexFileText() const {
    QByteArray out = ToCp1252(LoadString(IDS_INDEX_FILE_HEADER));
    out.reserve(out.size() + kSize * 28);
    std::size_t position = 0;
    for (int year = PackedDate::kFirstYear; year <= PackedDate::kLastYear; ++year) {
        for (int quarter = 1; quarter <= 4; ++quarter) {
            // A value beyond the range (set from elsewhere) is written as the
            // nearest finite one, never as a text the reader cannot take.
            AppendValueField(out, NarrowIndexValue(static_cast<double>(m_values[position++])));
            // "   ; 1970 - Trim 1\r\n": a four-digit year and the quarter.
            char tail[] = "   ; 0000 - Trim 0\r\n";
            tail[5] = static_cast<char>('0' + year / 1000);
            tail[6] = static_cast<char>('0' + year / 100 % 10);
            tail[7] = static_cast<char>('0' + year / 10 % 10);
            tail[8] = static_cast<char>('0' + year % 10);
            tail[17] = static_cast<char>('0' + quarter);
            out.append(tail, sizeof tail - 1);
        }
    }
    return out;
}

ReadStatus IndexTable::ReadIndexFile(const QString &path, IndexFileFacts *facts) {
    ReadResult file = ReadWholeFile(path, kMaxFileBytes + 1);
    if (file.status != ReadStatus::Ok)
        return file.status;
    const bool tooLarge = file.bytes.size() > kMaxFileBytes;
    if (tooLarge) {
        // The last line read may be cut short: a value cut in its digits
        // would be another value.
        file.bytes.truncate(kMaxFileBytes);
        const qsizetype end = file.bytes.lastIndexOf('\n');
        const bool littleEndian16 = file.bytes.startsWith("\xff\xfe");
        file.bytes.truncate(end < 0 ? 0 : end + (littleEndian16 ? 2 : 1));
    }
    ReadIndexText(file.bytes);
    if (facts) {
        facts->tooLarge = tooLarge;
        facts->canonical = !tooLarge && file.bytes == IndexFileText();
    }
    return file.status;
}

WriteStatus IndexTable::WriteIndexFile(const QString &path, BackupOutcome *backup) const {
    // The file is the user's only copy of the values typed in over the
    // years: whatever a rewrite changes stays recoverable in the backup
    // where one can be kept, and the caller says so where it cannot.
    return WriteWholeFile(path, IndexFileText(), KeepPrevious::AsBackupWhenPossible, backup);
}
