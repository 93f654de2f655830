#pragma once

#include "engine/packed_date.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

enum class ReadStatus;
enum class WriteStatus;

// The data of one calculation, in the order of the document file.
struct CalcDocument {
    PackedDate signature;     // lease signature
    PackedDate firstRevision; // start of the calculation
    PackedDate lastRevision;  // end of the calculation
    PackedDate referenceDate; // reference index date, a quarter date
    double rent = 0.0;

    void Clear();
};

// One quarterly index value per quarter from 1970 Q1 to 2106 Q4; 0 marks a
// quarter whose index has not been entered.
class IndexTable {
public:
    static constexpr int kSize = 548;
    static constexpr int kListedSize = 544; // 1970 Q1 to 2105 Q4

    // Element `position`, or 0 for a position outside the table, so that no
    // date, however far off, reads outside it.
    float At(int position) const;
    void Set(int position, float value);
    // Position of a quarter: (year - 1970) x 4 + quarter (0-3).
    static int PositionOf(int year, int quarter);

    const std::array<float, kSize> &Values() const { return m_values; }
    void Clear();

    // The index file (index_file.cpp). Reading fills the table in order from
    // the file's value lines; on any status but Ok the table is unchanged.
    // Writing replaces the file with the canonical text, keeping a previous
    // file whose bytes differ as "Indices.txt.bak"; nothing is shown, the
    // caller tells the user.
    ReadStatus ReadIndexFile(const QString &path);
    WriteStatus WriteIndexFile(const QString &path) const;
    // The same on the file's bytes: Windows-1252 text, or UTF-16 or UTF-8
    // with a byte-order mark; lines end with LF, CR LF or CR.
    void ReadIndexText(QByteArrayView text);
    QByteArray IndexFileText() const;

private:
    std::array<float, kSize> m_values{};
};

// One revised rent.
struct RevisionRow {
    PackedDate date;
    double index = 0.0;
    double rent = 0.0;
};
