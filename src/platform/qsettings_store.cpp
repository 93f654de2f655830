#include "platform/qsettings_store.h"

#include <QSettings>
#include <QVariant>

#include <limits>
#include <utility>

namespace {

QString Key(const QString &section, const QString &name) {
    return section.isEmpty() ? name : section + u'/' + name;
}

std::optional<int> FromLongLong(long long value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

// True when `key` already holds `wanted`, so that writing it again (as the
// program does with every setting at every end) costs no rewrite and no
// flush of the settings file. The registry keeps each value's type; text
// files of settings hand every value back as text.
bool AlreadyStored(const QSettings &settings, const QString &key, const QVariant &wanted) {
    const QVariant have = settings.value(key);
    if (!have.isValid())
        return false;
    if (have.typeId() == wanted.typeId())
        return have == wanted;
#ifdef Q_OS_WIN
    return false;
#else
    return have.typeId() == QMetaType::QString && have.toString() == wanted.toString();
#endif
}

void WriteValue(const QString &organization, const QString &application, const QString &key,
                const QVariant &value) {
    QSettings settings(organization, application);
    if (AlreadyStored(settings, key, value))
        return;
    settings.setValue(key, value);
    settings.sync();
}

} // namespace

QSettingsStore::QSettingsStore()
    : QSettingsStore(QStringLiteral("MORVA"), QStringLiteral("Calvor")) {}

QSettingsStore::QSettingsStore(QString organization, QString application)
    : m_organization(std::move(organization))
    , m_application(std::move(application)) {}

std::optional<int> QSettingsStore::ReadInt(const QString &section, const QString &name) {
    const QSettings settings(m_organization, m_application);
    const QVariant value = settings.value(Key(section, name));
    // Text files of settings give every number back as text; the registry
    // gives a REG_DWORD back as a number.
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt:
        return static_cast<int>(value.toUInt());
    case QMetaType::LongLong:
        return FromLongLong(value.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<int>::max()))
            return std::nullopt;
        return static_cast<int>(u);
    }
    case QMetaType::QString: {
        bool ok = false;
        const int n = value.toString().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
        return n;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> QSettingsStore::ReadText(const QString &section, const QString &name) {
    const QSettings settings(m_organization, m_application);
    const QVariant value = settings.value(Key(section, name));
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::QStringList:
        // A hand-edited text with a comma reads back as a list.
        return value.toStringList().join(QStringLiteral(", "));
    default:
        return std::nullopt;
    }
}

void QSettingsStore::WriteInt(const QString &section, const QString &name, int value) {
    WriteValue(m_organization, m_application, Key(section, name), QVariant(value));
}

void QSettingsStore::WriteText(const QString &section, const QString &name, const QString &value) {
    WriteValue(m_organization, m_application, Key(section, name), QVariant(value));
}
