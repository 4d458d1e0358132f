#include "SheetReader.h"

#include "CsvReader.h"
#include "XlsReader.h"
#include "XlsxReader.h"

#include <QFileInfo>

namespace kestrio {

namespace {
bool EndsWith(const QString& path, const char* extension)
{
    return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}
} // namespace

QString SheetReader::RefusedMessage(const QString& path, const QString& what)
{
    return QStringLiteral("无法导入“%1”：%2。").arg(QFileInfo(path).fileName(), what);
}

QString SheetReader::NoDataMessage(const QString& path)
{
    return QStringLiteral("“%1”中没有数据行，没有可导入的单据。").arg(QFileInfo(path).fileName());
}

bool SheetReader::IsCsv(const QString& path)
{
    return EndsWith(path, ".csv");
}

std::unique_ptr<SheetReader> SheetReader::ForPath(const QString& path)
{
    if (EndsWith(path, ".csv")) return std::make_unique<CsvReader>();
    if (EndsWith(path, ".xls")) return std::make_unique<XlsReader>();
    if (EndsWith(path, ".xlsx")) return std::make_unique<XlsxReader>();
    return nullptr;
}

} // namespace kestrio
