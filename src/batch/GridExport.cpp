#include "GridExport.h"

#include "app/OutputFile.h"

#include "format/Grid.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cstdio>
#include <memory>

namespace kestrio {

namespace {

constexpr int kTwipsPerCharacter = 123;
constexpr int kWidestFitColumn = 60; // characters, for a column the grid sizes to its text
constexpr lxw_color_t kHeaderFill = 0xFFC080; // RGB(255,192,128)

// Columns and rows the grid shows, in order.
QList<int> ShownColumns(const Grid& grid)
{
    QList<int> cols;
    for (int c = 0; c < grid.ColCount(); ++c)
        if (!grid.ColumnHidden(c)) cols.append(c);
    return cols;
}

// The last header row that is shown, -1 when none is: its columns give the sheet's widths.
int LastShownHeaderRow(const Grid& grid)
{
    int last = -1;
    for (int r = 0; r < grid.FixedRows() && r < grid.RowCount(); ++r)
        if (!grid.RowHidden(r)) last = r;
    return last;
}

// A column the grid sizes to its text (width 0) gets the width of its longest text, a
// CJK character counted twice.
double FitWidth(const Grid& grid, int col)
{
    int widest = 0;
    for (int r = 0; r < grid.RowCount(); ++r) {
        if (grid.RowHidden(r)) continue;
        int width = 0;
        for (QChar c : grid.Text(r, col)) width += c.unicode() >= 0x2E80 ? 2 : 1;
        widest = std::max(widest, width);
    }
    return std::min(widest + 2, kWidestFitColumn);
}

double SheetWidth(const Grid& grid, int col)
{
    const int twips = grid.ColumnWidth(col);
    return twips > 0 ? twips / kTwipsPerCharacter : FitWidth(grid, col);
}

// Excel refuses sheet names longer than 31 characters or holding []:*?/\ .
QString SheetName(const QString& title)
{
    QString name = title;
    for (QChar& c : name)
        if (QStringLiteral("[]:*?/\\").contains(c)) c = u'_';
    name = name.left(31);
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

} // namespace

std::optional<GridExport::CsvEncoding> GridExport::ParseEncoding(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("gbk")) return CsvEncoding::Gbk;
    if (n == QLatin1String("utf-8") || n == QLatin1String("utf8")) return CsvEncoding::Utf8;
    return std::nullopt;
}

QString GridExport::CsvField(const QString& text, bool withTab)
{
    QString value = withTab ? text + u'\t' : text;
    value.replace(u'"', QStringLiteral("\"\""));
    if (value.contains(u',') || value.contains(u'"') || value.contains(u'\r') || value.contains(u'\n'))
        value = u'"' + value + u'"';
    return value;
}

bool GridExport::IsCsvPath(const QString& path)
{
    return path.right(3).compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
}

bool GridExport::IsWritablePath(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) != 0;
}

QString GridExport::WrongTypeMessage(const QString& path)
{
    return QStringLiteral("不能写成“%1”：旧式 .xls 工作簿无法写入。请改用 .xlsx（Excel 工作簿）或 .csv。")
        .arg(QFileInfo(path).fileName());
}

QString GridExport::AsWorkbookQuestion(const QString& path)
{
    return QStringLiteral("旧式 .xls 工作簿无法写入，不能写成“%1”。改存为“%2”吗？")
        .arg(QFileInfo(path).fileName(), QFileInfo(path).completeBaseName() + QStringLiteral(".xlsx"));
}

bool GridExport::ExportGrid(const Grid& grid, const QString& sheetTitle)
{
    if (grid.RowCount() == 0 || grid.ColCount() == 0) {
        mPrompter.Message(EmptyGridMessage(), Prompter::Icon::Information);
        return false;
    }
    const QString path = ChooseTarget();
    return !path.isEmpty() && WriteFile(grid, path, sheetTitle);
}

QString GridExport::ChooseTarget()
{
    QString path = mPrompter.SaveFile(QStringLiteral("导出表格"), SaveFilter());
    if (path.isEmpty()) return {};
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".xlsx");
    if (!IsWritablePath(path)) {
        if (!mPrompter.Ask(AsWorkbookQuestion(path))) return {};
        const QFileInfo typed(path);
        path = typed.dir().filePath(typed.completeBaseName() + QStringLiteral(".xlsx"));
    }
    const QFileInfo target(path);
    if (!target.exists()) return path;
    if (!mPrompter.Ask(OverwriteQuestion())) return {};
    // The old file is replaced by a rename once the new one is complete, so it is never
    // deleted first; a file we could not replace is refused here.
    if (!target.isFile() || !target.isWritable() || !QFileInfo(target.absolutePath()).isWritable()) {
        mPrompter.Message(CannotOverwriteMessage(), Prompter::Icon::Warning);
        return {};
    }
    return path;
}

