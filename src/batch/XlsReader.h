#pragma once

#include "SheetReader.h"

#include <freexl.h>

namespace kestrio {

// Old-style .xls workbooks (BIFF), read through FreeXL. A worksheet larger than 65,536 rows ×
// 256 columns or a cell FreeXL cannot read refuses the workbook; only rows with text are kept.
class XlsReader final : public SheetReader {
public:
    XlsReader() = default;
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;
    ~XlsReader() override;

    bool Open(const QString& path) override;
    QStringList SheetNames() const override { return mSheets; }
    bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) override;

private:
    // FREEXL_OK with `text` set, else FreeXL's error.
    int CellValue(unsigned int row, unsigned short col, QString& text) const;
    static QString Text(const FreeXL_CellValue& cell);

    QString mPath;

    const void* mHandle = nullptr;
    QStringList mSheets;
};

} // namespace kestrio
