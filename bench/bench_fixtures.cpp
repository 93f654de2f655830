#include "bench_fixtures.h"

#include "document/calc_document_file.h"
#include "engine/number_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

bool ProgramFolder::Prepare(const QString &binary) {
    if (!root.isValid() || !QFileInfo::exists(binary))
        return false;
    const QDir dir(root.path());
    dir.mkpath(QStringLiteral("config/MORVA"));
    program = dir.filePath(QStringLiteral("calvor"));
    if (!QFile::copy(binary, program))
        return false;
    IndexTable indices;
    for (int p = 0; p < IndexTable::kSize; ++p)
        indices.Set(p, 100.0f + 0.5f * static_cast<float>(p));
    QFile index(dir.filePath(QStringLiteral("Indices.txt")));
    if (!index.open(QIODevice::WriteOnly) || index.write(indices.IndexFileText()) < 0)
        return false;
    QSettings(dir.filePath(QStringLiteral("config/MORVA/Calvor.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("Général/Cible"), 3);
    env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    return true;
}

bool WriteDocument(const QString &path, const CalcDocument &doc) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(DocumentBytes(doc)) >= 0;
}

LongCalculation::LongCalculation(const UserLocale &locale)
    : settings{1, QStringLiteral("\u20AC"), locale} {
    doc.signature = PackedDate::FromParts(15, 5, 1970);
    doc.firstRevision = PackedDate::FromParts(15, 5, 1971);
    doc.lastRevision = PackedDate::FromParts(15, 5, 2106);
    doc.referenceDate.MakeQuarterDate(0, 1970);
    doc.rent = 3456.78;
    for (int p = 0; p < IndexTable::kSize; ++p)
        indices.Set(p, 100.0f + 0.37f * static_cast<float>(p));
    ReadDecimalSeparator(settings.locale);
}
