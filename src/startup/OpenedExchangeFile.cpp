#include "OpenedExchangeFile.h"

#include <QProcessEnvironment>
#include <QUrl>

namespace kestrio {

QString OpenedExchangeFile::PathIn(const QStringList& command)
{
    if (command.size() != 1) return {};
    QString path = command.first();
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) path = QUrl(path).toLocalFile();
    return path.endsWith(QLatin1String(".zhq"), Qt::CaseInsensitive) ? path : QString();
}

bool OpenedExchangeFile::HasDisplay(const QProcessEnvironment& environment)
{
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM")).section(QLatin1Char(':'), 0, 0);
    if (!platform.isEmpty())
        return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
    return !environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
           !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

} // namespace kestrio
