#include "document/settings.h"

#include "platform/services.h"

#include <optional>

namespace {

QString CibleName() {
    return QStringLiteral("Cible");
}

QString SymboleName() {
    return QStringLiteral("Symbole");
}

QString Date2000Name() {
    return QStringLiteral("Date2000");
}

// The values the program reads, each with the longest text it takes: a
// number is a decimal 32-bit integer (the store reads it as such); a longer
// text than its limit is refused and its default taken, as for a missing
// value. A value the program does not know is never read.
struct KnownSetting {
    const char16_t *name;
    qsizetype maxLength; // characters; 0 for a number
};

const KnownSetting kKnownSettings[] = {
    {u"Cible", 0},
    // The options dialog takes 3 characters, the locale's default as many
    // as the original's buffer held.
    {u"Symbole", 9},
    {u"Date2000", 0},
    {u"AdresseINSEE", 2048},
    {u"Contrôles", 0},
};

const KnownSetting *FindKnownSetting(const QString &name) {
    for (const KnownSetting &known : kKnownSettings) {
        if (name == QStringView(known.name))
            return &known;
    }
    return nullptr;
}

std::optional<int> ReadKnownInt(ISettingsStore &store, const QString &name) {
    const KnownSetting *known = FindKnownSetting(name);
    if (known == nullptr || known->maxLength != 0)
        return std::nullopt;
    return store.ReadInt(SettingsSection(), name);
}

std::optional<QString> ReadKnownText(ISettingsStore &store, const QString &name) {
    const KnownSetting *known = FindKnownSetting(name);
    if (known == nullptr || known->maxLength == 0)
        return std::nullopt;
    std::optional<QString> text = store.ReadText(SettingsSection(), name);
    if (text && text->size() > known->maxLength)
        return std::nullopt;
    return text;
}

QString AdresseInseeName() {
    return QStringLiteral("AdresseINSEE");
}

QString ControlesName() {
    return QStringLiteral("Contrôles");
}

} // namespace

QString SettingsSection() {
    return QStringLiteral("Général");
}

QString DefaultInseeAddress() {
    return QStringLiteral("https://bdm.insee.fr/series/sdmx/data/SERIES_BDM/");
}

AppSettings ReadSettingsFrom(ISettingsStore &store, const QString &localeCurrencySymbol) {
    AppSettings settings;
    settings.cible = ReadKnownInt(store, CibleName()).value_or(0);
    settings.symbole = ReadKnownText(store, SymboleName()).value_or(localeCurrencySymbol);
    settings.date2000 = ReadKnownInt(store, Date2000Name()).value_or(40);
    settings.adresseInsee =
        ReadKnownText(store, AdresseInseeName()).value_or(DefaultInseeAddress());
    settings.controles = ReadKnownInt(store, ControlesName()).value_or(1);
    return settings;
}

void WriteSettingsTo(ISettingsStore &store, const AppSettings &settings) {
    const QString section = SettingsSection();
    // "Contrôles" is written once the user has chosen: a settings file that
    // never held it keeps its three values.
    const bool controles = settings.controles != AppSettings().controles ||
                           store.ReadInt(section, ControlesName()).has_value();
    // A store that writes a section at once gets the values in one go: the
    // end of every run writes them all.
    if (auto *writer = dynamic_cast<ISettingsSectionWriter *>(&store)) {
        QList<SettingsValue> values{{CibleName(), settings.cible},
                                    {SymboleName(), settings.symbole},
                                    {Date2000Name(), settings.date2000}};
        if (controles)
            values.append({ControlesName(), settings.controles});
        writer->WriteSection(section, values);
        return;
    }
    store.WriteInt(section, CibleName(), settings.cible);
    store.WriteText(section, SymboleName(), settings.symbole);
    store.WriteInt(section, Date2000Name(), settings.date2000);
    if (controles)
        store.WriteInt(section, ControlesName(), settings.controles);
}

void DialogPosition::SaveWindowPosition(const IWindowGeometry &window) {
    const QRect rect = window.WindowRect();
    left = rect.left();
    top = rect.top();
}

void DialogPosition::RestoreWindowPosition(IWindowGeometry &window) const {
    if (left == kNone)
        return;
    window.MoveTo(QPoint(left, top));
}
