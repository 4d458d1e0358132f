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
    mPath = path;
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        mError = CannotOpenMessage();
        return false;
    }
    const int opened = freexl_open(QFile::encodeName(path).constData(), &mHandle);
    if (opened != FREEXL_OK) {
        if (mHandle) freexl_close(mHandle);
        mHandle = nullptr;
        QFile file(path);
        const bool compound = file.open(QIODevice::ReadOnly) && file.read(8) == QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
        if (opened == FREEXL_FILE_NOT_FOUND) mError = CannotOpenMessage();
        else if (opened == FREEXL_INSUFFICIENT_MEMORY) mError = RefusedMessage(path, QStringLiteral("工作簿声明的表格过大，内存不足"));
        // A compound file FreeXL cannot read through is a damaged workbook, anything else no workbook.
        else if (compound) mError = RefusedMessage(path, QStringLiteral("工作簿已损坏，无法读取（错误号%1）").arg(-opened));
        else mError = NotWorkbookMessage();
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
    rows = SourceRows();
    const qsizetype index = mSheets.indexOf(sheet);
    if (!mHandle || index < 0) {
        mError = NoSuchSheetMessage();
        return false;
    }
    if (const int selected = freexl_select_active_worksheet(mHandle, static_cast<unsigned short>(index)); selected != FREEXL_OK) {
        mError = RefusedMessage(mPath, QStringLiteral("工作表“%1”已损坏，无法读取（错误号%2）").arg(sheet).arg(-selected));
        return false;
    }
    unsigned int rowCount = 0;
    unsigned short colCount = 0;
    const int measured = freexl_worksheet_dimensions(mHandle, &rowCount, &colCount);
    if (measured != FREEXL_OK) {
        mError = RefusedMessage(mPath, QStringLiteral("工作表的大小无法读取（错误号%1）").arg(-measured));
        return false;
    }
    if (rowCount > static_cast<unsigned int>(kXlsRows) || colCount > kXlsColumns) {
        mError = RefusedMessage(mPath, QStringLiteral("工作表声明了%1行、%2列，超过了%3行、%4列的上限")
                                           .arg(rowCount).arg(colCount).arg(kXlsRows).arg(kXlsColumns));
        return false;
    }
    const bool whole = maxRows <= 0 || rowCount <= static_cast<unsigned int>(maxRows);
    if (!whole) rowCount = maxRows;
    // Only rows holding text are stored.
    for (unsigned int r = 0; r < rowCount; ++r) {
        bool added = false;
        for (unsigned short c = 0; c < colCount; ++c) {
            QString text;
            if (const int read = CellValue(r, c, text); read != FREEXL_OK) {
                mError = RefusedMessage(mPath, QStringLiteral("工作表第%1行第%2列的单元格已损坏，无法读取（错误号%3）")
                                                   .arg(r + 1).arg(c + 1).arg(-read));
                return false;
            }
            if (text.isEmpty()) continue;
            if (!added) added = rows.AddRow(static_cast<int>(r) + 1);
            rows.AddCell(c + 1, text);
        }
    }
    // FreeXL passes over cell records it cannot make sense of: a sheet that declares cells and
    // yields none is damaged, not blank.
    if (rows.IsBlank() && rowCount > 0 && colCount > 0 && whole) {
        mError = RefusedMessage(mPath, QStringLiteral("工作表声明有%1行、%2列，却读不出任何单元格（文件可能已损坏）").arg(rowCount).arg(colCount));
        return false;
    }
    return true;
}

int XlsReader::CellValue(unsigned int row, unsigned short col, QString& text) const
{
    FreeXL_CellValue cell;
    if (const int read = freexl_get_cell_value(mHandle, row, col, &cell); read != FREEXL_OK) return read;
    text = Text(cell);
    return FREEXL_OK;
}

QString XlsReader::Text(const FreeXL_CellValue& cell)
{
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
