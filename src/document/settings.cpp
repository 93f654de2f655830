#include "document/settings.h"

#include "platform/services.h"

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

QString ControlesName() {
    return QStringLiteral("Contrôles");
}

} // namespace

QString SettingsSection() {
    return QStringLiteral("Général");
}

AppSettings ReadSettingsFrom(ISettingsStore &store, const QString &localeCurrencySymbol) {
    const QString section = SettingsSection();
    AppSettings settings;
    settings.cible = store.ReadInt(section, CibleName()).value_or(0);
    settings.symbole = store.ReadText(section, SymboleName()).value_or(localeCurrencySymbol);
    settings.date2000 = store.ReadInt(section, Date2000Name()).value_or(40);
    settings.controles = store.ReadInt(section, ControlesName()).value_or(1);
    return settings;
}

void WriteSettingsTo(ISettingsStore &store, const AppSettings &settings) {
    const QString section = SettingsSection();
    store.WriteInt(section, CibleName(), settings.cible);
    store.WriteText(section, SymboleName(), settings.symbole);
    store.WriteInt(section, Date2000Name(), settings.date2000);
    if (settings.controles != AppSettings().controles ||
        store.ReadInt(section, ControlesName()).has_value())
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
