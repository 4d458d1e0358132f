#include "CommandLine.h"
#include "EditFormatCommand.h"

#include "app/AppContext.h"
#include "app/OutputFile.h"
#include "startup/StartupSequence.h"
#include "convert/AmountInput.h"
#include "convert/BoxConverter.h"
#include "convert/CapitalAmount.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/EntryKit.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "images/BackgroundCommands.h"
#include "print/BillPrinter.h"
#include "print/CanvasPicture.h"
#include "print/PainterSurface.h"
#include "print/PdfTextRepair.h"
#include "startup/BackupCommands.h"
#include "startup/BatchCommands.h"
#include "startup/CommandOptions.h"
#include "startup/FormatCommands.h"
#include "startup/WebCommands.h"
#include "startup/OpenedExchangeFile.h"
#include "startup/PasswordGate.h"
#include "startup/StatsCommands.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"
#include "print/BillGate.h"

#include <optional>

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QRegularExpression>
#include <QSaveFile>

#include <optional>

namespace kestrio {

namespace {

// One value on one line: tabs and line breaks inside it would break the columns.
QString CellText(const QString& text)
{
    QString cell = text;
    cell.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    cell.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    cell.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    cell.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return cell;
}

// The value after `option` ("--format NAME"); `present` tells whether the option was given.
QString OptionValue(const QStringList& arguments, const QString& option, bool* present = nullptr)
{
    const qsizetype at = arguments.indexOf(option);
    if (present) *present = at >= 0;
    return at >= 0 ? arguments.value(at + 1) : QString();
}

void PrintGrid(const Grid& grid, int firstRow, QTextStream& out)
{
    for (int row = firstRow; row < grid.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.ColCount(); ++col) cells << CellText(grid.Text(row, col));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
}

// Statements that would change the file's key or reach other files: the first locks the
// program out of its own data, the second writes where nobody looks.
bool ChangesKeyOrFiles(const QString& sql)
{
    static const QRegularExpression refused(
        QStringLiteral("\\b(ATTACH|DETACH)\\b|\\bPRAGMA\\s+(\\w+\\s*\\.\\s*)?(re)?(hex)?(re)?key\\b|\\bPRAGMA\\s+(\\w+\\s*\\.\\s*)?cipher|"
                       "\\bVACUUM\\s+(\\w+\\s+)?INTO\\b|\\bsqlcipher_export\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return refused.match(sql).hasMatch();
}

bool ReturnsRows(const QString& sql)
{
    static const QRegularExpression query(QStringLiteral("^\\s*(SELECT|PRAGMA|EXPLAIN)\\b"), QRegularExpression::CaseInsensitiveOption);
    return query.match(sql).hasMatch();
}

} // namespace

QString CommandLine::WriteFailedText(const QString& path)
{
    return OutputFile::FailureText(path);
}

QString CommandLine::Usage()
{
    return QStringLiteral("用法：kestrio [--data-dir 目录] [命令]\n"
                          "  不带命令：打开主窗口\n"
                          "  sql \"<SQL语句>\"：执行一条语句；查询输出表头和各行（以制表符分隔）\n"
                          "  formats：列出所有格式名称，每行一个\n"
                          "  show-format 格式名称：以制表符分隔输出该格式的输入框列表（含表头）\n"
                          "  show-format 格式名称 --png 文件.png [--dpi 150] [--no-background] [--no-frames]\n"
                          "        [--set 标签=内容]...：把设计画布按纸张的每英寸点数画成图片：背景图、输入框边框和标签，\n"
                          "       框内内容按打印的样子；--set 像 print 一样填写；--no-background 不画背景图，\n"
                          "       --no-frames 只画打印出来的内容\n"
                          "  edit-format 格式名称 --set-box 标签 键=值... [--set-box ...]：修改输入框属性并保存，再输出输入框列表；\n"
                          "       键：label x y w h spacing line-spacing align(left|right|centre) font size bold italic\n"
                          "       underline strike colour label-position(上方|左边|右边|下方) type(三位代码) cells\n"
                          "       same-as related-to add-to multiply-to negate\n"
                          "  history --format 格式名称 [--limit 张数]：以制表符分隔输出历史记录（最新的在前，最多“张数”张单据）\n"
                          "  fill --format 格式名称 [--set 标签=内容]... [--store [--allow-empty]]：填写一张单据并输出各输入框内容；\n"
                          "       --store 把单据存入历史记录（与打印前同样检查；大写金额为空、为零或为负数、\n"
                          "       日期为空的单据须加 --allow-empty）\n"
                          "  print --format 格式名称 [--set 标签=内容]... [--record 记录号] [--store]\n"
                          "        (--pdf 文件.pdf | --png 文件.png [--dpi 300])：按打印的样子输出一张单据\n"
                          "       （含格式的打印偏移和选项）；--record 取历史记录，--store 打印后存入历史记录；\n"
                          "       文字超出输入框底边时不输出，加 --allow-overflow 仍然输出；\n"
                          "       大写金额为空、为零或为负数、日期为空时不输出，加 --allow-empty 仍然输出\n"
                          "  convert 类型代码 [文本]：输出文本框离开时转换后的文本（金额框不接受的文本报错）；不给文本时逐行读标准输入\n"
                          "  capital-to-number 类型代码 [文本]：把大写金额读回数字；不给文本时逐行读标准输入\n"
                          "  export-format 格式名 文件[.zhq] [--force]：导出格式（连同同名.jpg底图）；文件已存在时须加 --force\n"
                          "  import-format 文件.zhq [--as 格式名]：导入格式，默认以文件名为格式名；格式名已存在时出错\n"
                          "  set-parameter 参数名 值：设置一个参数，例如 set-parameter 网站地址 http://192.168.1.10:8080\n"
                          "  catalogue [--update]：列出格式目录（--update 先从网站地址重新取得）\n"
                          "  catalogue --download 格式名称 [--as 新格式名]：下载并导入格式目录中的一个格式\n"
                          "       （--update 和 --download 可加 --time-limit 秒数，超时即放弃；默认列表30秒，下载180秒）\n"
                          "  check-update [--time-limit 秒数]：输出本机版本和网站上的最新版本（默认30秒后放弃）\n"
                          "  catalogue-server --dir 目录 [--port 8080] [--bind 地址]：把目录中的格式（.zhq 和同名 .jpg，\n"
                          "       子文件夹为类别，version.txt 为最新版本）作为格式目录提供给其他电脑；\n"
                          "       [--max-connections 200] [--max-per-address 32] [--idle-seconds 30] 限制连接\n"
                          "  publish-format 格式名 目录 [--category 类别]：把格式导出到这样的目录中\n"
                          "  文件.zhq：导入该格式文件；能显示窗口时在主窗口中导入（询问格式名和是否立即调用），\n"
                          "       否则同 import-format\n"
                          "  backup [文件]：备份数据库（不给文件时存入数据库旁的 Backup 文件夹）\n"
                          "  restore 备份文件：用备份文件恢复数据库，原文件保存在 Backup 文件夹（须先关闭程序）\n"
                          "  batch --format 格式名称 --source 文件(.csv/.xls/.xlsx) [--sheet 工作表] [--map 标签=列号]...\n"
                          "        [--start 行号] [--end 行号] [--per-bill 条数] (--pdf 文件.pdf | --print [打印机])\n"
                          "        [--store] [--allow-overflow] [--allow-empty] [--skip-refused]：按导入数据映射把每行数据填成单据\n"
                          "       （--map 的列号是列字母，如 收款人=A；多列用逗号隔开，如 地址=D,E），\n"
                          "       全部作为一个打印任务输出；不给 --map 时用格式保存的映射；不给 --start 时从第2行开始\n"
                          "       （第1行是表头），不给 --end 时到最后一行；打印前检查每一张单据，有不能打印的单据时\n"
                          "       列出其行号、输入框和原因，什么也不输出，加 --skip-refused 只打印其余的单据\n"
                          "  export-history --format 格式名称 文件.csv|文件.xlsx [--all] [--encoding gbk|utf-8]：导出历史记录表格\n"
                          "       （--all 导出全部；CSV 默认为 GBK、每个值后加制表符，utf-8 为带 BOM 的 UTF-8、不加制表符）\n") +
           StatsCommands::Usage() + QStringLiteral("  --today YYYY-MM-DD：以该日期作为今天（日期类型用）\n"
                                                    "  --password-file 文件：设置了软件密码时，从文件的第一行读取密码（否则在终端输入）\n") +
           EditFormatCommand::Usage();
}

int CommandLine::Run(AppContext& app, const QStringList& given, QTextStream& out, QTextStream& err)
{
    QStringList arguments = given;
    if (const int refused = PasswordGate::Check(app, arguments, err)) return refused;
    const QString command = arguments.value(0);
    if (command == QLatin1String("sql")) return Sql(app, arguments.mid(1), out, err);
    if (command == QLatin1String("formats")) return Formats(app, out);
    if (command == QLatin1String("history")) return History(app, arguments.mid(1), out, err);
    if (command == QLatin1String("fill")) return Fill(app, arguments.mid(1), out, err);
    if (command == QLatin1String("print")) return Print(app, arguments.mid(1), out, err);
    if (command == QLatin1String("show-format")) return ShowFormat(app, arguments.mid(1), out, err);
    if (command == QLatin1String("convert")) return Convert(app, arguments.mid(1), false, out, err);
    if (command == QLatin1String("capital-to-number")) return Convert(app, arguments.mid(1), true, out, err);
    if (command == QLatin1String("export-format")) return FormatCommands::ExportFormat(app, arguments.mid(1), out, err);
    if (command == QLatin1String("import-format")) return FormatCommands::ImportFormat(app, arguments.mid(1), out, err);
    if (command == QLatin1String("set-parameter")) return WebCommands::SetParameter(app, arguments.mid(1), out, err);
    if (command == QLatin1String("catalogue")) return WebCommands::Catalogue(app, arguments.mid(1), out, err);
    if (command == QLatin1String("check-update")) return WebCommands::CheckUpdate(app, arguments.mid(1), out, err);
    if (command == QLatin1String("catalogue-server")) return WebCommands::CatalogueServer(arguments.mid(1), out, err);
    if (command == QLatin1String("publish-format")) return WebCommands::PublishFormat(app, arguments.mid(1), out, err);
    if (const QString file = OpenedExchangeFile::PathIn(arguments); !file.isEmpty())
        return FormatCommands::ImportFormat(app, {file}, out, err);
    if (command == QLatin1String("backup")) return BackupCommands::Backup(app, arguments.mid(1), out, err);
    if (command == QLatin1String("restore")) return BackupCommands::Restore(app, arguments.mid(1), out, err);
    if (command == QLatin1String("batch")) return BatchCommands::Batch(app, arguments.mid(1), out, err);
    if (command == QLatin1String("export-history")) return BatchCommands::ExportHistory(app, arguments.mid(1), out, err);
    if (command == QLatin1String("stats")) return StatsCommands::Stats(app, arguments.mid(1), out, err);
    if (command == QLatin1String("edit-format")) return EditFormatCommand::Run(app, arguments.mid(1), out, err);
    if (command == QLatin1String("help") || command == QLatin1String("--help")) {
        out << Usage();
        return 0;
    }
    err << QStringLiteral("未知的命令：") << command << '\n' << Usage();
    return 2;
}

int CommandLine::Formats(AppContext& app, QTextStream& out)
{
    if (!StartupSequence::OpenData(app)) return 1;
    // A name is listed once even when a damaged import left it more than one whole-format row.
    Recordset names = app.DbOp().OpenQuery(QStringLiteral("SELECT DISTINCT Fmt FROM Fmt WHERE LBL=") +
                                           SqlQuote(FormatStore::WholeFormatLabel()) + QStringLiteral(" ORDER BY Fmt"));
    if (!names.IsOpen()) return 1;
    for (; !names.Eof(); names.MoveNext()) out << CellText(names.Text(0)) << '\n';
    return 0;
}

bool SetValues(const QStringList& arguments, QList<QPair<QString, QString>>& values, QTextStream& err);

// The element table as the window shows it; the colour column, a cell background there,
// is written as its number. With --png, the canvas as a picture of the paper instead.
int CommandLine::ShowFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    std::optional<QString> png, dpiText, noBackground, noFrames;
    const bool read = TakeOption(args, QStringLiteral("--png"), true, &png) &&
                      TakeOption(args, QStringLiteral("--dpi"), true, &dpiText) &&
                      TakeOption(args, QStringLiteral("--no-background"), false, &noBackground) &&
                      TakeOption(args, QStringLiteral("--no-frames"), false, &noFrames);
    QList<QPair<QString, QString>> values;
    if (!SetValues(args, values, err)) return 2;
    for (qsizetype at = args.indexOf(QStringLiteral("--set")); at >= 0; at = args.indexOf(QStringLiteral("--set")))
        args.remove(at, 2);
    bool dpiOk = true;
    const int dpi = dpiText ? dpiText->toInt(&dpiOk) : 150;
    const bool pictureOptions = dpiText || noBackground || noFrames || !values.isEmpty();
    if (!read || args.size() != 1 || (png && png->isEmpty()) || (!png && pictureOptions) || !dpiOk || dpi < 20 ||
        dpi > 1200) {
        err << QStringLiteral("show-format 需要一个格式名称；--dpi、--no-background、--no-frames 和 --set 只与 --png 文件 "
                              "一起使用，--dpi 需要20到1200之间的整数。\n")
            << Usage();
        return 2;
    }
    const QString name = args.first();
    if (!png) {
        if (!StartupSequence::OpenData(app)) return 1;
        if (!FormatExists(app, name, err)) return 1;
        Workspace ws;
        FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name);
        PrintElementTable(ws.table, out);
        return 0;
    }
    Workspace ws;
    if (const int failed = PrepareBill(app, name, values, 0, ws, err)) return failed;
    BillRenderer::Environment environment = BillPrinter::EnvironmentFor(app, ws, 0);
    environment.background = noBackground ? QImage() : BackgroundCommands::BackgroundPicture(app.Paths().Folder(), name);
    const QImage picture = CanvasPicture::Draw(ws, environment, {dpi, !noBackground, !noFrames});
    QSaveFile file(*png);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit()) {
        err << WriteFailedText(*png) << QStringLiteral("（") << file.errorString() << QStringLiteral("）") << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已输出：") << *png << '\n';
    return 0;
}

void CommandLine::PrintElementTable(const ElementTable& table, QTextStream& out)
{
    for (int row = 1; row < table.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < ElementTable::ColumnCount; ++col)
            cells << (row >= ElementTable::kFirstRow && col == ElementTable::ColColor ? QString::number(table.Color(row))
                                                                                       : CellText(table.Text(row, col)));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
}

// The history grid of a format: captions first, then the bills, newest first.
int CommandLine::History(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool limited = false;
    const QString name = OptionValue(arguments, QStringLiteral("--format"));
    const QString limitText = OptionValue(arguments, QStringLiteral("--limit"), &limited);
    bool ok = true;
    const int limit = limited ? limitText.toInt(&ok) : 0;
    if (name.isEmpty() || !ok || limit < 0) {
        err << QStringLiteral("history 需要 --format 格式名称，--limit 需要一个不小于0的整数（单据张数）。\n") << Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    if (!FormatExists(app, name, err)) return 1;
    Workspace ws;
    FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name);
    // Each bill is written as it is read: all of a large history is never held at once.
    HistoryGrid history(app.DbOp(), app.Indicator());
    history.PrepareColumns(ws.formatName);
    PrintGrid(history.grid(), 1, out);
    history.ReadBills(limit, [&out](const QStringList& cells) {
        QStringList line;
        for (const QString& cell : cells) line << CellText(cell);
        out << line.join(QLatin1Char('\t')) << '\n';
    });
    return 0;
}

bool CommandLine::FormatExists(AppContext& app, const QString& name, QTextStream& err)
{
    if (FormatStore(app.DbOp(), app.Indicator(), app.Screen()).FormatExists(name)) return true;
    err << QStringLiteral("没有名为“") << name << QStringLiteral("”的格式。") << Qt::endl;
    return false;
}

// The row of the text, check or picture box captioned `label`; -1 when there is none.
int BoxRowOf(const Workspace& ws, const QString& label)
{
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
        if (ws.table.KindOf(row) <= ElementTable::PictureBox && ws.table.Text(row, ElementTable::ColLbl) == label) return row;
    return -1;
}

// The --set LABEL=VALUE pairs in the order given; false (and a message) for a malformed one.
bool SetValues(const QStringList& arguments, QList<QPair<QString, QString>>& values, QTextStream& err)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--set")) continue;
        const QString assignment = arguments.value(++i);
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            err << QStringLiteral("--set 需要“标签=内容”：") << assignment << Qt::endl;
            return false;
        }
        values.append({assignment.left(equals), assignment.mid(equals + 1)});
    }
    return true;
}