bool GridExport::WriteFile(const Grid& grid, const QString& path, const QString& sheetTitle, QString* error)
{
    if (!IsWritablePath(path)) {
        if (error) *error = WrongTypeMessage(path);
        mPrompter.Message(WrongTypeMessage(path), Prompter::Icon::Warning);
        return false;
    }
    const bool written =
        IsCsvPath(path) ? ExportGridCsv(grid, path, error) : ExportGridWorkbook(grid, path, sheetTitle, error);
    if (!written) mPrompter.Message(SaveFailedMessage(), Prompter::Icon::Critical);
    return written;
}

bool GridExport::ExportGridCsv(const Grid& grid, const QString& path, QString* error)
{
    OutputFile file(path);
    if (!file.Open()) {
        if (error) *error = file.Error();
        return false;
    }
    const bool utf8 = mCsvEncoding == CsvEncoding::Utf8;
    QStringEncoder encoder(utf8 ? "UTF-8" : "GB18030");
    if (utf8 && !file.Write(QByteArray("\xEF\xBB\xBF"))) {
        if (error) *error = file.Error();
        return false;
    }
    const QList<int> cols = ShownColumns(grid);
    mProgress.ShowProgress(QStringLiteral("正在导出数据至CSV格式文件……"), grid.RowCount(), 0);
    for (int r = 0; r < grid.RowCount(); ++r) {
        mProgress.StepProgress(1);
        if (grid.RowHidden(r)) continue;
        QString line;
        for (int i = 0; i < cols.size(); ++i) {
            if (i > 0) line += u',';
            line += CsvField(grid.Text(r, cols[i]), !utf8);
        }
        line += QStringLiteral("\r\n");
        if (!file.Write(encoder.encode(line))) break;
    }
    mProgress.CloseProgress();
    const bool committed = file.Commit();
    if (!committed && error) *error = file.Error();
    return committed;
}

bool GridExport::ExportGridWorkbook(const Grid& grid, const QString& path, const QString& sheetTitle,
                                    QString* error)
{
    // The workbook is written next to its target and renamed over it when complete.
    // The name carries the process, so that the next start can tell a killed run's leftover.
    QTemporaryFile temp(QFileInfo(path).absolutePath() + QStringLiteral("/.kestrio-export-") +
                        QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX.xlsx"));
    if (!temp.open()) {
        if (error) *error = temp.errorString();
        return false;
    }
    const QByteArray tempPath = QFile::encodeName(temp.fileName());
    temp.close();

    mProgress.ShowProgress(QStringLiteral("正在将数据导出到EXCEL文件 …"), std::max(grid.RowCount() - 1, 1), 0);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go out as they are written
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(tempPath.constData(), &options));
    lxw_worksheet* sheet =
        book ? workbook_add_worksheet(book.get(), SheetName(sheetTitle).toUtf8().constData()) : nullptr;
    if (!sheet) {
        mProgress.CloseProgress();
        if (error) *error = QStringLiteral("cannot start the workbook");
        return false;
    }
    lxw_format* header = workbook_add_format(book.get());
    format_set_bold(header);
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, kHeaderFill);
    format_set_border(header, LXW_BORDER_THIN);
    lxw_format* body = workbook_add_format(book.get());
    format_set_border(body, LXW_BORDER_THIN);

    const QList<int> cols = ShownColumns(grid);
    const int widthRow = LastShownHeaderRow(grid);
    for (int k = 0; k < cols.size(); ++k) {
        const double width = widthRow >= 0 ? SheetWidth(grid, cols[k]) : FitWidth(grid, cols[k]);
        worksheet_set_column(sheet, lxw_col_t(k), lxw_col_t(k), width, nullptr);
    }
    bool ok = true;
    lxw_row_t out = 0;
    for (int r = 0; r < grid.RowCount() && ok; ++r) {
        if (r > 0) mProgress.StepProgress(1);
        if (grid.RowHidden(r)) continue;
        lxw_format* format = r < grid.FixedRows() ? header : body;
        for (int k = 0; k < cols.size() && ok; ++k) {
            const QString text = grid.Text(r, cols[k]);
            const lxw_error result =
                text.isEmpty() ? worksheet_write_blank(sheet, out, lxw_col_t(k), format)
                               : worksheet_write_string(sheet, out, lxw_col_t(k), text.toUtf8().constData(), format);
            ok = result == LXW_NO_ERROR;
        }
        ++out;
    }
    mProgress.CloseProgress();
    const lxw_error closed = workbook_close(book.release());
    if (!ok || closed != LXW_NO_ERROR) {
        if (error) *error = QString::fromUtf8(lxw_strerror(closed));
        QFile::remove(temp.fileName());
        return false;
    }
    // rename() replaces the target in one step.
    if (std::rename(tempPath.constData(), QFile::encodeName(path).constData()) != 0) {
        if (error) *error = QStringLiteral("cannot replace the file");
        QFile::remove(temp.fileName());
        return false;
    }
    return true;
}

} // namespace kestrio
