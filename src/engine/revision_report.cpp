#include "engine/revision_report.h"

#include "engine/number_text.h"
#include "engine/revision_calc.h"
#include "engine/rtf_text.h"
#include "platform/cp1252.h"
#include "platform/date_picture.h"

#include <cstring>

#include <algorithm>

namespace {

constexpr char kPar[] = "\\par ";
constexpr qsizetype kParLength = sizeof kPar - 1;
constexpr char kFirstOrdinal[] = "1{\\super er}";

// Start of the document: font table (Arial), colour table, French, 10
// points, then a right-aligned paragraph for today's date.
constexpr char kOpening[] =
    "{\\rtf1\\ansi\\deff4\\deftab720{\\fonttbl{\\f0\\fswiss\\fprq2 Arial;}"
    "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\froman Arial Rounded MT Bold;}}"
    "{\\colortbl\\red0\\green0\\blue0;}\\deflang1036\\pard\\plain\\f0\\fs20\\qr ";

// Single 15-twip borders on the four sides of a cell.
constexpr char kCellBorders[] = "\\clbrdrt\\brdrw15\\brdrs\\clbrdrl\\brdrw15\\brdrs"
                                "\\clbrdrb\\brdrw15\\brdrs\\clbrdrr\\brdrw15\\brdrs";

// A table row with single 10-twip borders and a cell gap of 70 twips.
constexpr char kRowDefinition[] = "\\trowd\\trgaph70\\trbrdrt\\brdrs\\brdrw10\\trbrdrl\\brdrs"
                                  "\\brdrw10\\trbrdrb\\brdrs\\brdrw10\\trbrdrr\\brdrs\\brdrw10";

// Right edges of the three cells, in twips from the left margin.
constexpr int kCellRightEdges[3] = {1843, 3402, 4962};

// Fixed texts holding accented letters, as Windows-1252 bytes.
struct AccentedTexts {
    QByteArray referenceLabel = ToCp1252(u"{\\b Indice de référence du loyer\\~:} ");
    QByteArray startLabel = ToCp1252(u"{\\b Date de début de calcul\\~:} ");
    QByteArray tableHeadings =
        ToCp1252(u"\\prd\\intbl{\\b Date de révision\\cell Indice\\cell Loyer\\cell\\row}");
    QByteArray tabHeadings =
        ToCp1252(u"\\tx1988\\tx3124{\\b Date de révision\\tab Indice\\tab Loyer}\\par ");
};

const AccentedTexts &Accented() {
    static const AccentedTexts texts;
    return texts;
}

void AppendCellEdge(QByteArray &out, int edge) {
    out.append("\\cellx");
    out.append(QByteArray::number(edge));
}

} // namespace

void RevisionReport::Clear() {
    m_table.clear();
    m_tabs.clear();
}

void RevisionReport::Reserve(qsizetype rows) {
    // A row writes in place the longest it could be, so the room of the last
    // row goes on top of the usual rows.
    constexpr qsizetype kHeaderAndClosing = 1200;
    constexpr qsizetype kPerRow = 112;
    m_table.reserve(m_table.size() + kHeaderAndClosing + rows * kPerRow);
    m_tabs.reserve(m_tabs.size() + kHeaderAndClosing + rows * kPerRow);
}

void RevisionReport::AppendReportLine(QByteArrayView text) {
    m_table.append(text);
    m_table.append(kPar, kParLength);
    m_tabs.append(text);
    m_tabs.append(kPar, kParLength);
}

void RevisionReport::AppendSpacedParagraph(QByteArrayView text, int before, int after) {
    // Tab form: one empty paragraph for every 6 units (12 points).
    for (int i = 0; i < before / 6; ++i)
        m_tabs.append(kPar, kParLength);
    m_tabs.append(text);
    for (int i = 0; i < after / 6; ++i)
        m_tabs.append(kPar, kParLength);

    // Table form: the spacing in twips, 40 to the unit.
    if (before != 0) {
        m_table.append("\\sb");
        m_table.append(QByteArray::number(static_cast<long long>(before) * 40));
    }
    if (after != 0) {
        m_table.append("\\sa");
        m_table.append(QByteArray::number(static_cast<long long>(after) * 40));
    }
    m_table.append(text);
    if (static_cast<long long>(before) + after != 0 &&
        text.endsWith(QByteArrayView(kPar, kParLength)))
        m_table.append(kPar, kParLength);
}

