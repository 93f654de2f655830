#include "app/command_line_options.h"

#include "app/command_line.h"
#include "engine/index_series.h"

#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

enum class OptionId {
    Help,
    Version,
    Output,
    Format,
    Csv,
    Indices,
    UpdateIndices,
    ReplaceDiffering,
};

enum class Value { None, Required, Optional };

struct KnownOption {
    OptionId id;
    char16_t shortName; // 0 when none
    const char16_t *longName;
    Value value;
    const char16_t *valueName; // as shown in the usage
    const char16_t *help;
};

// Every option, in the order of the usage text; the usage, the parser and
// the manual page's test all read this one table.
constexpr KnownOption kOptions[] = {
    {OptionId::Help, u'h', u"help", Value::None, u"", u"affiche cette aide et quitte"},
    {OptionId::Version, 0, u"version", Value::None, u"", u"affiche la version et quitte"},
    {OptionId::Output, u'o', u"output", Value::Required, u"CHEMIN",
     u"écrit le rapport dans CHEMIN au lieu de Calcul.rtf : un fichier pour un "
     u"document, un dossier pour plusieurs (DOSSIER/<document>.rtf) ; rien "
     u"n'est exporté"},
    {OptionId::Format, 0, u"format", Value::Required, u"table|tab",
     u"forme du rapport pour ce calcul, quel que soit le réglage « Cible » : table "
     u"(tableau, comme pour le traitement de texte) ou tab (lignes tabulées)"},
    {OptionId::Csv, 0, u"csv", Value::None, u"",
     u"écrit les lignes de révision en CSV sur la sortie standard (document, date, "
     u"trimestre, indice, loyer) ; rien n'est exporté, aucun rapport n'est écrit sans "
     u"--output"},
    {OptionId::Indices, 0, u"indices", Value::Required, u"FICHIER",
     u"lit les indices dans FICHIER pour ce calcul, sans jamais l'écrire ; le fichier "
     u"Indices.txt reste tel quel"},
    {OptionId::UpdateIndices, 0, u"update-indices", Value::Optional, u"[SÉRIE]",
     u"met à jour la table des indices avec les valeurs publiées par l'INSEE pour "
     u"SÉRIE (IRL, ILC, ILAT ou ICC ; sans SÉRIE, celle que la table contient)"},
    {OptionId::ReplaceDiffering, 0, u"replace-differing", Value::None, u"",
     u"avec --update-indices, remplace aussi les valeurs qui diffèrent des valeurs "
     u"publiées"},
};

QString Text(const char16_t *text) {
    return QString::fromUtf16(text);
}

QString Quoted(const QString &text) {
    return QStringLiteral("« ") + text + QStringLiteral(" »");
}

const KnownOption *FindLong(const QString &name) {
    for (const KnownOption &option : kOptions)
        if (name == Text(option.longName))
            return &option;
    return nullptr;
}

const KnownOption *FindShort(QChar name) {
    for (const KnownOption &option : kOptions)
        if (option.shortName != 0 && name == QChar(option.shortName))
            return &option;
    return nullptr;
}

bool IsOptionLike(const QString &argument) {
    return argument.size() > 1 && argument.startsWith(u'-');
}

// What the parser has seen so far; `stop` is set by --help, --version and
// the first error, which end the parse where they stand.
struct Parse {
    CommandLineChoice choice;
    bool stop = false;

    void Fail(const QString &error) {
        choice.kind = CommandLineChoice::UsageError;
        choice.error = error;
        stop = true;
    }
};

// A path given to an option, which may not be empty; `what` names it in the
// error ("un chemin").
QString NonEmptyValue(Parse &parse, const QString &value, const QString &shownName,
                      QStringView what) {
    if (value.isEmpty())
        parse.Fail(QStringLiteral("l'option %1 demande %2 non vide")
                       .arg(Quoted(shownName), what.toString()));
    return value;
}

