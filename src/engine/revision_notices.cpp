#include "engine/revision_notices.h"

#include "engine/number_text.h"
#include "engine/revision_calc.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// Fills the placeholders %1 to %9 of a text by their number; a "%" not
// followed by one of them stays as it is ("3,5 %").
QString Fill(const QString &text, std::span<const QString> args) {
    QString out;
    qsizetype room = text.size();
    for (const QString &arg : args)
        room += arg.size();
    out.reserve(room);
    const QStringView view(text);
    const qsizetype count = static_cast<qsizetype>(args.size());
    qsizetype copied = 0;
    for (qsizetype i = view.indexOf(u'%'); i >= 0 && i + 1 < view.size();
         i = view.indexOf(u'%', i + 1)) {
        const int n = view[i + 1].unicode() - u'0';
        if (n < 1 || n > count)
            continue;
        out.append(view.sliced(copied, i - copied));
        out.append(args[static_cast<std::size_t>(n - 1)]);
        copied = i + 2;
        ++i;
    }
    out.append(view.sliced(copied));
    return out;
}

QString Fill(const QString &text, std::initializer_list<QString> args) {
    return Fill(text, std::span<const QString>(args.begin(), args.size()));
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

NoticeValue DateValue(PackedDate date) {
    return {NoticeValue::Date, date};
}
NoticeValue NumberValue(NoticeValue::Kind kind, double number) {
    return {kind, {}, {}, number};
}
NoticeValue QuarterValue(int year, int quarter) {
    return {NoticeValue::Quarter, {}, {}, 0.0, year, quarter};
}
NoticeValue QuarterValue(RuleQuarter q) {
    return QuarterValue(q.year, q.quarter);
}
NoticeValue TextValue(const QString &text) {
    return {NoticeValue::Text, {}, {}, 0.0, 0, 0, text};
}

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

RowSpan Span(int first, int last) {
    if (last < first)
        return {};
    return {first, last, last - first + 1};
}

// Finds which rules apply and the figures their notices give.
class NoticeFinder {
public:
    explicit NoticeFinder(const NoticeInput &input)
        : m_in(input)
        , m_referencePosition(
              IndexTable::PositionOf(static_cast<int>(input.doc.referenceDate.Year()),
                                     static_cast<int>(input.doc.referenceDate.QuarterIndex())))
        , m_referenceValue(static_cast<double>(input.indices.At(m_referencePosition))) {}

    // Fills `notice` (its pattern and values) when `rule` applies.
    bool Find(const LegalRule &rule, RevisionNotice &notice) const {
        switch (rule.kind) {
        case LegalRuleKind::ClaimWithinAYear:
            return ClaimWithinAYear(rule, notice);
        case LegalRuleKind::NoRevisionRatedFG:
            return RatedFG(rule, notice);
        case LegalRuleKind::RegionalIrlCap:
            return RegionalCap(rule, notice);
        case LegalRuleKind::SmeIlcCap:
            return SmeCap(rule, notice);
        case LegalRuleKind::IndexBeforeItsDecree:
            return BeforeDecree(rule, notice);
        case LegalRuleKind::CommercialQuarterMove:
            return QuarterMove(rule, notice);
        case LegalRuleKind::ReferenceUnknownAtSignature:
            return ReferenceUnknown(rule, notice);
        }
        return false;
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
    // The first row dated on or after `date` (the rows are in date order).
    int FirstRowFrom(PackedDate date) const {
        const auto it =
            std::partition_point(m_in.rows.begin(), m_in.rows.end(),
                                 [date](const RevisionRow &row) { return Before(row.date, date); });
        return static_cast<int>(it - m_in.rows.begin());
    }
    NoticeValue RowsValue(const RowSpan &span) const {
        return {NoticeValue::Rows, Row(span.first).date, Row(span.last).date, 0.0, span.count};
    }

    // Rows dated from the rule's date and more than its delay before today
    // are lost when they were not claimed: the rent stays as it was, and the
    // rows still within the delay revise it from there. The figure is that
    // of the last revision due by today.
    bool ClaimWithinAYear(const LegalRule &rule, RevisionNotice &notice) const {
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
            return false;
        // The rows before the lost ones are the walk's own.
        double rent = lost.first > 0 ? Row(lost.first - 1).rent : m_in.doc.rent;
        if (lost.last == due) {
            notice.pattern = rule.otherText;
            notice.values = {RowsValue(lost),
                             NumberValue(NoticeValue::Money, rent),
                             {},
                             {},
                             {},
                             {},
                             NumberValue(NoticeValue::Money, Row(due).rent)};
            return true;
        }
        for (int k = lost.last + 1; k < due; ++k)
            rent = RevisedRent(rent, Row(k).index, PreviousIndex(k));
        const double claimed = RevisedRent(rent, Row(due).index, PreviousIndex(due));
        notice.pattern = rule.text;
        notice.values = {RowsValue(lost),
                         NumberValue(NoticeValue::Money, rent),
                         DateValue(Row(due).date),
                         NumberValue(NoticeValue::Money, claimed),
                         NumberValue(NoticeValue::Index, Row(due).index),
                         NumberValue(NoticeValue::Index, PreviousIndex(due)),
                         NumberValue(NoticeValue::Money, Row(due).rent)};
        return true;
    }

    // Rows from the first term of the lease that starts on or after the
    // rule's date, the terms running from the signature.
    bool RatedFG(const LegalRule &rule, RevisionNotice &notice) const {
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
            return false;
        notice.pattern = rule.text;
        notice.values = {DateValue(rule.date), TextValue(rule.region), DateValue(signature),
                         DateValue(term), RowsValue(rows)};
        return true;
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

    bool RegionalCap(const LegalRule &rule, RevisionNotice &notice) const {
        const RowSpan rows = RowsInQuarters(rule);
        if (rows.count == 0)
            return false;
        notice.pattern = rule.text;
        notice.values = {RowsValue(rows),
                         QuarterValue(rule.first),
                         QuarterValue(rule.last),
                         NumberValue(NoticeValue::Percent, rule.rate),
                         NumberValue(NoticeValue::Percent, rule.lowerRates[0]),
                         NumberValue(NoticeValue::Percent, rule.lowerRates[1])};
        return true;
    }

    // The chain revised with each yearly change of the rule's quarters held
    // to its rate; the later revisions start from the capped rent.
    bool SmeCap(const LegalRule &rule, RevisionNotice &notice) const {
        const int first = IndexTable::PositionOf(rule.first.year, rule.first.quarter);
        const int last = IndexTable::PositionOf(rule.last.year, rule.last.quarter);
        const double factor = 1.0 + rule.rate / 100.0;
        RowSpan capped;
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
            if (capped.count != 0)
                notice.chain.emplace_back(Row(k).date, rent);
        }
        if (capped.count == 0)
            return false;
        notice.pattern = rule.text;
        notice.values = {RowsValue(capped),
                         NumberValue(NoticeValue::Percent, rule.rate),
                         QuarterValue(rule.first),
                         QuarterValue(rule.last),
                         {NoticeValue::Chain}};
        return true;
    }

    bool BeforeDecree(const LegalRule &rule, RevisionNotice &notice) const {
        const RowSpan rows = Span(0, FirstRowFrom(rule.date) - 1);
        if (rows.count == 0)
            return false;
        notice.pattern = rule.text;
        notice.values = {RowsValue(rows), DateValue(rule.date)};
        return true;
    }

    bool QuarterMove(const LegalRule &rule, RevisionNotice &notice) const {
        const double rent = m_in.doc.rent;
        const double limit = std::abs(rent) * rule.rate / 100.0;
        for (int k = 0; k < RowCount(); ++k) {
            if (std::abs(Row(k).rent - rent) > limit) {
                notice.pattern = rule.text;
                notice.values = {DateValue(Row(k).date),
                                 NumberValue(NoticeValue::Money, Row(k).rent),
                                 NumberValue(NoticeValue::Percent, rule.rate),
                                 NumberValue(NoticeValue::Money, rent)};
                return true;
            }
        }
        return false;
    }

    bool ReferenceUnknown(const LegalRule &rule, RevisionNotice &notice) const {
        const PackedDate reference = m_in.doc.referenceDate;
        const unsigned lastMonth = reference.QuarterIndex() * 3 + 3;
        const PackedDate end = PackedDate::FromParts(DaysInMonth(lastMonth, reference.Year()),
                                                     lastMonth, reference.Year());
        if (!Before(m_in.doc.signature, end))
            return false;
        notice.pattern = rule.text;
        notice.values = {QuarterValue(static_cast<int>(reference.Year()),
                                      static_cast<int>(reference.QuarterIndex())),
                         DateValue(end), DateValue(m_in.doc.signature)};
        return true;
    }

    const NoticeInput &m_in;
    int m_referencePosition;
    double m_referenceValue;
};

// Writes the values of a notice as the report writes its dates and figures.
class ValueWriter {
public:
    explicit ValueWriter(const ReportSettings &settings)
        : m_settings(settings) {}

    QString Write(const NoticeValue &value, const RevisionNotice &notice) const {
        switch (value.kind) {
        case NoticeValue::Date:
            return Date(value.date);
        case NoticeValue::Money:
            return PlainMoneyText(value.number, m_settings.symbol);
        case NoticeValue::Index:
            return FormatNumber(value.number, 2);
        case NoticeValue::Percent:
            return FormatNumber(value.number, value.number == std::floor(value.number) ? 0 : 1);
        case NoticeValue::Quarter:
            return Fill(value.quarter == 0 ? QStringLiteral("1er trimestre %2")
                                           : QStringLiteral("%1e trimestre %2"),
                        {QString::number(value.quarter + 1), QString::number(value.count)});
        case NoticeValue::Rows:
            return Rows(value);
        case NoticeValue::Text:
            return value.text;
        case NoticeValue::Chain:
            return Chain(notice.chain);
        }
        return {};
    }

private:
    QString Date(PackedDate date) const { return date.FormatForLocale(m_settings.locale); }

    QString Rows(const NoticeValue &rows) const {
        const QString first = Date(rows.date);
        if (rows.count == 1)
            return Fill(QStringLiteral("la révision du %1"), {first});
        const QString last = Date(rows.last);
        if (rows.count == 2)
            return Fill(QStringLiteral("les révisions du %1 et du %2"), {first, last});
        return Fill(QStringLiteral("les %3 révisions du %1 au %2"),
                    {first, last, QString::number(rows.count)});
    }

    // "date : rent" for each row, the first twelve and then the last.
    QString Chain(const std::vector<std::pair<PackedDate, double>> &chain) const {
        constexpr std::size_t kListed = 12;
        QString text;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            if (i >= kListed && i + 1 != chain.size())
                continue;
            if (i != 0)
                text += i >= kListed ? QStringLiteral(" … ") : QStringLiteral(", ");
            text += Date(chain[i].first) + QStringLiteral(" : ") +
                    PlainMoneyText(chain[i].second, m_settings.symbol);
        }
        return text;
    }

    const ReportSettings &m_settings;
};

} // namespace

QString RevisionNotice::Text() const {
    if (!settings)
        return pattern;
    const ValueWriter writer(*settings);
    std::vector<QString> texts;
    texts.reserve(values.size());
    for (const NoticeValue &value : values)
        texts.push_back(writer.Write(value, *this));
    return Fill(pattern, texts);
}

QString RevisionNotice::Line() const {
    return title + QStringLiteral(" : ") + Text() + QStringLiteral(" (") + reference + u')';
}

std::vector<RevisionNotice> BuildRevisionNotices(const NoticeInput &input) {
    std::vector<RevisionNotice> notices;
    if (input.rows.empty() || !input.series)
        return notices;
    const NoticeFinder finder(input);
    std::shared_ptr<const ReportSettings> settings;
    for (const LegalRule &rule : LegalRules()) {
        if (!SeriesApplies(rule, *input.series))
            continue;
        RevisionNotice notice{rule.kind, rule.title, rule.reference, {}, {}, {}, {}};
        if (!finder.Find(rule, notice))
            continue;
        if (!settings)
            settings = std::make_shared<const ReportSettings>(input.settings);
        notice.settings = settings;
        if (notices.empty())
            notices.reserve(LegalRules().size());
        notices.push_back(std::move(notice));
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
