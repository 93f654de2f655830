#include "platform/string_table.h"

#include <array>

namespace {

struct Entry {
    unsigned id;
    const char16_t *text;
};

constexpr std::array kEntries{
    Entry{IDS_INDEX_FILE_HEADER, u"; Les indices doivent être entrés dans l'ordre chronologique "
                                 u"à partir de 1970\r\n\r\n"},
    Entry{IDS_QUIT_QUESTION, u"Voulez-vous vraiment quitter Calvor ?"},
    Entry{IDS_INDEX_FILE_ERROR,
          u"Le fichier contenant les indices de l'INSEE n'a pas été trouvé ou son format est "
          u"erroné. Le fichier va être effacé, et des taux nuls seront utilisés."},
    Entry{IDS_REPORT_FILE_ERROR,
          u"Le fichier temporaire stockant le résultat du calcul n'est pas accessible. Vérifiez "
          u"s'il n'est pas déjà ouvert dans Word, et fermez-le si c'est le cas."},
    Entry{IDS_OPEN_FAILED, u"Le fichier n'a pas pu être ouvert."},
    Entry{IDS_NOT_A_DOCUMENT, u"Le fichier est endommagé ou n'est pas une calvor."},
    Entry{IDS_SAVE_FAILED, u"Le fichier n'a pas pu être enregistré."},
    Entry{IDS_BAD_DATE, u"La date %s est incorrecte.\nVérifiez que son jour, son mois et son "
                        u"année sont valides.\nAttention, son année doit être comprise entre %d "
                        u"et %d inclus."},
    Entry{IDS_INDEX_FILE_TOO_LARGE,
          u"Le fichier %1 dépasse 1 Mo : seuls les indices de son premier mégaoctet sont "
          u"utilisés, et le fichier est laissé tel quel."},
    Entry{IDS_INDEX_FILE_NOT_REWRITTEN,
          u"Le fichier %1 n'a pas pu être remis en forme (il est en lecture seule ou "
          u"inaccessible). Ses indices sont utilisés, et le fichier est laissé tel quel."},
    Entry{IDS_INDEX_BACKUP_NOT_KEPT,
          u"L'ancien contenu de %1 n'a pas pu être conservé dans %2 (ce nom est pris par un "
          u"dossier, un fichier en lecture seule ou spécial, ou son écriture a échoué). Les "
          u"indices ont bien été enregistrés dans %1."},
    Entry{IDS_REPORT_LOCK_UNREADABLE,
          u"Le fichier %1 semble ouvert dans un traitement de texte : son fichier de "
          u"verrouillage %2 existe mais ne peut pas être lu. Fermez le document ; si aucun "
          u"traitement de texte ne l'a ouvert, supprimez ce fichier de verrouillage."},
    Entry{IDS_INDEX_FILE_NOT_SAVED,
          u"Le fichier %1 n'a pas pu être enregistré (il est en lecture seule ou inaccessible) "
          u"et garde son contenu. Les indices saisis restent utilisés jusqu'à la fermeture de "
          u"Calvor."},
    Entry{IDS_REPORT_CLASH, u"Le rapport %s remplacerait un document ou le rapport d'un autre "
                            u"document de ce calcul : ce document n'est pas calculé."},
    Entry{IDS_RUN_INDEX_FILE_UNREADABLE,
          u"Le fichier d'indices %s n'a pas pu être lu : aucun document n'est calculé."},
    Entry{IDS_OUTPUT_NOT_A_FOLDER, u"%s n'est pas un dossier : avec plusieurs documents, "
                                   u"--output nomme le dossier des rapports."},
    Entry{IDS_OUTPUT_FOLDER_FAILED, u"Le dossier %s n'a pas pu être créé."},
    Entry{IDS_AMOUNT_NOT_A_NUMBER,
          u"Le montant tapé n'est pas un nombre. Tapez-le en chiffres, avec "
          u"au plus un séparateur décimal, par exemple %s."},
    Entry{IDS_INDEX_NOT_A_NUMBER,
          u"L'indice tapé n'est pas un nombre. Tapez-le en chiffres, avec au "
          u"plus un séparateur décimal, par exemple %s. L'ancienne valeur "
          u"est gardée."},
    Entry{IDS_INDEX_TOO_LARGE, u"Un indice ne peut pas dépasser %s. L'ancienne valeur est gardée."},
    Entry{IDS_NO_REFERENCE_INDEX, u"Vous devez entrer l'indice de départ."},
    Entry{IDS_NO_RENT, u"Vous devez entrer le montant du loyer."},
    Entry{IDS_START_AFTER_END,
          u"La date de début de calcul doit être avant la date de fin de calcul."},
    Entry{IDS_ZERO_INDEX, u"Arrêt du calcul: l'indice est nul pour l'année %d."},
    Entry{IDS_START_IN_FIRST_QUARTER_1970,
          u"La date de début de calcul est invalide:\nelle est située dans le premier trimestre "
          u"de l'année 1970."},
    Entry{IDS_APP_TITLE, u"Calvor"},
    Entry{IDS_UNNAMED_FILE, u"un fichier non nommé"},
    Entry{IDS_PARSE_INT_RANGE, u"Tapez un nombre entier compris entre %1 et %2."},
    Entry{IDS_PARSE_STRING_SIZE, u"Tapez %1 caractères au maximum."},
    Entry{IDS_PARSE_UINT, u"Veuillez entrer un entier positif."},
    Entry{IDS_DISK_FULL, u"Disque plein lors de l'accès à %1."},
    Entry{IDS_END_OF_FILE, u"Tentative d'accès à %1 après sa fin."},
};

} // namespace

QString LoadString(unsigned id) {
    for (const Entry &e : kEntries) {
        if (e.id == id)
            return QString::fromUtf16(e.text);
    }
    return {};
}

QString DateInvalidText() {
    return QStringLiteral("Date invalide");
}
