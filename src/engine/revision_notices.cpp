#include "engine/revision_notices.h"

#include "engine/number_text.h"
#include "engine/revision_calc.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// The rows a notice names: the first, the last and how many.
struct RowSpan {
    int first = -1;
    int last = -1;
    int count = 0;

    void Add(int row) {
        if (count++ == 0)
            first = row;
        last = row;
    }
};

// Fills the placeholders %1 to %9 of a rule's text by their number; a "%"
// not followed by a digit stays as it is ("3,5 %").
QString Fill(const QString &text, std::initializer_list<QString> args) {
    QString out;
    qsizetype room = text.size();
    for (const QString &arg : args)
        room += arg.size();
    out.reserve(room);
    const QString *values = args.begin();
    const qsizetype count = static_cast<qsizetype>(args.size());
    const QStringView view(text);
    qsizetype copied = 0;
    for (qsizetype i = view.indexOf(u'%'); i >= 0 && i + 1 < view.size();
         i = view.indexOf(u'%', i + 1)) {
        const int n = view[i + 1].unicode() - u'0';
        if (n < 1 || n > count)
            continue;
        out.append(view.sliced(copied, i - copied));
        out.append(values[n - 1]);
        copied = i + 2;
        ++i;
    }
    out.append(view.sliced(copied));
    return out;
}

// Whether `a` is before `b`: the date word without its reserved bits orders
// dates as the calendar does (year, then month, then day).
bool Before(PackedDate a, PackedDate b) {
    constexpr std::uint32_t kDateBits = 0x0FFFFFFFu;
    return (a.Word() & kDateBits) < (b.Word() & kDateBits);
}

// The same day `years` later; 29 February falls back to the 28th.
PackedDate AddYears(PackedDate date, int years) {
    const unsigned year = date.Year() + static_cast<unsigned>(years);
    PackedDate later = date;
    later.SetParts(std::min(date.Day(), DaysInMonth(date.Month(), year)), date.Month(), year);
    return later;
}

bool SeriesApplies(const LegalRule &rule, IndexSeries series) {
    return (rule.series & (1u << static_cast<unsigned>(series))) != 0;
}

class NoticeWriter {
public:
    explicit NoticeWriter(const NoticeInput &input)
        : m_in(input)
        , m_referencePosition(
              IndexTable::PositionOf(static_cast<int>(input.doc.referenceDate.Year()),
                                     static_cast<int>(input.doc.referenceDate.QuarterIndex())))
        , m_referenceValue(static_cast<double>(input.indices.At(m_referencePosition))) {}

    void Apply(const LegalRule &rule, std::vector<RevisionNotice> &out) const {
        QString text;
        switch (rule.kind) {
        case LegalRuleKind::ClaimWithinAYear:
            text = ClaimWithinAYear(rule);
            break;
        case LegalRuleKind::NoRevisionRatedFG:
            text = RatedFG(rule);
            break;
        case LegalRuleKind::RegionalIrlCap:
            text = RegionalCap(rule);
            break;
        case LegalRuleKind::SmeIlcCap:
            text = SmeCap(rule);
            break;
        case LegalRuleKind::IndexBeforeItsDecree:
            text = BeforeDecree(rule);
            break;
        case LegalRuleKind::CommercialQuarterMove:
            text = QuarterMove(rule);
            break;
        case LegalRuleKind::ReferenceUnknownAtSignature:
            text = ReferenceUnknown(rule);
            break;
        }
        if (!text.isEmpty())
            out.push_back({rule.kind, rule.title, text, rule.reference});
    }

private:
    int RowCount() const { return static_cast<int>(m_in.rows.size()); }
    const RevisionRow &Row(int k) const { return m_in.rows[static_cast<std::size_t>(k)]; }
    // The index a row's yearly change starts from: the row before, or the
    // reference for the first.
    double PreviousIndex(int k) const { return k == 0 ? m_referenceValue : Row(k - 1).index; }
    // The table position of a row's index: the reference quarter, one year
    // further for each row.
    int RowPosition(int k) const { return m_referencePosition + 4 * (k + 1); }