void Apply(Parse &parse, const KnownOption &option, const QString &shownName,
           const std::optional<QString> &value) {
    CommandLineOptions &options = parse.choice.options;
    switch (option.id) {
    case OptionId::Help:
    case OptionId::Version:
        parse.choice.kind =
            option.id == OptionId::Help ? CommandLineChoice::Help : CommandLineChoice::Version;
        parse.stop = true;
        break;
    case OptionId::Output:
        options.output = NonEmptyValue(parse, *value, shownName, u"un chemin");
        break;
    case OptionId::Format:
        if (*value == u"table")
            options.form = ReportForm::Table;
        else if (*value == u"tab")
            options.form = ReportForm::Tabs;
        else
            parse.Fail(QStringLiteral("valeur %1 incorrecte pour %2 (table ou tab)")
                           .arg(Quoted(*value), Quoted(shownName)));
        break;
    case OptionId::Csv:
        options.csv = true;
        break;
    case OptionId::Indices:
        options.indicesFile = NonEmptyValue(parse, *value, shownName, u"un fichier");
        break;
    case OptionId::UpdateIndices:
        options.updateIndices = true;
        options.series = value.value_or(QString());
        break;
    case OptionId::ReplaceDiffering:
        options.replaceDiffering = true;
        break;
    }
}

void ParseLong(Parse &parse, const QStringList &args, qsizetype &i, const NameTest &isSeriesName) {
    const QString argument = args[i];
    const qsizetype equals = argument.indexOf(u'=');
    const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
    const QString shownName = QStringLiteral("--") + name;
    const KnownOption *option = FindLong(name);
    if (option == nullptr) {
        parse.Fail(QStringLiteral("option inconnue %1").arg(Quoted(shownName)));
        return;
    }
    std::optional<QString> value;
    if (equals >= 0)
        value = argument.mid(equals + 1);
    switch (option->value) {
    case Value::None:
        if (value) {
            parse.Fail(QStringLiteral("l'option %1 ne prend pas de valeur").arg(Quoted(shownName)));
            return;
        }
        break;
    case Value::Required:
        if (!value) {
            if (i + 1 >= args.size()) {
                parse.Fail(QStringLiteral("l'option %1 demande une valeur (%2)")
                               .arg(Quoted(shownName), Text(option->valueName)));
                return;
            }
            value = args[++i];
        }
        break;
    case Value::Optional:
        // The value is optional: the next argument is taken only when it
        // names a series, so a document may follow.
        if (!value && i + 1 < args.size() && isSeriesName(args[i + 1]))
            value = args[++i];
        break;
    }
    Apply(parse, *option, shownName, value);
}

void ParseShort(Parse &parse, const QStringList &args, qsizetype &i) {
    const QString argument = args[i];
    for (qsizetype j = 1; j < argument.size() && !parse.stop; ++j) {
        const QString shownName = QStringLiteral("-") + argument[j];
        const KnownOption *option = FindShort(argument[j]);
        if (option == nullptr) {
            parse.Fail(QStringLiteral("option inconnue %1").arg(Quoted(shownName)));
            return;
        }
        if (option->value != Value::Required) {
            Apply(parse, *option, shownName, std::nullopt);
            continue;
        }
        // "-oPATH" or "-o PATH".
        QString value = argument.mid(j + 1);
        if (value.isEmpty()) {
            if (i + 1 >= args.size()) {
                parse.Fail(QStringLiteral("l'option %1 demande une valeur (%2)")
                               .arg(Quoted(shownName), Text(option->valueName)));
                return;
            }
            value = args[++i];
        }
        Apply(parse, *option, shownName, value);
        return;
    }
}

// The combinations that make no sense, once every option is known.
void CheckCombination(Parse &parse) {
    const CommandLineOptions &options = parse.choice.options;
    if (options.updateIndices) {
        if (!options.documents.isEmpty() || !options.output.isEmpty() || options.csv ||
            !options.indicesFile.isEmpty() || options.form != ReportForm::AsSettings)
            parse.Fail(QStringLiteral("--update-indices ne se combine qu'avec "
                                      "--replace-differing, sans document"));
        return;
    }
    if (options.replaceDiffering)
        parse.Fail(QStringLiteral("--replace-differing ne s'emploie qu'avec --update-indices"));
    else if (options.documents.isEmpty())
        parse.Fail(QStringLiteral("aucun document à calculer"));
}

CommandLineChoice ParseOptions(const QStringList &args, const NameTest &isSeriesName) {
    Parse parse;
    parse.choice.kind = CommandLineChoice::Options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size() && !parse.stop; ++i) {
        const QString &argument = args[i];
        if (optionsEnded || !IsOptionLike(argument))
            parse.choice.options.documents.append(argument);
        else if (argument == u"--")
            optionsEnded = true;
        else if (argument.startsWith(u"--"))
            ParseLong(parse, args, i, isSeriesName);
        else
            ParseShort(parse, args, i);
    }
    if (!parse.stop)
        CheckCombination(parse);
    return parse.choice;
}

