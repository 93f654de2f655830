#include "engine/packed_date.h"

#include "platform/clock.h"
#include "platform/date_picture.h"
#include "platform/dialog_items.h"
#include "platform/user_locale.h"

namespace {

constexpr std::uint32_t kFieldsMask = 0x0FFFFFFFu;

int Compare(PackedDate a, PackedDate b) {
    if (a.Year() != b.Year())
        return a.Year() < b.Year() ? -1 : 1;
    if (a.Month() != b.Month())
        return a.Month() < b.Month() ? -1 : 1;
    if (a.Day() != b.Day())
        return a.Day() < b.Day() ? -1 : 1;
    return 0;
}

} // namespace

unsigned DaysInMonth(unsigned month, unsigned year) {
    const std::uint32_t product =
        static_cast<std::uint32_t>(month) * static_cast<std::uint32_t>(-7);
    const unsigned b = (product >> 3) & 1u;
    unsigned f = 0;
    if (month == 2)
        f = (year & 3u) == 0 ? 1u : 2u;
    return 30u + b - f;
}

PackedDate PackedDate::FromParts(unsigned day, unsigned month, unsigned year) {
    PackedDate d;
    d.SetParts(day, month, year);
    return d;
}

void PackedDate::SetParts(unsigned day, unsigned month, unsigned year) {
    m_word =
        (m_word & ~kFieldsMask) | (day & 0x7Fu) | ((month & 0x7Fu) << 7) | ((year & 0x3FFFu) << 14);
}

void PackedDate::SetToday(const IClock &clock) {
    const LocalDate today = clock.Today();
    SetParts(static_cast<unsigned>(today.day), static_cast<unsigned>(today.month),
             static_cast<unsigned>(today.year));
}

void PackedDate::ReadFromEdits(const IDialogItems &dialog, int firstId) {
    const int year = dialog.GetDlgItemInt(firstId + 2, nullptr, true);
    const int month = dialog.GetDlgItemInt(firstId + 1, nullptr, true);
    const int day = dialog.GetDlgItemInt(firstId, nullptr, true);
    SetParts(static_cast<unsigned>(day), static_cast<unsigned>(month), static_cast<unsigned>(year));
}

void PackedDate::WriteToEdits(IDialogItems &dialog, int firstId) const {
    if (Day() == 0 || Month() == 0 || Year() == 0)
        return;
    dialog.SetDlgItemText(firstId, QStringLiteral("%1").arg(Day(), 2, 10, QLatin1Char('0')));
    dialog.SetDlgItemText(firstId + 1, QStringLiteral("%1").arg(Month(), 2, 10, QLatin1Char('0')));
    dialog.SetDlgItemText(firstId + 2, QStringLiteral("%1").arg(Year(), 4, 10, QLatin1Char('0')));
}

QString PackedDate::FormatWithPicture(QStringView picture, const UserLocale &locale) const {
    return FormatDatePicture(static_cast<int>(Day()), static_cast<int>(Month()),
                             static_cast<int>(Year()), picture, locale)
        .left(63);
}

QString PackedDate::FormatForLocale(const UserLocale &locale) const {
    return FormatWithPicture(locale.shortDatePattern, locale);
}

int PackedDate::Validate() const {
    if (Day() == 0 || Day() > DaysInMonth(Month(), Year()))
        return BadDay;
    if (Month() < 1 || Month() > 12)
        return BadMonth;
    if (Year() < kFirstYear || Year() > kLastYear)
        return BadYear;
    return DateOk;
}

bool PackedDate::IsEarlierThan(PackedDate other) const {
    return Compare(*this, other) < 0;
}

bool PackedDate::IsLaterThan(PackedDate other) const {
    return Compare(*this, other) > 0;
}

std::tm PackedDate::ToTm() const {
    std::tm tm{};
    tm.tm_sec = 0;
    tm.tm_min = 0;
    tm.tm_hour = 0;
    tm.tm_mday = static_cast<int>(Day());
    tm.tm_mon = static_cast<int>(Month()) - 1;
    tm.tm_year = static_cast<int>(Year()) - 1900;
    tm.tm_wday = 0;
    tm.tm_yday = 0;
    tm.tm_isdst = -1;
    return tm;
}

void PackedDate::FromTm(const std::tm &tm) {
    SetParts(static_cast<unsigned>(tm.tm_mday), static_cast<unsigned>(tm.tm_mon + 1),
             static_cast<unsigned>(tm.tm_year + 1900));
}

void PackedDate::AssignDate(PackedDate other) {
    FromTm(other.ToTm());
}

bool PackedDate::IsEmpty() const {
    return Day() + Month() + Year() == 0;
}

void PackedDate::MakeQuarterDate(unsigned quarter, unsigned year) {
    SetParts(1, 3 * quarter + 1, year);
}

unsigned PackedDate::QuarterIndex() const {
    return Month() / 3;
}