    // The short date, each date written once per calculation: the notices
    // name the same signature, terms and rows again and again.
    QString Date(PackedDate date) const {
        for (const auto &[word, text] : m_dates) {
            if (word == date.Word())
                return text;
        }
        QString text = date.FormatForLocale(m_in.settings.locale);
        m_dates.emplace_back(date.Word(), text);
        return text;
    }
    // The first row dated on or after `date` (the rows are in date order).
    int FirstRowFrom(PackedDate date) const {
        const auto it =
            std::partition_point(m_in.rows.begin(), m_in.rows.end(),
                                 [date](const RevisionRow &row) { return Before(row.date, date); });
        return static_cast<int>(it - m_in.rows.begin());
    }
    QString Money(double amount) const { return PlainMoneyText(amount, m_in.settings.symbol); }
    static QString Index(double value) { return FormatNumber(value, 2); }
    static QString Percent(double rate) {
        return FormatNumber(rate, rate == std::floor(rate) ? 0 : 1);
    }
    static QString Quarter(int year, int quarter) {
        return Fill(quarter == 0 ? QStringLiteral("1er trimestre %2")
                                 : QStringLiteral("%1e trimestre %2"),
                    {QString::number(quarter + 1), QString::number(year)});
    }
    static QString Quarter(RuleQuarter q) { return Quarter(q.year, q.quarter); }

    QString Rows(const RowSpan &span) const {
        const QString first = Date(Row(span.first).date);
        if (span.count == 1)
            return Fill(QStringLiteral("la révision du %1"), {first});
        const QString last = Date(Row(span.last).date);
        if (span.count == 2)
            return Fill(QStringLiteral("les révisions du %1 et du %2"), {first, last});
        return Fill(QStringLiteral("les %3 révisions du %1 au %2"),
                    {first, last, QString::number(span.count)});
    }

    // Rows dated from the rule's date and more than its delay before today
    // are lost when they were not claimed: the rent stays as it was, and the
    // rows still within the delay revise it from there. The figure is that
    // of the last revision due by today.
    QString ClaimWithinAYear(const LegalRule &rule) const {
        int due = RowCount() - 1;
        while (due >= 0 && Before(m_in.today, Row(due).date))
            --due;
        RowSpan lost;
        for (int k = 0; k <= due; ++k) {
            const PackedDate date = Row(k).date;
            if (Before(date, rule.date))
                continue;
            if (!Before(AddYears(date, rule.years), m_in.today))
                break; // the later rows are later still
            lost.Add(k);
        }
        if (lost.count == 0)
            return {};
        // The rows before the lost ones are the walk's own.
        double rent = lost.first > 0 ? Row(lost.first - 1).rent : m_in.doc.rent;
        const QString reportRent = Money(Row(due).rent);
        if (lost.last == due)
            return Fill(rule.otherText, {Rows(lost), Money(rent), {}, {}, {}, {}, reportRent});
        for (int k = lost.last + 1; k < due; ++k)
            rent = RevisedRent(rent, Row(k).index, PreviousIndex(k));
        const double claimed = RevisedRent(rent, Row(due).index, PreviousIndex(due));
        return Fill(rule.text, {Rows(lost), Money(rent), Date(Row(due).date), Money(claimed),
                                Index(Row(due).index), Index(PreviousIndex(due)), reportRent});
    }

    // Rows from the first term of the lease that starts on or after the
    // rule's date, the terms running from the signature.
    QString RatedFG(const LegalRule &rule) const {
        const PackedDate signature = m_in.doc.signature;
        // The last term starting in the rule's year or before, then the
        // next one when that one starts before the rule's date.
        const int elapsed =
            std::max(0, static_cast<int>(rule.date.Year()) - static_cast<int>(signature.Year()));
        const int years = elapsed / rule.years * rule.years;
        PackedDate term = AddYears(signature, years);
        if (Before(term, rule.date))
            term = AddYears(signature, years + rule.years);
        const RowSpan rows = Span(FirstRowFrom(term), RowCount() - 1);
        if (rows.count == 0)
            return {};
        return Fill(rule.text,
                    {Date(rule.date), rule.region, Date(signature), Date(term), Rows(rows)});
    }

    RowSpan RowsInQuarters(const LegalRule &rule) const {
        // Row k reads position m_referencePosition + 4 (k + 1).
        const int first = IndexTable::PositionOf(rule.first.year, rule.first.quarter);
        const int last = IndexTable::PositionOf(rule.last.year, rule.last.quarter);
        const auto rowsUpTo = [this](int position) { // rows at or before it
            const int steps = position - m_referencePosition;
            return steps < 4 ? 0 : steps / 4;
        };
        return Span(rowsUpTo(first - 1), std::min(rowsUpTo(last), RowCount()) - 1);
    }

