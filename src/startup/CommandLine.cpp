#include "CommandLine.h"

#include "app/AppContext.h"
#include "startup/StartupSequence.h"
#include "convert/BoxConverter.h"
#include "convert/CapitalAmount.h"
#include "entry/AutoFill.h"
#include "entry/DataEntry.h"
#include "entry/EntryKit.h"
#include "entry/HistoryGrid.h"
#include "entry/HistoryRecords.h"
#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "print/BillPrinter.h"
#include "print/PainterSurface.h"
#include "startup/FormatCommands.h"
#include "startup/SetBoxOption.h"
#include "startup/WebCommands.h"
#include "startup/OpenedExchangeFile.h"
#include "storage/SqlQuote.h"

#include <QImage>
#include <QPageSize>
#include <QRegularExpression>
#include <QSaveFile>

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

bool ReturnsRows(const QString& sql)
{
    static const QRegularExpression query(QStringLiteral("^\\s*(SELECT|PRAGMA|EXPLAIN)\\b"), QRegularExpression::CaseInsensitiveOption);
    return query.match(sql).hasMatch();
}

} // namespace

QString CommandLine::Usage()
{
    return QStringLiteral("用法：kestrio [--data-dir 目录] [命令]\n"
                          "  不带命令：打开主窗口\n"
                          "  sql \"<SQL语句>\"：执行一条语句；查询输出表头和各行（以制表符分隔）\n"
                          "  formats：列出所有格式名称，每行一个\n"
                          "  show-format 格式名称：以制表符分隔输出该格式的输入框列表（含表头）\n"
                          "  edit-format 格式名称 --set-box 标签 键=值... [--set-box ...]：修改输入框属性并保存，再输出输入框列表；\n"
                          "       键：label x y w h spacing line-spacing align(left|right|centre) font size bold italic\n"
                          "       underline strike colour label-position(上方|左边|右边|下方) type(三位代码) cells\n"
                          "       same-as related-to add-to multiply-to negate\n"
                          "  history --format 格式名称 [--limit 行数]：以制表符分隔输出历史记录（最新的在前）\n"
                          "  fill --format 格式名称 [--set 标签=内容]... [--store]：填写一张单据并输出各输入框内容；\n"
                          "       --store 把单据存入历史记录\n"
                          "  print --format 格式名称 [--set 标签=内容]... [--record 记录号] [--store]\n"
                          "        (--pdf 文件.pdf | --png 文件.png [--dpi 300])：按打印的样子输出一张单据\n"
                          "       （含格式的打印偏移和选项）；--record 取历史记录，--store 打印后存入历史记录\n"
                          "  convert 类型代码 [文本]：输出文本框离开时转换后的文本；不给文本时逐行读标准输入\n"
                          "  capital-to-number 类型代码 [文本]：把大写金额读回数字；不给文本时逐行读标准输入\n"
                          "  export-format 格式名 文件[.zhq] [--force]：导出格式（连同同名.jpg底图）；文件已存在时须加 --force\n"
                          "  import-format 文件.zhq [--as 格式名]：导入格式，默认以文件名为格式名；格式名已存在时出错\n"
                          "  set-parameter 参数名 值：设置一个参数，例如 set-parameter 网站地址 http://192.168.1.10:8080\n"
                          "  catalogue [--update]：列出格式目录（--update 先从网站地址重新取得）\n"
                          "  catalogue --download 格式名称 [--as 新格式名]：下载并导入格式目录中的一个格式\n"
                          "  check-update：输出本机版本和网站上的最新版本\n"
                          "  catalogue-server --dir 目录 [--port 8080] [--bind 地址]：把目录中的格式（.zhq 和同名 .jpg，\n"
                          "       子文件夹为类别，version.txt 为最新版本）作为格式目录提供给其他电脑\n"
                          "  publish-format 格式名 目录 [--category 类别]：把格式导出到这样的目录中\n"
                          "  文件.zhq：导入该格式文件；能显示窗口时在主窗口中导入（询问格式名和是否立即调用），\n"
                          "       否则同 import-format\n"
                          "  --today YYYY-MM-DD：以该日期作为今天（日期类型用）\n");
}

