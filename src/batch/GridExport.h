#pragma once

#include <optional>

#include <QString>

namespace kestrio {

class Grid;
class Progress;
class Prompter;

// Writes what a grid shows — header rows included, hidden rows and columns left out — as a
// comma-separated file or as an .xlsx workbook. Both are written under a temporary name and
// renamed into place, so a failed export never leaves half a file under the user's name.
class GridExport {
public:
    GridExport(Prompter& prompter, Progress& progress) : mPrompter(prompter), mProgress(progress) {}

    // How CSV is written: GB18030 with a TAB after every value (so that digit strings stay
    // text in a spreadsheet of this market), or UTF-8 with a byte-order mark and no TAB, which
    // opens right on a machine whose code page is not GBK.
    enum class CsvEncoding { Gbk, Utf8 };
    void SetCsvEncoding(CsvEncoding encoding) { mCsvEncoding = encoding; }
    // "gbk" or "utf-8" (any case) as the command line names them.
    static std::optional<CsvEncoding> ParseEncoding(const QString& name);

    // The export command: "表格中没有数据！" for an empty grid, the save dialog, the overwrite
    // question, then the file by its extension ("csv" in any case: CSV, anything else: a
    // workbook; a name without extension gets ".xlsx"). False when nothing was written.
    bool ExportGrid(const Grid& grid, const QString& sheetTitle);

    // Writes the file by the path's extension without asking anything; failures show
    // "文件保存出错！" and return false.
    bool WriteFile(const Grid& grid, const QString& path, const QString& sheetTitle, QString* error = nullptr);

    // GB18030, CR LF. Every value gets a TAB appended (so spreadsheet programs keep long digit
    // strings as text); a value holding a comma, a double quote or a line break is quoted
    // with its double quotes doubled.
    bool ExportGridCsv(const Grid& grid, const QString& path, QString* error = nullptr);
    // Text cells (which keep long digit strings as text without the TAB), the sheet title, the
    // column widths of the grid (twips ÷ 123 characters), header rows bold on RGB(255,192,128)
    // and thin borders round every written cell.
    bool ExportGridWorkbook(const Grid& grid, const QString& path, const QString& sheetTitle,
                            QString* error = nullptr);

    // One CSV field as written: text + TAB, quoted when needed.
    static QString CsvField(const QString& text, bool withTab = true);
    // Whether `path` is written as CSV: its last three characters are "csv" in any case.
    static bool IsCsvPath(const QString& path);

    static QString HistorySheetTitle() { return QStringLiteral("Kestrio支票打印历史数据"); }
    static QString StatisticsSheetTitle() { return QStringLiteral("Kestrio支票统计数据"); }
    static QString EmptyGridMessage() { return QStringLiteral("表格中没有数据！"); }
    static QString OverwriteQuestion() { return QStringLiteral("该文件已存在，是否覆盖？"); }
    static QString CannotOverwriteMessage() { return QStringLiteral("该文件无法覆盖，请确认该文件没被其他软件打开！"); }
    static QString SaveFailedMessage() { return QStringLiteral("文件保存出错！"); }
    // Anything but CSV is written as an .xlsx workbook; under an .xls name that would be a
    // file the spreadsheet program warns about, so that name is refused.
    static bool IsWritablePath(const QString& path);
    static QString WrongTypeMessage(const QString& path);
    static QString AsWorkbookQuestion(const QString& path);
    static QString SaveFilter() { return QStringLiteral("CSV (逗号分隔)(*.csv);;Excel 工作簿(*.xlsx)"); }

private:
    QString ChooseTarget();

    CsvEncoding mCsvEncoding = CsvEncoding::Gbk;
    Prompter& mPrompter;
    Progress& mProgress;
};

} // namespace kestrio
