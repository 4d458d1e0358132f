#include "AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kestrio {

AppPaths AppPaths::Resolve(const QString& dataDirOption, const QString& executableFolder)
{
    QString folder;
    if (!dataDirOption.isEmpty()) {
        folder = dataDirOption;
    } else if (QFileInfo::exists(QDir(executableFolder).filePath(QStringLiteral("DATA.mdb"))) ||
               QFileInfo(executableFolder).isWritable()) {
        folder = executableFolder;
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    }
    QDir().mkpath(folder);
    return AppPaths(QDir(folder).absolutePath());
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
