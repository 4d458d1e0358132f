#include "CommandLine.h"

#include "AppContext.h"
#include "MainSub.h"

#include <QRegularExpression>

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

bool ReturnsRows(const QString& sql)
{
    static const QRegularExpression query(QStringLiteral("^\\s*(SELECT|PRAGMA)\\b"), QRegularExpression::CaseInsensitiveOption);
    return query.match(sql).hasMatch();
}

} // namespace

QString CommandLine::Usage()
{
    return QStringLiteral("用法：kestrio [--data-dir 目录] [命令]\n"
                          "  不带命令：打开主窗口\n"
                          "  sql \"<SQL语句>\"：执行一条语句；查询输出表头和各行（以制表符分隔）\n");
}

int CommandLine::Run(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("sql")) return Sql(app, arguments.mid(1), out, err);
    if (command == QLatin1String("help") || command == QLatin1String("--help")) {
        out << Usage();
        return 0;
    }
    err << QStringLiteral("未知的命令：") << command << '\n' << Usage();
    return 2;
}

int CommandLine::Sql(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1) {
        err << QStringLiteral("sql 命令需要一条SQL语句。\n") << Usage();
        return 2;
    }
    if (!MainSub::OpenData(app)) return 1;
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