void RevisionReport::AppendReportHeader(const CalcDocument &doc, double referenceValue,
                                        PackedDate today, const ReportSettings &settings) {
    const AccentedTexts &accented = Accented();
    const UserLocale &locale = settings.locale;

    QByteArray line;
    line.reserve(sizeof kOpening + 64);
    line.append(kOpening);
    AppendRtfPlainText(line, today.FormatForLocale(locale));
    AppendReportLine(line);

    line = "\\ql{\\b Date de signature du bail\\~:} ";
    line.append(LongDateText(doc.signature, locale));
    AppendReportLine(line);

    line = accented.referenceLabel;
    AppendRtfPlainText(line, FormatNumber(referenceValue, 2));
    line.append(QuarterText(doc.referenceDate));
    AppendReportLine(line);

    line = accented.startLabel;
    line.append(LongDateText(doc.firstRevision, locale));
    AppendReportLine(line);

    line = "{\\b Date de fin de calcul\\~:} ";
    line.append(LongDateText(doc.lastRevision, locale));
    AppendReportLine(line);

    line = "{\\b Montant du loyer\\~:} ";
    line.append(MoneyText(doc.rent, settings.symbol));
    line.append("\\par");
    AppendSpacedParagraph(line, 0, 6);

    if (settings.cible == 2) {
        m_table.append("\\trleft-70");
        m_tabs.append("\\trleft-70");
    }

    m_table.append(kRowDefinition);
    m_table.append(kCellBorders);
    AppendCellEdge(m_table, kCellRightEdges[0]);
    m_table.append(kCellBorders);
    m_tabs.append(kCellBorders);
    AppendCellEdge(m_table, kCellRightEdges[1]);
    m_table.append(kCellBorders);
    AppendCellEdge(m_table, kCellRightEdges[2]);
    m_table.append(accented.tableHeadings);
    m_tabs.append(accented.tabHeadings);
}

struct RevisionReport::RowWriters {
    QString pattern;
    QStringList monthNames;
    ReportNumberWriter numbers;
    CompiledDatePicture date;
    qsizetype maxTableRow = 0;

    explicit RowWriters(const ReportSettings &settings)
        : pattern(settings.locale.shortDatePattern)
        , monthNames(settings.locale.monthNames)
        , numbers(settings.symbol)
        , date(pattern, settings.locale, &RtfPlainText) {
        maxTableRow =
            kRowFixedBytes + date.MaxBytes() + numbers.MaxIndexBytes() + numbers.MaxMoneyBytes();
    }

    // The same strings as the ones the writers were made from (see
    // ReportNumberWriter::Matches).
    bool Matches(const ReportSettings &settings) const {
        const UserLocale &locale = settings.locale;
        return locale.shortDatePattern.constData() == pattern.constData() &&
               locale.shortDatePattern.size() == pattern.size() &&
               locale.monthNames.constData() == monthNames.constData() &&
               locale.monthNames.size() == monthNames.size() && numbers.Matches(settings.symbol);
    }

    // "\intbl ", twice "\cell ", "\cell\row".
    static constexpr qsizetype kRowFixedBytes = 7 + 6 + 6 + 9;
};

const RevisionReport::RowWriters &RevisionReport::WritersFor(const ReportSettings &settings) {
    if (m_writers && m_writers->Matches(settings))
        return *m_writers;
    // The last report's writers serve the next one while the settings stay
    // the same, as they do from one calculation to the next.
    thread_local std::shared_ptr<const RowWriters> last;
    if (!last || !last->Matches(settings))
        last = std::make_shared<const RowWriters>(settings);
    m_writers = last;
    return *m_writers;
}

void RevisionReport::AppendReportRow(const RevisionRow &row, const ReportSettings &settings) {
    if (!AppendRowInPlace(WritersFor(settings), row))
        AppendRowThroughGeneralTexts(row, settings);
}