int CommandLine::Run(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("sql")) return Sql(app, arguments.mid(1), out, err);
    if (command == QLatin1String("formats")) return Formats(app, out);
    if (command == QLatin1String("history")) return History(app, arguments.mid(1), out, err);
    if (command == QLatin1String("fill")) return Fill(app, arguments.mid(1), out, err);
    if (command == QLatin1String("print")) return Print(app, arguments.mid(1), out, err);
    if (command == QLatin1String("show-format")) return ShowFormat(app, arguments.mid(1), out, err);
    if (command == QLatin1String("edit-format")) {
        const int status = SetBoxOption::EditFormat(app, arguments.mid(1), err);
        return status != 0 ? status : ShowFormat(app, arguments.mid(1, 1), out, err);
    }
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
    Recordset names = app.DbOp().OpenQuery(QStringLiteral("SELECT Fmt FROM Fmt WHERE LBL=") +
                                           SqlQuote(FormatStore::WholeFormatLabel()) + QStringLiteral(" ORDER BY Fmt"));
    for (; !names.Eof(); names.MoveNext()) out << CellText(names.Text(0)) << '\n';
    return 0;
}

// The element table as the window shows it; the colour column, a cell background there,
// is written as its number.
int CommandLine::ShowFormat(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1) {
        err << QStringLiteral("show-format 需要一个格式名称。\n") << Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    const QString name = arguments.first();
    if (!FormatExists(app, name, err)) return 1;
    Workspace ws;
    FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name);
    const ElementTable& table = ws.table;
    for (int row = 1; row < table.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < ElementTable::ColumnCount; ++col)
            cells << (row >= ElementTable::kFirstRow && col == ElementTable::ColColor ? QString::number(table.Color(row))
                                                                                       : CellText(table.Text(row, col)));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    return 0;
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
        err << QStringLiteral("history 需要 --format 格式名称，--limit 需要一个不小于0的整数。\n") << Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    if (!FormatExists(app, name, err)) return 1;
    Workspace ws;
    FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name);
    HistoryGrid history(app.DbOp(), app.Indicator());
    history.LoadHistoryGrid(ws, limit);
    PrintGrid(history.grid(), 1, out);
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
    HistoryRecords records(app.DbOp(), app.Prompt());
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
        entry.LeaveBox(ws, row);
    }
    return 0;
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
    if (arguments.contains(QStringLiteral("--store"))) HistoryRecords(app.DbOp(), app.Prompt()).StoreRecord(ws);
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
    HistoryRecords records(app.DbOp(), app.Prompt());
    const bool store = arguments.contains(QStringLiteral("--store"));
    const QString target = hasPdf ? pdf : png;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        err << QStringLiteral("无法写入文件：") << target << Qt::endl;
        return 1;
    }
    bool printed = false;
    qint64 stored = 0;
    if (hasPdf) {
        auto surface = PainterSurface::ForPdf(file, ws.Width(), ws.Height());
        surface->setPageSize(QPageSize(QSizeF(pageW, pageH), QPageSize::Millimeter));
        FixedDestination destination(*surface);
        BillPrinter printer(destination, BillPrinter::EnvironmentFor(app, ws, 0), &records, app.Prompt(),
                            app.Indicator());
        printed = printer.PrintBill(ws, true, store);
        stored = printer.LastRecordNumber();
    } else {
        const double dotsPerMm = dpi / 25.4;
        QImage image(qMax(1, qRound(ws.Width() * dotsPerMm)), qMax(1, qRound(ws.Height() * dotsPerMm)),
                     QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
        image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
        image.fill(Qt::white);
        {
            auto surface = PainterSurface::ForImage(image);
            FixedDestination destination(*surface);
            BillPrinter printer(destination, BillPrinter::EnvironmentFor(app, ws, 0), &records, app.Prompt(),
                                app.Indicator());
            printed = printer.PrintBill(ws, true, store);
            stored = printer.LastRecordNumber();
        }
        printed = printed && image.save(&file, "PNG");
    }
    if (!printed || !file.commit()) {
        file.cancelWriting();
        err << QStringLiteral("单据没有输出：") << target << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已输出：") << target << '\n';
    if (store) out << QStringLiteral("历史记录号：") << stored << '\n';
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
    auto convert = [&](const QString& text) {
        return reverse ? CapitalAmount::CapitalToNumber(text, code) : converter.ConvertBoxText(code, text);
    };
    if (arguments.size() == 2) {
        out << convert(arguments[1]) << '\n';
        return 0;
    }
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        out << convert(line) << '\n';
    }
    return 0;
}

int CommandLine::Sql(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1) {
        err << QStringLiteral("sql 命令需要一条SQL语句。\n") << Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    const QString sql = arguments.first();
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
