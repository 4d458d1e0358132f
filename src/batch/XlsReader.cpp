#include "XlsReader.h"

#include "CellText.h"

#include <QFile>
#include <QFileInfo>

#include <freexl.h>

namespace kestrio {

XlsReader::~XlsReader()
{
    if (mHandle) freexl_close(mHandle);
}

bool XlsReader::Open(const QString& path)
{
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        mError = CannotOpenMessage();
        return false;
    }
    const int opened = freexl_open(QFile::encodeName(path).constData(), &mHandle);
    if (opened != FREEXL_OK) {
        if (mHandle) freexl_close(mHandle);
        mHandle = nullptr;
        mError = opened == FREEXL_FILE_NOT_FOUND ? CannotOpenMessage() : NotWorkbookMessage();
        return false;
    }
    unsigned int count = 0;
    freexl_get_info(mHandle, FREEXL_BIFF_SHEET_COUNT, &count);
    for (unsigned short i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(mHandle, i, &name) == FREEXL_OK && name) mSheets << QString::fromUtf8(name);
    }
    return true;
}

bool XlsReader::ReadRows(const QString& sheet, int maxRows, SourceRows& rows)
{
    rows.rows.clear();
    const qsizetype index = mSheets.indexOf(sheet);
    if (!mHandle || index < 0 || freexl_select_active_worksheet(mHandle, static_cast<unsigned short>(index)) != FREEXL_OK) {
        mError = NoSuchSheetMessage();
        return false;
    }
    unsigned int rowCount = 0;
    unsigned short colCount = 0;
    const int measured = freexl_worksheet_dimensions(mHandle, &rowCount, &colCount);
    if (measured != FREEXL_OK) {
        mError = UnknownErrorMessage(-measured);
        return false;
    }
    if (maxRows > 0 && rowCount > static_cast<unsigned int>(maxRows)) rowCount = maxRows;
    rows.rows.reserve(rowCount);
    for (unsigned int r = 0; r < rowCount; ++r) {
        QStringList cells;
        cells.reserve(colCount);
        for (unsigned short c = 0; c < colCount; ++c) cells << CellValue(r, c);
        while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        rows.rows.append(cells);
    }
    return true;
}

QString XlsReader::CellValue(unsigned int row, unsigned short col) const
{
    FreeXL_CellValue cell;
    if (freexl_get_cell_value(mHandle, row, col, &cell) != FREEXL_OK) return {};
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return CellText::Number(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
    case FREEXL_CELL_DATETIME:
        return CellText::DateTime(cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString());
    default:
        return {};
    }
}

} // namespace kestrio
