#include "platform/qsettings_store.h"

#include "platform/file_io.h"
#include "platform/ini_text.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include <limits>
#include <utility>

namespace {

#ifdef Q_OS_WIN
QString Key(const QString &section, const QString &name) {
    return section.isEmpty() ? name : section + u'/' + name;
}

std::optional<int> FromLongLong(long long value) {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}
#endif

#ifndef Q_OS_WIN
// The settings file's name, in the folder QSettings uses (QSettings::setPath
// included), learnt without letting QSettings read the file (it reads it
// whole when it opens it): QSettings is asked for a name no file has.
QString SettingsFileName(const QString &organization, const QString &application) {
    const QString unused = QSettings(QSettings::NativeFormat, QSettings::UserScope, QString(),
                                     QStringLiteral(".calvor-unused-name"))
                               .fileName();
    const QString folder = QFileInfo(QFileInfo(unused).absolutePath()).absolutePath();
    return folder + u'/' + organization + u'/' + application + QStringLiteral(".conf");
}

// The settings file's text, or nothing when it is missing, unreadable or
// beyond kMaxSettingsFileBytes (then nobody's settings: every value gets its
// default, and the file is never rewritten).
std::optional<QByteArray> SettingsText(const QString &file) {
    const ReadResult read = ReadWholeFile(file, kMaxSettingsFileBytes + 1);
    if (read.status != ReadStatus::Ok || read.bytes.size() > kMaxSettingsFileBytes)
        return std::nullopt;
    return read.bytes;
}

// A stored value as plain text (ini_text.h), never decoded as anything else.
std::optional<QString> ReadPlainText(const QString &organization, const QString &application,
                                     const QString &section, const QString &name) {
    const std::optional<QByteArray> text =
        SettingsText(SettingsFileName(organization, application));
    if (!text)
        return std::nullopt;
    const std::optional<QByteArray> written = FindIniValue(*text, section, name);
    return written ? IniPlainText(*written) : std::nullopt;
}
#endif

#ifdef Q_OS_WIN
// True when `key` already holds `wanted`, so that writing it again (as the
// program does with every setting at every end) costs no registry write.
bool AlreadyStored(const QSettings &settings, const QString &key, const QVariant &wanted) {
    const QVariant have = settings.value(key);
    return have.isValid() && have.typeId() == wanted.typeId() && have == wanted;
}
#endif

// Writes one value. Outside Windows the settings file is edited by the
// program and replaced whole through a temporary file, flushed and checked at
// every step: QSettings' own writer can commit a file whose buffered tail
// could not be written (a full disk), which would lose every setting. A
// value already stored as it would be written leaves the file as it is.
void WriteValue(const QString &organization, const QString &application, const QString &section,
                const QString &name, const QVariant &value) {
#ifdef Q_OS_WIN
    QSettings settings(organization, application);
    const QString key = Key(section, name);
    if (AlreadyStored(settings, key, value))
        return;
    settings.setValue(key, value);
    settings.sync();
#else
    const QString file = SettingsFileName(organization, application);
    // A file too big to be settings is not the program's: it stays as it is.
    if (QFileInfo(file).size() > kMaxSettingsFileBytes)
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray written = value.typeId() == QMetaType::Int ? IniIntValue(value.toInt())
                                                                : IniTextValue(value.toString());
    // Failures stay silent: the previous file is kept whole.
    EditWholeFile(file, [&](const QByteArray &old) {
        if (old.size() > kMaxSettingsFileBytes)
            return old;
        return SetIniValue(old, section.isEmpty() ? QStringLiteral("General") : section, name,
                           written);
    });
#endif
}

} // namespace

QSettingsStore::QSettingsStore()
    : QSettingsStore(QStringLiteral("MORVA"), QStringLiteral("Calvor")) {}

QSettingsStore::QSettingsStore(QString organization, QString application)
    : m_organization(std::move(organization))
    , m_application(std::move(application)) {}

std::optional<int> QSettingsStore::ReadInt(const QString &section, const QString &name) {
#ifndef Q_OS_WIN
    // Every number of a text file of settings is text: a decimal number of
    // 32 bits, signed or not (an unsigned one is the signed number of its
    // bits, as a REG_DWORD).
    const std::optional<QString> text = ReadPlainText(m_organization, m_application, section, name);
    bool ok = false;
    const qlonglong n = text ? text->toLongLong(&ok, 10) : 0;
    if (!ok || n < std::numeric_limits<int>::min() ||
        n > qlonglong(std::numeric_limits<unsigned>::max()))
        return std::nullopt;
    return static_cast<int>(static_cast<unsigned>(n));
#else
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
#endif
}

std::optional<QString> QSettingsStore::ReadText(const QString &section, const QString &name) {
#ifndef Q_OS_WIN
    return ReadPlainText(m_organization, m_application, section, name);
#else
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
#endif
}

void QSettingsStore::WriteInt(const QString &section, const QString &name, int value) {
    WriteValue(m_organization, m_application, section, name, QVariant(value));
}

void QSettingsStore::WriteText(const QString &section, const QString &name, const QString &value) {
    WriteValue(m_organization, m_application, section, name, QVariant(value));
}

void QSettingsStore::WriteSection(const QString &section, const QList<SettingsValue> &values) {
#ifdef Q_OS_WIN
    for (const SettingsValue &v : values) {
        if (const int *number = std::get_if<int>(&v.value))
            WriteInt(section, v.name, *number);
        else
            WriteText(section, v.name, std::get<QString>(v.value));
    }
#else
    const QString file = SettingsFileName(m_organization, m_application);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QString group = section.isEmpty() ? QStringLiteral("General") : section;
    // Failures stay silent: the previous file is kept whole.
    EditWholeFile(file, [&](const QByteArray &old) {
        QByteArray text = old;
        for (const SettingsValue &v : values) {
            const int *number = std::get_if<int>(&v.value);
            text = SetIniValue(text, group, v.name,
                               number ? IniIntValue(*number)
                                      : IniTextValue(std::get<QString>(v.value)));
        }
        return text;
    });
#endif
}

void QSettingsStore::RemoveLeftovers() {
#ifndef Q_OS_WIN
    // The folder listed first: the file's lock is taken only when a killed
    // write left something there.
    RemoveLeftoverFiles(QStringList{SettingsFileName(m_organization, m_application)});
#endif
}
