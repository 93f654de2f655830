#pragma once

#include <QString>

#include <cstdint>
#include <ctime>

class IClock;
class IDialogItems;
struct UserLocale;

// A calendar date in one 32-bit word: day in bits 0-6, month in bits 7-13,
// full year in bits 14-27, and four reserved bits 28-31 that nothing sets or
// tests and that every write keeps. The word is saved whole in documents.
class PackedDate {
public:
    enum ValidateResult { DateOk = 0, BadDay = 1, BadMonth = 2, BadYear = 3 };

    static constexpr int kFirstYear = 1970;
    static constexpr int kLastYear = 2106;

    constexpr PackedDate() = default;
    constexpr explicit PackedDate(std::uint32_t word)
        : m_word(word) {}
    static PackedDate FromParts(unsigned day, unsigned month, unsigned year);

    std::uint32_t Word() const { return m_word; }
    unsigned Day() const { return m_word & 0x7Fu; }
    unsigned Month() const { return (m_word >> 7) & 0x7Fu; }
    unsigned Year() const { return (m_word >> 14) & 0x3FFFu; }
    unsigned Reserved() const { return m_word >> 28; }

    // Writes day, month and year together, each cut to its field width; the
    // reserved bits are kept.
    void SetParts(unsigned day, unsigned month, unsigned year);

    void SetToday(const IClock &clock);
    void ReadFromEdits(const IDialogItems &dialog, int firstId);
    void WriteToEdits(IDialogItems &dialog, int firstId) const;
    QString FormatWithPicture(QStringView picture, const UserLocale &locale) const;
    QString FormatForLocale(const UserLocale &locale) const; // the short date
    int Validate() const;
    bool IsEarlierThan(PackedDate other) const;
    bool IsLaterThan(PackedDate other) const;
    std::tm ToTm() const;
    void FromTm(const std::tm &tm);
    void AssignDate(PackedDate other);
    bool IsEmpty() const;

    // The quarter date: day 1, month 3 x quarter + 1, the year; reserved bits
    // kept.
    void MakeQuarterDate(unsigned quarter, unsigned year);
    // Month divided by 3: 0-3 for the months 1, 4, 7 and 10 of quarter dates.
    unsigned QuarterIndex() const;

    friend bool operator==(PackedDate, PackedDate) = default;

private:
    std::uint32_t m_word = 0;
};

// Days of a month by the original rule: 30 + bit 3 of (month x -7) as an
// unsigned 32-bit number, less 1 or 2 in February (leap years are those
// divisible by 4). Months outside 1-12 get 30 or 31 from the same formula.
unsigned DaysInMonth(unsigned month, unsigned year);
