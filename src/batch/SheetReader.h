#pragma once

#include "SourceRows.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace kestrio {

// Where batch rows come from: a CSV file or a worksheet of a workbook. The mapping, the
// preview and the command line only see sheet names and rows of text cells.
class SheetReader {
public:
    virtual ~SheetReader() = default;

    // The reader for `path` by its extension in any case (.csv, .xls, .xlsx); null for any
    // other kind of file.
    static std::unique_ptr<SheetReader> ForPath(const QString& path);
    // Whether the path is read without choosing a worksheet.
    static bool IsCsv(const QString& path);

    // Opens the file; false with Error() set when it cannot be read.
    virtual bool Open(const QString& path) = 0;
    // The worksheet names in workbook order (a CSV file has none).
    virtual QStringList SheetNames() const = 0;
    // At most `maxRows` rows (0 = all) of worksheet `sheet` (ignored for CSV); false with
    // Error() set when the sheet cannot be read.
    virtual bool ReadRows(const QString& sheet, int maxRows, SourceRows& rows) = 0;

    // The message for the user after a failure.
    QString Error() const { return mError; }
    // Something the user should know although the rows were read.
    QString Warning() const { return mWarning; }

    static QString UnsupportedMessage() { return QStringLiteral("您选择的文件格式不支持导入，请选择CSV或XLS文件！"); }
    static QString CannotOpenMessage() { return QStringLiteral("无法打开Excel文件，请检查后重新输入文件名及路径！"); }
    static QString NoSuchSheetMessage() { return QStringLiteral("输入表格名称有误，无法打开表格，请重新输入！"); }
    static QString NotWorkbookMessage() { return QStringLiteral("文件类型不对，请选择Excel文档！"); }
    static QString UnknownErrorMessage(int number)
    {
        return QStringLiteral("未知错误，错误号： %1　请检查输入值！").arg(number);
    }
    static QString CsvErrorMessage() { return QStringLiteral("CSV文件导入错误！"); }
    // A file refused for what it holds: its name, then what is wrong with it.
    static QString RefusedMessage(const QString& path, const QString& what);
    static QString NoDataMessage(const QString& path);

    // The most rows and columns a worksheet can have.
    static constexpr int kXlsxRows = 1048576;
    static constexpr int kXlsxColumns = 16384;
    static constexpr int kXlsRows = 65536;
    static constexpr int kXlsColumns = 256;

protected:
    QString mError;
    QString mWarning;
};

} // namespace kestrio