// One bill filled as a clerk fills it: the format with its defaults and dates (or the
// contents of history record `record`), then each value typed into its box and the box
// left, in the order given. Returns 0 or the exit code of the failure.
int CommandLine::PrepareBill(AppContext& app, const QString& name, const QList<QPair<QString, QString>>& values,
                             qint64 record, Workspace& ws, QTextStream& err)
{
    if (!StartupSequence::OpenData(app)) return 1;
    if (!FormatExists(app, name, err)) return 1;

    ws.lineBreakMarker = app.ReadLineBreakMarker();
    HistoryRecords records(app.DbOp(), app.Prompt(), &app.Time());
    FormatStore::LoadHooks hooks;
    hooks.loadDefaults = [&] { records.LoadDefaults(ws); };
    FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name, hooks);
    EntryKit kit(app);
    DataEntry& entry = kit.entry;
    if (record > 0) {
        Recordset rows = app.DbOp().OpenQuery(QStringLiteral("SELECT CID, Con FROM 历史 WHERE Fmt=") + SqlQuote(name) +
                                              QStringLiteral(" AND ID=") + QString::number(record));
        if (rows.Eof()) {
            err << QStringLiteral("格式“") << name << QStringLiteral("”没有第") << record << QStringLiteral("号历史记录。")
                << Qt::endl;
            return 1;
        }
        ws.ClearContents();
        for (; !rows.Eof(); rows.MoveNext()) ws.SetBoxContent(ws.table.RowOfId(rows.Value(0).toLongLong()), rows.Text(1));
    } else {
        entry.FillDateBoxes(ws);
        // The defaults bring back the number the last stored bill carried.
        kit.autoFill.AdvanceUsedNumbers(ws);
    }

    for (const auto& [label, value] : values) {
        const int row = BoxRowOf(ws, label);
        if (row < 0) {
            err << QStringLiteral("格式“") << name << QStringLiteral("”中没有标签为“") << label
                << QStringLiteral("”的输入框。") << Qt::endl;
            return 1;
        }
        if (ws.table.KindOf(row) == ElementTable::CheckBox && !value.trimmed().isEmpty()) {
            DataEntry::TickCheckBox(ws, row);
            continue;
        }
        ws.SetBoxContent(row, value);
        const QString refusal = entry.LeaveBox(ws, row);
        if (!refusal.isEmpty()) {
            err << QStringLiteral("“") << label << QStringLiteral("”：") << refusal << Qt::endl;
            return 1;
        }
    }
    return 0;
}