    QString RegionalCap(const LegalRule &rule) const {
        const RowSpan rows = RowsInQuarters(rule);
        if (rows.count == 0)
            return {};
        return Fill(rule.text,
                    {Rows(rows), Quarter(rule.first), Quarter(rule.last), Percent(rule.rate),
                     Percent(rule.lowerRates[0]), Percent(rule.lowerRates[1])});
    }

    // The chain revised with each yearly change of the rule's quarters held
    // to its rate; the later revisions start from the capped rent.
    QString SmeCap(const LegalRule &rule) const {
        const int first = IndexTable::PositionOf(rule.first.year, rule.first.quarter);
        const int last = IndexTable::PositionOf(rule.last.year, rule.last.quarter);
        const double factor = 1.0 + rule.rate / 100.0;
        RowSpan capped;
        QString chain;
        constexpr int kListed = 12; // rows named in the chain; then the last
        int listed = 0;
        double rent = m_in.doc.rent;
        for (int k = 0; k < RowCount(); ++k) {
            const double previous = PreviousIndex(k);
            double index = Row(k).index;
            const int position = RowPosition(k);
            if (position >= first && position <= last && index > previous * factor) {
                index = previous * factor;
                capped.Add(k);
            }
            rent = RevisedRent(rent, index, previous);
            if (capped.count == 0)
                continue;
            if (listed < kListed || k == RowCount() - 1) {
                if (!chain.isEmpty())
                    chain += listed < kListed ? QStringLiteral(", ") : QStringLiteral(" … ");
                chain += Date(Row(k).date) + QStringLiteral(" : ") + Money(rent);
                ++listed;
            }
        }
        if (capped.count == 0)
            return {};
        return Fill(rule.text, {Rows(capped), Percent(rule.rate), Quarter(rule.first),
                                Quarter(rule.last), chain});
    }

    QString BeforeDecree(const LegalRule &rule) const {
        const RowSpan rows = Span(0, FirstRowFrom(rule.date) - 1);
        if (rows.count == 0)
            return {};
        return Fill(rule.text, {Rows(rows), Date(rule.date)});
    }

    QString QuarterMove(const LegalRule &rule) const {
        const double rent = m_in.doc.rent;
        const double limit = std::abs(rent) * rule.rate / 100.0;
        for (int k = 0; k < RowCount(); ++k) {
            if (std::abs(Row(k).rent - rent) > limit) {
                return Fill(rule.text, {Date(Row(k).date), Money(Row(k).rent), Percent(rule.rate),
                                        Money(rent)});
            }
        }
        return {};
    }

    QString ReferenceUnknown(const LegalRule &rule) const {
        const PackedDate reference = m_in.doc.referenceDate;
        const unsigned lastMonth = reference.QuarterIndex() * 3 + 3;
        const PackedDate end = PackedDate::FromParts(DaysInMonth(lastMonth, reference.Year()),
                                                     lastMonth, reference.Year());
        if (!Before(m_in.doc.signature, end))
            return {};
        return Fill(rule.text, {Quarter(static_cast<int>(reference.Year()),
                                        static_cast<int>(reference.QuarterIndex())),
                                Date(end), Date(m_in.doc.signature)});
    }

    static RowSpan Span(int first, int last) {
        if (last < first)
            return {};
        return {first, last, last - first + 1};
    }

    const NoticeInput &m_in;
    int m_referencePosition;
    double m_referenceValue;
    mutable std::vector<std::pair<std::uint32_t, QString>> m_dates;
};

} // namespace

QString RevisionNotice::Line() const {
    return title + QStringLiteral(" : ") + text + QStringLiteral(" (") + reference + u')';
}

std::vector<RevisionNotice> BuildRevisionNotices(const NoticeInput &input) {
    std::vector<RevisionNotice> notices;
    if (input.rows.empty() || !input.series)
        return notices;
    const NoticeWriter writer(input);
    for (const LegalRule &rule : LegalRules()) {
        if (SeriesApplies(rule, *input.series))
            writer.Apply(rule, notices);
    }
    return notices;
}

QString PlainMoneyText(double amount, const QString &symbol) {
    // The report's money text without its symbol ends with the Rich Text
    // non-breaking space "\~"; the digits before it are plain.
    QByteArray digits = MoneyText(amount, QString());
    digits.chop(2);
    return QString::fromLatin1(digits) + QChar(0x00A0) + symbol;
}
