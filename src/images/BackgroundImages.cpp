#include "BackgroundImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kestrio {

QString BackgroundImages::SafeName(const QString& formatName)
{
    static const QString unsafe = QStringLiteral("*?<>/\\:|\"");
    QString safe = formatName;
    for (qsizetype i = 0; i < unsafe.size(); ++i) safe.replace(unsafe[i], QChar(static_cast<char16_t>(u'0' + i)));
    return safe;
}

QString BackgroundImages::BackgroundPath(const QString& applicationFolder, const QString& formatName)
{
    return QDir(applicationFolder).filePath(SafeName(formatName) + QStringLiteral(".jpg"));
}

bool BackgroundImages::HasBackground(const QString& applicationFolder, const QString& formatName)
{
    return QFileInfo::exists(BackgroundPath(applicationFolder, formatName));
}

bool BackgroundImages::CopyBackground(const QString& fromPath, const QString& toPath)
{
    if (!QFileInfo(fromPath).isFile()) return true;
    if (QFileInfo(fromPath) == QFileInfo(toPath)) return true;
    QFile source(fromPath);
    if (!source.open(QIODevice::ReadOnly)) return false;
    // Written beside the target and renamed: a reader never sees half a picture.
    QSaveFile target(toPath);
    if (!target.open(QIODevice::WriteOnly)) return false;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return false;
        }
    }
    return target.commit();
}

} // namespace kestrio