// A bill the window would refuse, or ask about, is not stored from here either.
int CommandLine::RefusedByGate(const Workspace& ws, bool allowEmpty, QTextStream& err)
{
    bool refused = false;
    for (const BillGate::Problem& problem : BillGate::Check(ws)) {
        if (!problem.refused && allowEmpty) continue;
        err << BillGate::Describe(ws, problem) << Qt::endl;
        refused = true;
    }
    if (refused) err << QStringLiteral("单据没有存入历史记录（没有金额或日期的单据加 --allow-empty 仍然存入）。") << Qt::endl;
    return refused ? 1 : 0;
}

int CommandLine::Fill(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString name = OptionValue(arguments, QStringLiteral("--format"));
    QList<QPair<QString, QString>> values;
    if (!SetValues(arguments, values, err)) return 2;
    if (name.isEmpty()) {
        err << QStringLiteral("fill 需要 --format 格式名称。\n") << Usage();
        return 2;
    }
    Workspace ws;
    if (const int failed = PrepareBill(app, name, values, 0, ws, err)) return failed;
    if (arguments.contains(QStringLiteral("--store"))) {
        if (const int refused = RefusedByGate(ws, arguments.contains(QStringLiteral("--allow-empty")), err)) return refused;
        QString error;
        if (HistoryRecords(app.DbOp(), app.Prompt(), &app.Time()).TryStoreRecord(ws, &error) < 0) {
            err << HistoryRecords::StoreFailedText() << '\n' << error << Qt::endl;
            return 1;
        }
    }
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
        if (ws.table.KindOf(row) <= ElementTable::PictureBox)
            out << CellText(ws.table.Text(row, ElementTable::ColLbl)) << '\t' << CellText(ws.GetBoxContent(row)) << '\n';
    return 0;
}

