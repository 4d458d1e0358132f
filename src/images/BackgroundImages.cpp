#include "BackgroundImages.h"

#include "app/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    OutputFile target(toPath);
    if (!target.Open()) return false;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() || !target.Write(chunk)) return false;
    }
    return target.Commit();
}

} // namespace kestrio
