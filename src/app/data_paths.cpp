#include "app/data_paths.h"

#include "engine/index_table.h"
#include "platform/file_io.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A folder the program may write into: the process has the right and the
// folder carries a write permission bit (a folder without any is read-only
// for the superuser too, as a read-only attribute would be).
bool IsWritableFolder(const QString &path) {
    const QFileInfo info(path);
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isDir() && info.isWritable() && (info.permissions() & anyWrite) != 0;
}

// The user's data folder as the XDG rules give it: a relative
// XDG_DATA_HOME is ignored for ~/.local/share, so that the files never land
// under whatever the current folder happens to be.
QString AbsoluteUserDataFolder(const QString &folder) {
    if (folder.isEmpty() || QDir::isAbsolutePath(folder))
        return folder;
    QString below = folder;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!dataHome.isEmpty() && folder.startsWith(dataHome))
        below = folder.mid(dataHome.size());
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share/") + below);
}

} // namespace

QString DataPaths::IndicesPath() const {
    return QDir(folder).filePath(IndexFileName());
}

QString DataPaths::ReportPath() const {
    return QDir(folder).filePath(QStringLiteral("Calcul.rtf"));
}

QString ShippedDataFolder(const QString &executableFolder) {
    return QDir::cleanPath(QDir(QFileInfo(executableFolder).absoluteFilePath())
                               .filePath(QStringLiteral(CALVOR_SHIPPED_DATA_DIR)));
}

DataPaths ChooseDataPaths(const QString &executableFolder, const QString &givenUserFolder) {
    const QString userDataFolder = AbsoluteUserDataFolder(givenUserFolder);
    const QString besideExecutable = QFileInfo(executableFolder).absoluteFilePath();
    const QString shipped = QDir(ShippedDataFolder(executableFolder)).filePath(IndexFileName());
    const bool installed = QFileInfo(shipped).isFile();
    if (userDataFolder.isEmpty() || (!installed && IsWritableFolder(besideExecutable)))
        return DataPaths{QDir::cleanPath(besideExecutable), QString()};
    return DataPaths{QDir::cleanPath(QFileInfo(userDataFolder).absoluteFilePath()),
                     installed ? shipped : QString()};
}

void PrepareDataFolder(const DataPaths &paths) {
    if (!QDir().mkpath(paths.folder) || paths.shippedIndices.isEmpty() ||
        PathExists(paths.IndicesPath()))
        return;
    const ReadResult shipped = ReadWholeFile(paths.shippedIndices);
    if (shipped.status == ReadStatus::Ok)
        WriteWholeFile(paths.IndicesPath(), shipped.bytes);
}
