#pragma once

#include <QString>

#include <climits>

class ISettingsStore;
class IWindowGeometry;

// "https://bdm.insee.fr/series/sdmx/data/SERIES_BDM/"
QString DefaultInseeAddress();

// The three user choices kept between runs, in section "Général" of the
// per-user settings: "Cible" (export target: 0 word processor, 1 clipboard
// table form, 2 clipboard tab form), "Symbole" (currency symbol of the
// report) and "Date2000" (two-digit-year pivot). Stored without range checks.
struct AppSettings {
    int cible = 0;
    QString symbole;
    int date2000 = 40;
    // "Contrôles": 0 turns off the notices of the legal rules beside the
    // report, any other value keeps them.
    int controles = 1;
    // "AdresseINSEE": the address of INSEE's series service, before the
    // series identifier. Only read: the user sets it by hand.
    QString adresseInsee = DefaultInseeAddress();
};

QString SettingsSection(); // "Général"

// Reads the values; a missing or unreadable one gets its default: 0, the
// locale's currency symbol (kept whole, whatever its length), 40, and 1 for
// "Contrôles". A stored "Symbole" longer than 9 characters is refused as
// unreadable.
AppSettings ReadSettingsFrom(ISettingsStore &store, const QString &localeCurrencySymbol);

// Writes "Cible", "Symbole" and "Date2000", in this order, then
// "Contrôles" when it is not its default or was stored before (a settings
// file gains it once the user has chosen); failures are silent.
void WriteSettingsTo(ISettingsStore &store, const AppSettings &settings);

// Where the calculation data dialog was last left, for the length of a run.
struct DialogPosition {
    static constexpr int kNone = INT_MIN; // no position known yet
    int left = kNone;
    int top = 0;

    // Remembers the top-left corner of the window's frame.
    void SaveWindowPosition(const IWindowGeometry &window);
    // Moves the window's corner there, without resizing or activating it;
    // does nothing while no position is known.
    void RestoreWindowPosition(IWindowGeometry &window) const;
};