// One bill rendered as the printer would print it, onto a PDF page or a PNG picture of the
// format's size (turned when the format is printed turned, so that the page is the bill).
int CommandLine::Print(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString name = OptionValue(arguments, QStringLiteral("--format"));
    QList<QPair<QString, QString>> values;
    if (!SetValues(arguments, values, err)) return 2;
    bool hasPdf = false;
    bool hasPng = false;
    bool hasRecord = false;
    bool hasDpi = false;
    const QString pdf = OptionValue(arguments, QStringLiteral("--pdf"), &hasPdf);
    const QString png = OptionValue(arguments, QStringLiteral("--png"), &hasPng);
    const QString recordText = OptionValue(arguments, QStringLiteral("--record"), &hasRecord);
    const QString dpiText = OptionValue(arguments, QStringLiteral("--dpi"), &hasDpi);
    bool recordOk = true;
    bool dpiOk = true;
    const qint64 record = hasRecord ? recordText.toLongLong(&recordOk) : 0;
    const int dpi = hasDpi ? dpiText.toInt(&dpiOk) : 300;
    if (name.isEmpty() || hasPdf == hasPng || (hasPdf ? pdf : png).isEmpty() || !recordOk || record < 0 || !dpiOk ||
        dpi < 50 || dpi > 2400) {
        err << QStringLiteral("print 需要 --format 格式名称，以及 --pdf 文件 或 --png 文件 之一；"
                              "--record 需要历史记录号，--dpi 需要50到2400之间的整数。\n")
            << Usage();
        return 2;
    }
    Workspace ws;
    if (const int failed = PrepareBill(app, name, values, record, ws, err)) return failed;

    const bool turned = ws.options[1] != 0;
    const double pageW = turned ? ws.Height() : ws.Width();
    const double pageH = turned ? ws.Width() : ws.Height();
    HistoryRecords records(app.DbOp(), app.Prompt(), &app.Time());
    const bool store = arguments.contains(QStringLiteral("--store"));
    const bool allowOverflow = arguments.contains(QStringLiteral("--allow-overflow"));
    const bool allowEmpty = arguments.contains(QStringLiteral("--allow-empty"));
    const QString target = hasPdf ? pdf : png;
    OutputFile file(target);
    if (!file.Open()) {
        err << file.FailureText() << Qt::endl;
        return 1;
    }
    // The bill counts as printed only once its file is in place: it is stored in a
    // transaction of its own that is kept after the file is committed, and undone otherwise.
    std::optional<Transaction> storing;
    if (store) {
        storing.emplace(app.Db());
        if (!storing->Active()) {
            err << HistoryRecords::StoreFailedText() << storing->Error() << Qt::endl;
            return 1;
        }
    }
    bool printed = false;
    bool storeFailed = false;
    qint64 stored = 0;
    // The bill on a surface of its own; the surface is finished when this returns.
    auto printOn = [&](std::unique_ptr<PainterSurface> surface) {
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(app, ws, 0), &records, app.Prompt(),
                            app.Indicator());
        if (allowOverflow) printer.AllowOverflow();
        printer.AllowEmpty(allowEmpty);
        printed = printer.PrintBill(ws, true, store);
        stored = printer.LastRecordNumber();
        storeFailed = printer.StoreFailed();
    };
    QByteArray bytes;
    if (hasPdf) {
        // Written in memory first: the text maps are mended before the file is written.
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        auto surface = PainterSurface::ForPdf(written, ws.Width(), ws.Height());
        surface->setPageSize(QPageSize(QSizeF(pageW, pageH), QPageSize::Millimeter));
        printOn(std::move(surface));
        QString error;
        const bool drawn = printed || storeFailed;
        const std::optional<QByteArray> pdfData = drawn ? PdfTextRepair::Repair(written.data(), &error) : std::nullopt;
        if (drawn && !pdfData) err << QStringLiteral("PDF文件无法完成：") << error << Qt::endl;
        if (pdfData) bytes = *pdfData;
        else printed = storeFailed = false;
    } else {
        const double dotsPerMm = dpi / 25.4;
        QImage image(qMax(1, qRound(ws.Width() * dotsPerMm)), qMax(1, qRound(ws.Height() * dotsPerMm)),
                     QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
        image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
        image.fill(Qt::white);
        printOn(PainterSurface::ForImage(image));
        QBuffer encoded(&bytes);
        encoded.open(QIODevice::WriteOnly);
        printed = (printed || storeFailed) && image.save(&encoded, "PNG");
    }
    const QString notStored = store ? QStringLiteral("单据没有存入历史记录。\n") : QString();
    // A bill printed but not stored is still on its page: the page is kept, the command fails
    // (the printer has said why).
    if (!printed && !storeFailed) {
        file.Cancel();
        err << QStringLiteral("单据没有输出：") << target << Qt::endl << notStored;
        const QList<BillGate::Problem> problems = BillGate::Check(ws);
        if (!allowEmpty && !problems.isEmpty() && !BillGate::HasRefusal(problems))
            err << QStringLiteral("（没有金额或日期的单据加 --allow-empty 仍然输出）") << Qt::endl;
        return 1;
    }
    if (!file.Write(bytes) || !file.Commit()) {
        err << file.FailureText() << Qt::endl << notStored;
        return 1;
    }
    out << QStringLiteral("已输出：") << target << '\n';
    if (storeFailed) return 1;
    if (storing && !storing->Commit()) {
        err << HistoryRecords::StoreFailedText() << storing->Error() << Qt::endl << notStored;
        return 1;
    }
    if (store && stored > 0) out << QStringLiteral("历史记录号：") << stored << '\n';
    if (store && stored == 0) out << QStringLiteral("单据没有内容，未存入历史记录。") << '\n';
    return 0;
}

