#include "app/revision_csv.h"

#include "engine/fixed_point.h"

namespace {

QByteArray TwoDecimals(double value) {
    return FormatFixed(value, 2).value_or(QByteArray());
}

QByteArray Padded(unsigned value, int width) {
    return QByteArray::number(value).rightJustified(width, '0');
}

} // namespace

QByteArray RevisionCsvHeader() {
    return QByteArrayLiteral("document,date,trimestre,indice,loyer\r\n");
}

QByteArray CsvField(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') &&
        !bytes.contains('\n'))
        return bytes;
    QByteArray quoted = bytes;
    quoted.replace('"', QByteArrayLiteral("\"\""));
    return '"' + quoted + '"';
}

QByteArray RevisionCsvRows(const QString &document, const CalcDocument &doc,
                           const std::vector<RevisionRow> &rows) {
    const QByteArray name = CsvField(document);
    const QByteArray quarter = QByteArray::number(doc.referenceDate.QuarterIndex() + 1);
    QByteArray out;
    unsigned indexYear = doc.referenceDate.Year();
    for (const RevisionRow &row : rows) {
        ++indexYear;
        out += name + ',' + Padded(row.date.Year(), 4) + '-' + Padded(row.date.Month(), 2) + '-' +
               Padded(row.date.Day(), 2) + ',' + Padded(indexYear, 4) + "-Q" + quarter + ',' +
               TwoDecimals(row.index) + ',' + TwoDecimals(row.rent) + "\r\n";
    }
    return out;
}
