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
    Entry{IDS_INSEE_NO_NETWORK,
          u"Le service de l'INSEE n'a pas pu être joint : cet ordinateur n'a pas accès au réseau."},
    Entry{IDS_INSEE_HOST_NOT_FOUND,
          u"Le service de l'INSEE n'a pas pu être joint : l'adresse %s est introuvable."},
    Entry{IDS_INSEE_CONNECTION_REFUSED,
          u"Le service de l'INSEE n'a pas pu être joint : le serveur %s refuse la connexion."},
    Entry{IDS_INSEE_TIMEOUT,
          u"Le service de l'INSEE n'a pas répondu à temps (%d secondes). Réessayez plus tard."},
    Entry{IDS_INSEE_HTTP_STATUS, u"Le service de l'INSEE a répondu par l'erreur HTTP %d."},
    Entry{IDS_INSEE_TOO_LARGE,
          u"La réponse dépasse la taille admise (%d Mo) : ce n'est pas une série de l'INSEE."},
    Entry{IDS_INSEE_ADDRESS_REFUSED,
          u"L'adresse du service de l'INSEE n'est pas admise : %s\nSeules les adresses https:// "
          u"le sont (http:// seulement vers cet ordinateur même)."},
    Entry{IDS_INSEE_REDIRECT_REFUSED,
          u"Le service de l'INSEE a renvoyé vers une adresse qui n'est pas admise : %s"},
    Entry{IDS_INSEE_FAILED, u"Le téléchargement depuis l'INSEE a échoué : %s"},
    Entry{IDS_INSEE_NOT_FORMAT,
          u"La réponse n'est pas au format des séries de l'INSEE (SDMX) : elle est refusée."},
    Entry{IDS_INSEE_WRONG_SERIES,
          u"La réponse concerne la série « %s » et non la série %s (%s) demandée : elle est "
          u"refusée."},
    Entry{IDS_INSEE_DUPLICATE_QUARTER,
          u"La réponse donne deux fois le trimestre %s : elle est refusée."},
    Entry{IDS_INSEE_NO_VALUE, u"La réponse ne contient aucune valeur utilisable : elle est "
                              u"refusée."},
    Entry{IDS_INSEE_CONFIRM_DIFFERING,
          u"Ces trimestres de votre table diffèrent des valeurs publiées par l'INSEE (%s) :\n%s\n"
          u"Oui : remplacer ces valeurs par celles de l'INSEE.\nNon : garder vos valeurs et ne "
          u"compléter que les trimestres à 0,00.\nAnnuler : ne rien changer."},
    Entry{IDS_INSEE_DONE,
          u"Série %s reçue de l'INSEE. Trimestres complétés : %d ; remplacés : %d.%s\nOK "
          u"enregistre la table, Annuler abandonne ces changements."},
    Entry{IDS_INSEE_UP_TO_DATE,
          u"Votre table contient déjà toutes les valeurs publiées par l'INSEE (%s)."},
    Entry{IDS_INSEE_UNREADABLE, u"Observations illisibles ignorées (%d) : %s"},
    Entry{IDS_INSEE_OWN_TABLE,
          u"La table des indices contient %s : précisez la série à mettre à jour (IRL, ILC, "
          u"ILAT ou ICC), ou ajoutez --replace-differing pour aligner toute la table sur la série "
          u"demandée."},
    Entry{IDS_INSEE_UNKNOWN_SERIES, u"Série inconnue : %s. Les séries connues sont IRL, ILC, "
                                    u"ILAT et ICC."},
    Entry{IDS_INSEE_KEPT_DIFFERING,
          u"Trimestres gardés bien qu'ils diffèrent des valeurs publiées : %d "
          u"(--replace-differing les remplace)."},
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
