#include "UserGuide.h"

#include <QDir>
#include <QFileInfo>

namespace kestrio {

QStringList UserGuide::Candidates(const QString& programFolder)
{
    const QDir program(programFolder);
    // Installed (/usr/bin → /usr/share/kestrio/doc), then a build folder inside the source tree.
    return {QDir::cleanPath(program.filePath(QStringLiteral("../share/kestrio/doc/")) + QLatin1Char('/') + FileName()),
            QDir::cleanPath(program.filePath(QStringLiteral("docs/")) + QLatin1Char('/') + FileName()),
            QDir::cleanPath(program.filePath(QStringLiteral("../docs/")) + QLatin1Char('/') + FileName())};
}

QString UserGuide::Find(const QString& programFolder)
{
    for (const QString& path : Candidates(programFolder))
        if (QFileInfo(path).isFile()) return path;
    return {};
}

} // namespace kestrio
