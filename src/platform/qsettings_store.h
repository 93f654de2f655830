#pragma once

#include "platform/services.h"

#include <QString>

// The per-user settings store over QSettings: the Windows registry under
// HKEY_CURRENT_USER\Software\<organization>\<application>, elsewhere the
// user's configuration folder. Sections are QSettings groups. Every call
// opens the store afresh and writes go out at once, so two copies of the
// program see each other's last writes. Outside Windows the file, in
// QSettings' form, is read and written by the program itself: read as plain
// texts (a value QSettings would decode as another kind, "@Variant(...)"
// and the like, reads as nothing), written replaced whole and flushed (so a
// full disk leaves the previous file whole), under the file's lock, every
// other line kept as it is. A file beyond kMaxSettingsFileBytes is not
// settings: nothing is read from it and it is never rewritten. Failures
// stay silent.
constexpr qsizetype kMaxSettingsFileBytes = 64 * 1024;

class QSettingsStore final : public ISettingsStore, public ISettingsSectionWriter {
public:
    QSettingsStore(); // organization "MORVA", application "Calvor"
    QSettingsStore(QString organization, QString application);

    // A stored number, or a text holding a decimal 32-bit integer; nothing
    // for a missing value, another text, or a number beyond 32 bits (an
    // unsigned 32-bit value is taken as the signed number of its bits).
    std::optional<int> ReadInt(const QString &section, const QString &name) override;
    // A stored text, or the decimal text of a stored number; nothing for a
    // missing value or a value of another kind.
    std::optional<QString> ReadText(const QString &section, const QString &name) override;
    // Writes an `int`, which the registry keeps as a REG_DWORD.
    void WriteInt(const QString &section, const QString &name, int value) override;
    // Writes a text, which the registry keeps as a REG_SZ.
    void WriteText(const QString &section, const QString &name, const QString &value) override;
    void RemoveLeftovers() override;
    // The values in one edit of the file (outside Windows): one lock, one
    // read, one comparison; the file is left as it is when they are stored.
    void WriteSection(const QString &section, const QList<SettingsValue> &values) override;

private:
    QString m_organization;
    QString m_application;
};
