#include "support/worked_example.h"

#include <QString>

namespace {

QByteArray Opening() {
    return R"({\rtf1\ansi\deff4\deftab720{\fonttbl{\f0\fswiss\fprq2 Arial;})"
           R"({\f1\froman\fcharset2 Symbol;}{\f2\froman Arial Rounded MT Bold;}})"
           R"({\colortbl\red0\green0\blue0;}\deflang1036\pard\plain\f0\fs20\qr )";
}

QByteArray RowDefinition() {
    return R"(\trowd\trgaph70\trbrdrt\brdrs\brdrw10\trbrdrl\brdrs\brdrw10)"
           R"(\trbrdrb\brdrs\brdrw10\trbrdrr\brdrs\brdrw10)";
}

// The opening and the header lines both forms share.
QByteArray Header() {
    return Opening() + R"(07/12/2026\par )" +
           R"(\ql{\b Date de signature du bail\~:} 1{\super er} juillet 1998\par )" +
           Cp1252Bytes(
               R"({\b Indice de référence du loyer\~:} 1000,00 (2{\super e} trimestre 1998)\par )") +
           Cp1252Bytes(R"({\b Date de début de calcul\~:} 1{\super er} juillet 1999\par )") +
           R"({\b Date de fin de calcul\~:} 1{\super er} juillet 2000\par )";
}

} // namespace

QByteArray Cp1252Bytes(const char *utf8) {
    return QString::fromUtf8(utf8).toLatin1();
}

CalcDocument WorkedExampleDocument() {
    CalcDocument doc;
    doc.signature = PackedDate::FromParts(1, 7, 1998);
    doc.firstRevision = PackedDate::FromParts(1, 7, 1999);
    doc.lastRevision = PackedDate::FromParts(1, 7, 2000);
    doc.referenceDate.MakeQuarterDate(1, 1998);
    doc.rent = 3500.0;
    return doc;
}

IndexTable WorkedExampleIndices() {
    IndexTable indices;
    indices.Set(IndexTable::PositionOf(1998, 1), 1000.0f);
    indices.Set(IndexTable::PositionOf(1999, 1), 1020.0f);
    indices.Set(IndexTable::PositionOf(2000, 1), 1050.0f);
    return indices;
}

QByteArray WorkedExampleTableForm() {
    const QByteArray borders = ReportCellBorders();
    return Header() + R"(\sa240{\b Montant du loyer\~:} 3 500,00\~F\par)" + RowDefinition() +
           borders + R"(\cellx1843)" + borders + R"(\cellx3402)" + borders + R"(\cellx4962)" +
           Cp1252Bytes(R"(\prd\intbl{\b Date de révision\cell Indice\cell Loyer\cell\row})") +
           R"(\intbl 01/07/1999\cell 1020,00\cell 3 570,00\~F\cell\row)" +
           R"(\intbl 01/07/2000\cell 1050,00\cell 3 675,00\~F\cell\row)" + R"(}\par}})";
}

QByteArray WorkedExampleTabForm() {
    return Header() + R"({\b Montant du loyer\~:} 3 500,00\~F\par\par )" + ReportCellBorders() +
           Cp1252Bytes(R"(\tx1988\tx3124{\b Date de révision\tab Indice\tab Loyer}\par )") +
           R"(01/07/1999\tab 1020,00\tab 3 570,00\~F\par)" + "\r\n" +
           R"(01/07/2000\tab 1050,00\tab 3 675,00\~F\par)" + "\r\n" + R"(}\par}})";
}

QByteArray ReportCellBorders() {
    return R"(\clbrdrt\brdrw15\brdrs\clbrdrl\brdrw15\brdrs\clbrdrb\brdrw15\brdrs\clbrdrr\brdrw15\brdrs)";
}