void WriteTo(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The usage's option column: "-o, --output CHEMIN" or "    --csv".
QString OptionColumn(const KnownOption &option) {
    QString column = option.shortName != 0
                         ? QStringLiteral("-") + QChar(option.shortName) + QStringLiteral(", ")
                         : QStringLiteral("    ");
    column += QStringLiteral("--") + Text(option.longName);
    if (option.value != Value::None)
        column += u' ' + Text(option.valueName);
    return column;
}

// `text` cut into lines of at most `width` characters at blanks, each
// after `indent`.
QString Wrapped(const QString &text, qsizetype width, const QString &indent) {
    QString out;
    QString line;
    // French puts a blank before these signs, one that no line break takes.
    QString joined = text;
    joined.replace(QStringLiteral(" :"), QStringLiteral("\u00A0:"));
    joined.replace(QStringLiteral(" ;"), QStringLiteral("\u00A0;"));
    for (const QString &word : joined.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            out += indent + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += indent + line + u'\n';
    return out;
}

} // namespace

CommandLineChoice ChooseCommandLine(const QStringList &arguments, const NameTest &isFile,
                                    const NameTest &isSeriesName) {
    CommandLineChoice choice;
    const QString joined = CommandLineFromArguments(arguments);
    if (joined.isEmpty())
        return choice;
    if (isFile(joined) || (arguments.size() == 2 && !IsOptionLike(arguments[1]))) {
        choice.kind = CommandLineChoice::SingleDocument;
        choice.document = joined;
        return choice;
    }
    return ParseOptions(arguments.mid(1), isSeriesName);
}

CommandLineChoice ChooseCommandLine(const QStringList &arguments) {
    return ChooseCommandLine(
        arguments, [](const QString &path) { return QFileInfo(path).isFile(); },
        [](const QString &word) { return SeriesFromShortName(word).has_value(); });
}

QString UsageText() {
    constexpr qsizetype kColumn = 29;
    QString text = QStringLiteral(
        "Usage : calvor [DOCUMENT]\n"
        "   ou : calvor [OPTION]... DOCUMENT...\n"
        "   ou : calvor --update-indices [SÉRIE] [--replace-differing]\n"
        "\n"
        "Calcule la révision annuelle du loyer de chaque DOCUMENT (calcul enregistré,\n"
        ".clv) d'après les indices de l'INSEE et écrit son rapport en Rich Text.\n"
        "Sans argument, ouvre le menu principal.\n"
        "\n"
        "Options :\n");
    for (const KnownOption &option : kOptions) {
        const QString column = QStringLiteral("  ") + OptionColumn(option);
        const QString help = Wrapped(Text(option.help), 79 - kColumn, QString(kColumn, u' '));
        if (column.size() < kColumn - 1)
            text += column.leftJustified(kColumn, u' ') + help.mid(kColumn);
        else
            text += column + u'\n' + help;
    }
    text += QStringLiteral(
        "  --                         termine les options : les arguments suivants\n"
        "                             sont des documents\n"
        "\n"
        "Avec un seul document et sans option, le rapport va dans Calcul.rtf et est\n"
        "exporté selon le réglage « Cible ». Avec plusieurs documents, chacun est\n"
        "calculé à son tour ; son rapport va à côté de lui (bail.clv donne bail.rtf)\n"
        "ou dans le dossier de --output, et rien n'est exporté. Les messages vont sur\n"
        "la sortie d'erreur, précédés du nom du document.\n"
        "\n"
        "Code de sortie : 0 si tout a réussi, 1 si un document n'a pas pu être\n"
        "calculé, 2 si la ligne de commande est incorrecte.\n");
    return text;
}

QString VersionText() {
    return QStringLiteral("calvor " CALVOR_VERSION "\n");
}

QString UsageErrorText(const QString &error) {
    return QStringLiteral("calvor : ") + error +
           QStringLiteral("\nPour en savoir plus : calvor --help\n");
}

int FinishWithoutRunning(const CommandLineChoice &choice) {
    switch (choice.kind) {
    case CommandLineChoice::Help:
        WriteTo(stdout, UsageText());
        return 0;
    case CommandLineChoice::Version:
        WriteTo(stdout, VersionText());
        return 0;
    case CommandLineChoice::UsageError:
        WriteTo(stderr, UsageErrorText(choice.error));
        return 2;
    default:
        return -1;
    }
}
