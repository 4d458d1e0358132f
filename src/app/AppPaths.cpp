#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kestrio {

AppPaths AppPaths::Resolve(const QString& dataDirOption, const QString& executableFolder)
{
    QString folder;
    if (!dataDirOption.isEmpty()) {
        folder = dataDirOption;
    } else if (!IsSystemProgramFolder(executableFolder) &&
               (QFileInfo::exists(QDir(executableFolder).filePath(QStringLiteral("DATA.mdb"))) ||
                QFileInfo(executableFolder).isWritable())) {
        folder = executableFolder;
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    }
    // The bills in it are the office's business alone: a folder made here is the owner's.
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return AppPaths(QDir(folder).absolutePath());
}

bool AppPaths::IsSystemProgramFolder(const QString& folder)
{
    static const QStringList systemFolders = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"),
                                              QStringLiteral("/bin"), QStringLiteral("/usr/games"),
                                              QStringLiteral("/usr/local/games")};
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    return systemFolders.contains(canonical) || systemFolders.contains(absolute);
}

QString AppPaths::DatabasePath() const
{
    return QDir(mFolder).filePath(QStringLiteral("DATA.mdb"));
}

QString AppPaths::TempFolder() const
{
    return QDir(mFolder).filePath(QStringLiteral("Temp"));
}

void AppPaths::EnsureTempFolder() const
{
    QDir().mkpath(TempFolder());
}

} // namespace kestrio
