#include "SheetReader.h"

#include "CsvReader.h"
#include "XlsReader.h"
#include "XlsxReader.h"

namespace kestrio {

namespace {
bool EndsWith(const QString& path, const char* extension)
{
    return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}
} // namespace

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
