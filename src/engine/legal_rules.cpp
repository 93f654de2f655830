#include "engine/legal_rules.h"

#include <vector>

namespace {

PackedDate Date(unsigned day, unsigned month, unsigned year) {
    return PackedDate::FromParts(day, month, year);
}

std::vector<LegalRule> BuildRules() {
    std::vector<LegalRule> rules;

    // Rows dated from `date` and more than `years` before today. %1 the rows,
    // %2 the rent if none of them was claimed, %3 the date of the last row,
    // %4 its revision from %2, %5 and %6 its index and the one a year before,
    // %7 the report's last rent. The other text: every row is that old.
    rules.push_back(
        {LegalRuleKind::ClaimWithinAYear,
         kIrlTable,
         Date(27, 3, 2014),
         {},
         {},
         0.0,
         {},
         1,
         QStringLiteral("Révision non réclamée dans l'année"),
         QStringLiteral("Plus d'un an s'est écoulé depuis %1 : une révision que le bailleur "
                        "n'a pas réclamée dans l'année qui suit sa date est perdue pour "
                        "l'année, et une révision réclamée ne prend effet qu'à la date de la "
                        "demande, jamais avant. Si rien n'a été réclamé, le loyer est resté "
                        "de %2 ; réclamée aujourd'hui, la révision du %3 donne %4 (%2 × %5 ÷ "
                        "%6) au lieu de %7."),
         QStringLiteral("Plus d'un an s'est écoulé depuis %1 : une révision que le bailleur "
                        "n'a pas réclamée dans l'année qui suit sa date est perdue pour "
                        "l'année, et une révision réclamée ne prend effet qu'à la date de la "
                        "demande, jamais avant. Si rien n'a été réclamé, le loyer est resté "
                        "de %2 au lieu de %7 ; seule la prochaine révision peut encore être "
                        "réclamée."),
         QStringLiteral("Loi n° 89-462 du 6 juillet 1989, art. 17-1, modifié par "
                        "la loi n° 2014-366 du 24 mars 2014, dite ALUR")});

    // Rows from the lease's first term of `years` that starts on or after
    // `date`, in `region`. %1 the date, %2 the region, %3 the signature, %4 the start of
    // that term, %5 the rows.
    const QString ratedFG = QStringLiteral(
        "Pour un logement classé F ou G au diagnostic de performance énergétique, aucune "
        "révision n'est permise dans un bail conclu, renouvelé ou tacitement reconduit depuis "
        "le %1 %2. Le bail signé le %3 commence une période de trois ans le %4 : la règle vaut "
        "alors pour %5. Elle ne s'applique que si le logement est classé F ou G.");
    const QString ratedFGReference =
        QStringLiteral("Loi n° 89-462 du 6 juillet 1989, art. 17-1, modifié par la loi "
                       "n° 2021-1104 du 22 août 2021, art. 159");
    rules.push_back({LegalRuleKind::NoRevisionRatedFG,
                     kIrlTable,
                     Date(24, 8, 2022),
                     {},
                     {},
                     0.0,
                     {},
                     3,
                     QStringLiteral("Logement classé F ou G"),
                     ratedFG,
                     QString(),
                     ratedFGReference,
                     QStringLiteral("en France métropolitaine")});
    rules.push_back({LegalRuleKind::NoRevisionRatedFG,
                     kIrlTable,
                     Date(1, 7, 2024),
                     {},
                     {},
                     0.0,
                     {},
                     3,
                     QStringLiteral("Logement classé F ou G (outre-mer)"),
                     ratedFG,
                     QString(),
                     ratedFGReference,
                     QStringLiteral("en Guadeloupe, en Martinique, en Guyane, à La Réunion et "
                                    "à Mayotte")});

    // Rows whose index is of a quarter from `first` to `last`. %1 the rows,
    // %2 and %3 the two quarters, %4 the mainland cap, %5 Corsica's, %6 the
    // overseas departments'.
    rules.push_back(
        {LegalRuleKind::RegionalIrlCap,
         kIrlTable,
         {},
         {2022, 2},
         {2024, 0},
         3.5,
         {2.0, 2.5},
         0,
         QStringLiteral("IRL plafonné de 2022 à 2024"),
         QStringLiteral("Pour %1, l'indice est celui d'un trimestre du %2 au %3, que l'INSEE "
                        "publie avec la hausse annuelle plafonnée à %4 % en métropole. En Corse "
                        "(plafond de %5 %) et dans les départements d'outre-mer (%6 %), un IRL "
                        "régional plus bas, publié par l'INSEE, s'applique à ces trimestres et "
                        "aux suivants."),
         QString(),
         QStringLiteral("Loi n° 2022-1158 du 16 août 2022, art. 12 ; loi n° 2023-568 du "
                        "7 juillet 2023")});

    // Rows whose index is of a quarter from `first` to `last` and whose
    // yearly change exceeds `rate`. %1 those rows, %2 the rate, %3 and %4 the
    // two quarters, %5 the capped rents.
    rules.push_back(
        {LegalRuleKind::SmeIlcCap,
         kIlcTable,
         {},
         {2022, 1},
         {2024, 0},
         3.5,
         {},
         0,
         QStringLiteral("Plafond de l'ILC pour les PME"),
         QStringLiteral("Pour %1, la hausse annuelle de l'ILC dépasse %2 % sur un trimestre du "
                        "%3 au %4. Pour un locataire qui est une petite ou moyenne entreprise, "
                        "elle est plafonnée à %2 %, et le plafond reste acquis aux révisions "
                        "suivantes : %5."),
         QString(),
         QStringLiteral("Loi n° 2022-1158 du 16 août 2022, art. 14 ; loi n° 2023-568 du "
                        "7 juillet 2023")});

    // Rows dated before `date`, when the index came into force. %1 the rows,
    // %2 the date.
    rules.push_back(
        {LegalRuleKind::IndexBeforeItsDecree,
         kIrlTable,
         Date(10, 2, 2008),
         {},
         {},
         0.0,
         {},
         0,
         QStringLiteral("IRL appliqué avant sa création"),
         QStringLiteral("Pour %1, avant le %2, date où l'IRL actuel s'applique, les valeurs de "
                        "l'indice sont des rétropolations de l'INSEE. Les règles d'alors se "
                        "référaient à l'IRL de 2005 ou à l'ICC : c'est la clause du bail qui "
                        "décide de l'indice applicable."),
         QString(),
         QStringLiteral("Loi n° 2008-111 du 8 février 2008, art. 9")});
    rules.push_back(
        {LegalRuleKind::IndexBeforeItsDecree,
         kIlcTable,
         Date(5, 11, 2008),
         {},
         {},
         0.0,
         {},
         0,
         QStringLiteral("ILC appliqué avant sa création"),
         QStringLiteral("Pour %1, avant le %2, date du décret qui a créé l'ILC, les valeurs de "
                        "l'indice sont des rétropolations de l'INSEE : c'est la clause du bail "
                        "qui décide de l'indice applicable."),
         QString(),
         QStringLiteral("Décret n° 2008-1139 du 4 novembre 2008")});
    rules.push_back(
        {LegalRuleKind::IndexBeforeItsDecree,
         kIlatTable,
         Date(30, 12, 2011),
         {},
         {},
         0.0,
         {},
         0,
         QStringLiteral("ILAT appliqué avant sa création"),
         QStringLiteral("Pour %1, avant le %2, date du décret qui a créé l'ILAT, les valeurs de "
                        "l'indice sont des rétropolations de l'INSEE : c'est la clause du bail "
                        "qui décide de l'indice applicable."),
         QString(),
         QStringLiteral("Décret n° 2011-2028 du 29 décembre 2011")});

    // The first row whose rent is more than `rate` away from the document's.
    // %1 its date, %2 its rent, %3 the rate, %4 the document's rent.
    rules.push_back(
        {LegalRuleKind::CommercialQuarterMove,
         kIlcTable | kIlatTable | kIccTable,
         {},
         {},
         {},
         25.0,
         {},
         0,
         QStringLiteral("Loyer variant de plus d'un quart"),
         QStringLiteral("Au %1, le loyer du calcul (%2) s'écarte de plus de %3 % du loyer de "
                        "départ (%4). Dans un bail commercial, chacune des parties peut alors "
                        "demander que le loyer soit révisé à la valeur locative."),
         QString(),
         QStringLiteral("Code de commerce, art. L145-39")});

    // A reference quarter that ends after the signature. %1 the quarter, %2
    // its last day, %3 the signature.
    rules.push_back(
        {LegalRuleKind::ReferenceUnknownAtSignature,
         kAnySeries,
         {},
         {},
         {},
         0.0,
         {},
         0,
         QStringLiteral("Trimestre de référence inconnu à la signature"),
         QStringLiteral("Le trimestre de référence, le %1, se termine le %2, après la signature "
                        "du bail le %3 : son indice ne pouvait pas être publié à cette date. "
                        "L'indice de référence est en principe le dernier publié à la "
                        "signature ; vérifiez la clause du bail."),
         QString(),
         QStringLiteral("Loi n° 89-462 du 6 juillet 1989, art. 17-1, I")});
    return rules;
}

} // namespace

std::span<const LegalRule> LegalRules() {
    static const std::vector<LegalRule> rules = BuildRules();
    return rules;
}
