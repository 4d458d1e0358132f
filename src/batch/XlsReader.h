#pragma once

#include "SheetReader.h"

namespace kestrio {

// Old-style .xls workbooks (BIFF), read through FreeXL.
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
    QString CellValue(unsigned int row, unsigned short col) const;

    const void* mHandle = nullptr;
    QStringList mSheets;
};

} // namespace kestrio