// One text from the command line, or one per line of standard input, so that a million
// amounts take one process.
int CommandLine::Convert(AppContext& app, const QStringList& arguments, bool reverse, QTextStream& out,
                         QTextStream& err)
{
    bool ok = false;
    const double code = arguments.value(0).toDouble(&ok);
    if (!ok || arguments.size() > 2) {
        err << QStringLiteral("需要一个数字形式的类型代码，例如 103 或 114.08。\n") << Usage();
        return 2;
    }
    const BoxConverter converter(app.Time());
    // An amount the box would refuse gives its message and an empty line, and exit 1.
    bool refused = false;
    auto convert = [&](const QString& text) {
        if (reverse) return CapitalAmount::CapitalToNumber(text, code);
        const QString refusal = AmountInput::Refusal(code, text);
        if (refusal.isEmpty()) return converter.ConvertBoxText(code, text);
        err << text << QStringLiteral("：") << refusal << Qt::endl;
        refused = true;
        return QString();
    };
    if (arguments.size() == 2) {
        const QString converted = convert(arguments[1]);
        if (!refused) out << converted << '\n';
        return refused ? 1 : 0;
    }
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        out << convert(line) << '\n';
    }
    return refused ? 1 : 0;
}

int CommandLine::Sql(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1) {
        err << QStringLiteral("sql 命令需要一条SQL语句。\n") << Usage();
        return 2;
    }
    const QString sql = arguments.first();
    if (ChangesKeyOrFiles(sql)) {
        err << QStringLiteral("不允许执行更改数据库密钥或连接其他文件的语句。") << Qt::endl;
        return 1;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    QString error;
    if (!ReturnsRows(sql)) {
        if (app.Db().Execute(sql, &error)) return 0;
        err << QStringLiteral("SQL错误：") << error << Qt::endl;
        return 1;
    }
    Recordset rows = app.Db().Query(sql, &error);
    if (!rows.IsOpen()) {
        err << QStringLiteral("SQL错误：") << error << Qt::endl;
        return 1;
    }
    QStringList header;
    for (int i = 0; i < rows.FieldCount(); ++i) header << CellText(rows.FieldAt(i).name);
    out << header.join(QLatin1Char('\t')) << '\n';
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rows.FieldCount(); ++i) cells << CellText(rows.Text(i));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    out.flush();
    return 0;
}

} // namespace kestrio
