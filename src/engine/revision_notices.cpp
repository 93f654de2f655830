#include "engine/revision_notices.h"

#include "engine/number_text.h"
#include "engine/revision_calc.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

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
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 1 < text.size()) {
            const int n = text[i + 1].unicode() - u'0';
            if (n >= 1 && n <= count) {
                out.append(values[n - 1]);
                ++i;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

// The same day `years` later; 29 February falls back to the 28th.
PackedDate AddYears(PackedDate date, int years) {
    const unsigned year = date.Year() + static_cast<unsigned>(years);
    PackedDate later = date;
    later.SetParts(std::min(date.Day(), DaysInMonth(date.Month(), year)), date.Month(), year);
    return later;
}

bool SeriesApplies(const LegalRule &rule, std::optional<IndexSeries> series) {
    if (rule.series == kAnyTable)
        return true;
    return series && (rule.series & (1u << static_cast<unsigned>(*series))) != 0;
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

    QString Date(PackedDate date) const { return date.FormatForLocale(m_in.settings.locale); }
    QString Money(double amount) const { return PlainMoneyText(amount, m_in.settings.symbol); }
    static QString Index(double value) { return FormatNumber(value, 2); }
    static QString Percent(double rate) {
        return FormatNumber(rate, rate == std::floor(rate) ? 0 : 1);
    }
    static QString Quarter(int year, int quarter) {
        return (quarter == 0 ? QStringLiteral("1er") : QString::number(quarter + 1) + u'e') +
               QStringLiteral(" trimestre ") + QString::number(year);
    }
    static QString Quarter(RuleQuarter q) { return Quarter(q.year, q.quarter); }

    QString Rows(const RowSpan &span) const {
        const QString first = Date(Row(span.first).date);
        if (span.count == 1)
            return QStringLiteral("la révision du ") + first;
        const QString last = Date(Row(span.last).date);
        if (span.count == 2)
            return QStringLiteral("les révisions du ") + first + QStringLiteral(" et du ") + last;
        return QStringLiteral("les ") + QString::number(span.count) +
               QStringLiteral(" révisions du ") + first + QStringLiteral(" au ") + last;
    }

    // Rows dated from the rule's date and more than its delay before today
    // are lost when they were not claimed: the rent stays as it was, and the
    // rows still within the delay revise it from there.
    QString ClaimWithinAYear(const LegalRule &rule) const {
        RowSpan lost;
        double rent = m_in.doc.rent;
        double lastBase = rent;
        for (int k = 0; k < RowCount(); ++k) {
            const PackedDate date = Row(k).date;
            if (!date.IsEarlierThan(rule.date) &&
                AddYears(date, rule.years).IsEarlierThan(m_in.today)) {
                lost.Add(k);
                continue;
            }
            lastBase = rent;
            rent = RevisedRent(rent, Row(k).index, PreviousIndex(k));
        }
        if (lost.count == 0)
            return {};
        const int last = RowCount() - 1;
        const QString reportRent = Money(Row(last).rent);
        if (lost.last == last)
            return Fill(rule.otherText, {Rows(lost), Money(rent), {}, {}, {}, {}, reportRent});
        return Fill(rule.text, {Rows(lost), Money(lastBase), Date(Row(last).date), Money(rent),
                                Index(Row(last).index), Index(PreviousIndex(last)), reportRent});
    }

    // Rows from the first term of the lease that starts on or after the
    // rule's date, the terms running from the signature.
    QString RatedFG(const LegalRule &rule) const {
        const PackedDate signature = m_in.doc.signature;
        PackedDate term = signature;
        for (int n = 1; term.IsEarlierThan(rule.date); ++n)
            term = AddYears(signature, n * rule.years);
        RowSpan rows;
        for (int k = 0; k < RowCount(); ++k) {
            if (!Row(k).date.IsEarlierThan(term))
                rows.Add(k);
        }
        if (rows.count == 0)
            return {};
        return Fill(rule.text,
                    {Date(rule.date), rule.region, Date(signature), Date(term), Rows(rows)});
    }

    RowSpan RowsInQuarters(const LegalRule &rule) const {
        const int first = IndexTable::PositionOf(rule.first.year, rule.first.quarter);
        const int last = IndexTable::PositionOf(rule.last.year, rule.last.quarter);
        RowSpan rows;
        for (int k = 0; k < RowCount(); ++k) {
            const int position = RowPosition(k);
            if (position >= first && position <= last)
                rows.Add(k);
        }
        return rows;
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
        RowSpan rows;
        for (int k = 0; k < RowCount() && Row(k).date.IsEarlierThan(rule.date); ++k)
            rows.Add(k);
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
        if (!m_in.doc.signature.IsEarlierThan(end))
            return {};
        return Fill(rule.text, {Quarter(static_cast<int>(reference.Year()),
                                        static_cast<int>(reference.QuarterIndex())),
                                Date(end), Date(m_in.doc.signature)});
    }

    const NoticeInput &m_in;
    int m_referencePosition;
    double m_referenceValue;
};

} // namespace

QString RevisionNotice::Line() const {
    return title + QStringLiteral(" : ") + text + QStringLiteral(" (") + reference + u')';
}

std::vector<RevisionNotice> BuildRevisionNotices(const NoticeInput &input) {
    std::vector<RevisionNotice> notices;
    if (input.rows.empty())
        return notices;
    const NoticeWriter writer(input);
    for (const LegalRule &rule : LegalRules()) {
        if (SeriesApplies(rule, input.series))
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