// Both forms' row written straight into their buffers, grown once for the
// longest row these writers can give; false, and nothing appended, for a row
// they cannot write (a date text cut to 63 characters, a number beyond 17
// digits or without a text).
bool RevisionReport::AppendRowInPlace(const RowWriters &writers, const RevisionRow &row) {
    const qsizetype tableSize = m_table.size();
    m_table.resize(tableSize + writers.maxTableRow);
    char *const start = m_table.data() + tableSize;
    char *p = start;
    std::memcpy(p, "\\intbl ", 7);
    p += 7;
    char *const date = p;
    p = writers.date.Write(p, static_cast<int>(row.date.Day()), static_cast<int>(row.date.Month()),
                           static_cast<int>(row.date.Year()), 63);
    char *const dateEnd = p;
    if (p != nullptr) {
        std::memcpy(p, "\\cell ", 6);
        p = writers.numbers.WriteIndex(p + 6, row.index);
    }
    char *const index = dateEnd == nullptr ? nullptr : dateEnd + 6;
    char *const indexEnd = p;
    if (p != nullptr) {
        std::memcpy(p, "\\cell ", 6);
        p = writers.numbers.WriteMoney(p + 6, row.rent);
    }
    char *const money = indexEnd == nullptr ? nullptr : indexEnd + 6;
    char *const moneyEnd = p;
    if (p == nullptr) {
        m_table.resize(tableSize);
        return false;
    }
    std::memcpy(p, "\\cell\\row", 9);
    p += 9;
    m_table.resize(tableSize + (p - start));

    // The tab form takes the same three texts, copied from the table form.
    const qsizetype dateLength = dateEnd - date;
    const qsizetype indexLength = indexEnd - index;
    const qsizetype moneyLength = moneyEnd - money;
    const qsizetype tabsSize = m_tabs.size();
    m_tabs.resize(tabsSize + dateLength + indexLength + moneyLength + 5 + 5 + 6);
    const char *const pieces = m_table.constData() + tableSize; // the table may have moved
    char *q = m_tabs.data() + tabsSize;
    std::memcpy(q, pieces + (date - start), static_cast<std::size_t>(dateLength));
    q += dateLength;
    std::memcpy(q, "\\tab ", 5);
    q += 5;
    std::memcpy(q, pieces + (index - start), static_cast<std::size_t>(indexLength));
    q += indexLength;
    std::memcpy(q, "\\tab ", 5);
    q += 5;
    std::memcpy(q, pieces + (money - start), static_cast<std::size_t>(moneyLength));
    q += moneyLength;
    std::memcpy(q, "\\par\r\n", 6);
    return true;
}

void RevisionReport::AppendRowThroughGeneralTexts(const RevisionRow &row,
                                                  const ReportSettings &settings) {
    QChar index[kNumberTextCapacity];
    const qsizetype indexLength = std::max<qsizetype>(WriteNumberText(index, row.index, 2), 0);

    // Each form's row is put together on the stack and appended in one piece;
    // the tab form copies its pieces from the table form's.
    RtfBytes table;
    AppendBytes(table, "\\intbl ");
    const qsizetype dateStart = table.size();
    AppendRtfPlainText(table, row.date.FormatForLocale(settings.locale));
    const qsizetype dateEnd = table.size();
    AppendBytes(table, "\\cell ");
    const qsizetype indexStart = table.size();
    AppendRtfPlainText(table, QStringView(index, indexLength));
    const qsizetype indexEnd = table.size();
    AppendBytes(table, "\\cell ");
    const qsizetype moneyStart = table.size();
    AppendMoney(table, row.rent, settings.symbol);
    const qsizetype moneyEnd = table.size();
    AppendBytes(table, "\\cell\\row");
    m_table.append(table.constData(), table.size());

    const QByteArrayView pieces(table.constData(), table.size());
    RtfBytes tabs;
    AppendBytes(tabs, pieces.sliced(dateStart, dateEnd - dateStart));
    AppendBytes(tabs, "\\tab ");
    AppendBytes(tabs, pieces.sliced(indexStart, indexEnd - indexStart));
    AppendBytes(tabs, "\\tab ");
    AppendBytes(tabs, pieces.sliced(moneyStart, moneyEnd - moneyStart));
    AppendBytes(tabs, "\\par\r\n");
    m_tabs.append(tabs.constData(), tabs.size());
}

void RevisionReport::AppendReportClosing(int cible) {
    // Every target other than the word processor takes the clipboard closing.
    m_table.append(cible == 0 ? "\\pard\\par}}}" : "}\\par}}");
    m_tabs.append("}\\par}}");
}

QByteArray LongDateText(PackedDate date, const UserLocale &locale) {
    if (date.Day() == 1) {
        QByteArray text(kFirstOrdinal);
        AppendRtfPlainText(text, date.FormatWithPicture(u" MMMM yyyy", locale));
        return text;
    }
    return RtfPlainText(date.FormatWithPicture(u"d MMMM yyyy", locale));
}

QByteArray QuarterText(PackedDate referenceDate) {
    const unsigned quarter = referenceDate.QuarterIndex() + 1;
    QByteArray text;
    text.reserve(40);
    if (quarter == 1) {
        text.append(" (1{\\super er}");
    } else {
        text.append(" (");
        text.append(QByteArray::number(quarter));
        text.append("{\\super e}");
    }
    text.append(" trimestre ");
    text.append(QByteArray::number(referenceDate.Year()));
    text.append(')');
    return text;
}

RevisionReport BuildRevisionReport(const CalcDocument &doc, const RevisionOutcome &outcome,
                                   PackedDate today, const ReportSettings &settings) {
    RevisionReport report;
    if (outcome.Refused())
        return report;
    report.Reserve(static_cast<qsizetype>(outcome.rows.size()));
    report.AppendReportHeader(doc, outcome.referenceValue, today, settings);
    for (const RevisionRow &row : outcome.rows)
        report.AppendReportRow(row, settings);
    report.AppendReportClosing(settings.cible);
    return report;
}
