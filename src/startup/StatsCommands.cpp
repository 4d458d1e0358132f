#include "StatsCommands.h"

#include "CommandLine.h"
#include "StartupSequence.h"
#include "app/AppContext.h"
#include "app/OutputFile.h"
#include "batch/GridExport.h"
#include "convert/DateText.h"
#include "format/FormatStore.h"
#include "stats/MonthlyStatistics.h"

#include <QHash>

namespace kestrio {

namespace {

StatsCommands::ChartWriter& Writer()
{
    static StatsCommands::ChartWriter writer;
    return writer;
}

const QStringList& ValueOptions()
{
    static const QStringList options{
        QStringLiteral("--format"), QStringLiteral("--from"),  QStringLiteral("--to"),   QStringLiteral("--sum"),
        QStringLiteral("--date"),   QStringLiteral("--ymd"),   QStringLiteral("--where"), QStringLiteral("--csv"),
        QStringLiteral("--xlsx"),   QStringLiteral("--chart"), QStringLiteral("--encoding")};
    return options;
}

// The options by name ("--count" with an empty value); false for an unknown or repeated
// option or a missing value.
bool ParseOptions(const QStringList& args, QHash<QString, QString>& options, QString& wrong)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& name = args[i];
        const bool takesValue = ValueOptions().contains(name);
        if ((!takesValue && name != QLatin1String("--count")) || options.contains(name) ||
            (takesValue && i + 1 >= args.size())) {
            wrong = name;
            return false;
        }
        options.insert(name, takesValue ? args[++i] : QString());
    }
    return true;
}

// The entry of `list` named `label`, with a message naming the entries there are.
bool Resolve(const QVector<StatBox>& list, const QString& label, const QString& what, StatBox& box, QTextStream& err)
{
    box = StatBoxes::Find(list, label);
    if (box.IsSet()) return true;
    QStringList names;
    for (const StatBox& entry : list) names << entry.label;
    err << QStringLiteral("格式中没有可作") << what << QStringLiteral("的输入框“") << label << QStringLiteral("”。可选：")
        << (names.isEmpty() ? QStringLiteral("（无）") : names.join(QStringLiteral("、"))) << Qt::endl;
    return false;
}

// Fills the boxes of the request from the labels given; false (with the message) when one
// is not a box of its kind.
bool ResolveBoxes(const QVector<StatBoxes::Element>& elements, const QHash<QString, QString>& options,
                  StatRequest& request, QTextStream& err)
{
    const auto list = [&](StatBoxes::Kind kind) { return StatBoxes::Build(kind, elements); };
    if (request.sumAmounts &&
        !Resolve(list(StatBoxes::Amount), options[QStringLiteral("--sum")], QStringLiteral("金额"), request.amountBox, err))
        return false;
    if (request.fullDate)
        return Resolve(list(StatBoxes::FullDate), options[QStringLiteral("--date")], QStringLiteral("完整日期"),
                       request.dateBox, err);
    const QStringList parts = options[QStringLiteral("--ymd")].split(QLatin1Char(','));
    return Resolve(list(StatBoxes::Year), parts[0], QStringLiteral("年"), request.yearBox, err) &&
           Resolve(list(StatBoxes::Month), parts[1], QStringLiteral("月"), request.monthBox, err) &&
           Resolve(list(StatBoxes::Day), parts[2], QStringLiteral("日"), request.dayBox, err);
}

// The request the options describe, before its boxes are looked up; an empty format when
// the options do not make one.
StatRequest RequestOf(const QHash<QString, QString>& options)
{
    StatRequest request;
    const auto has = [&](const char* name) { return options.contains(QLatin1String(name)); };
    const auto from = DateText::RecognizeWithYear(options.value(QStringLiteral("--from")));
    const auto to = DateText::RecognizeWithYear(options.value(QStringLiteral("--to")));
    const QString where = options.value(QStringLiteral("--where"));
    const bool usable = has("--format") && from && to && has("--count") != has("--sum") &&
                        has("--date") != has("--ymd") && !(has("--csv") && has("--xlsx")) &&
                        (!has("--encoding") || GridExport::ParseEncoding(options.value(QStringLiteral("--encoding")))) &&
                        (!has("--ymd") || options.value(QStringLiteral("--ymd")).count(QLatin1Char(',')) == 2) &&
                        (!has("--where") || where.indexOf(QLatin1Char('=')) > 0);
    if (!usable) return request;
    request.format = options.value(QStringLiteral("--format"));
    request.from = *from;
    request.to = *to;
    request.sumAmounts = has("--sum");
    request.fullDate = has("--date");
    request.byCondition = has("--where");
    request.conditionValue = where.mid(where.indexOf(QLatin1Char('=')) + 1);
    return request;
}

void PrintMonths(const StatResult& result, QTextStream& out)
{
    out << QStringLiteral("序号\t日期\t") << result.ValueCaption() << '\n';
    for (int i = 0; i < result.months.size(); ++i)
        out << i + 1 << '\t' << result.MonthText(i) << '\t' << result.ValueText(i) << '\n';
}

// The month rows on the output, or as the table file --csv or --xlsx names.
bool WriteTable(AppContext& app, const StatResult& result, const QHash<QString, QString>& options, QTextStream& out,
                QTextStream& err)
{
    const bool csv = options.contains(QStringLiteral("--csv"));
    if (!csv && !options.contains(QStringLiteral("--xlsx"))) {
        PrintMonths(result, out);
        return true;
    }
    const QString path = options.value(csv ? QStringLiteral("--csv") : QStringLiteral("--xlsx"));
    GridExport exporter(app.Prompt(), app.Indicator());
    if (const auto encoding = GridExport::ParseEncoding(options.value(QStringLiteral("--encoding"))))
        exporter.SetCsvEncoding(*encoding);
    QString error;
    const Grid grid = result.ToGrid();
    const bool written = csv ? exporter.ExportGridCsv(grid, path, &error)
                             : exporter.ExportGridWorkbook(grid, path, StatResult::SheetTitle(), &error);
    if (!written) {
        err << QStringLiteral("统计表没有保存：") << OutputFile::FailureText(path, error) << Qt::endl;
        return false;
    }
    out << QStringLiteral("已输出：") << path << '\n';
    return true;
}

} // namespace

void StatsCommands::SetChartWriter(ChartWriter writer)
{
    Writer() = std::move(writer);
}

QString StatsCommands::Usage()
{
    return QStringLiteral(
        "  stats --format 格式名称 --from 日期 --to 日期 (--count | --sum 金额框标签)\n"
        "        (--date 日期框标签 | --ymd 年框标签,月框标签,日框标签) [--where 条件框标签=内容]\n"
        "        [--csv 文件.csv [--encoding gbk|utf-8] | --xlsx 文件.xlsx] [--chart 文件.jpg|文件.png]：按月统计单据数量或金额；\n"
        "       以制表符分隔输出各月（或写入表格文件），--chart 另存统计图表\n");
}

int StatsCommands::Stats(AppContext& app, const QStringList& args, QTextStream& out, QTextStream& err)
{
    QHash<QString, QString> options;
    QString wrong;
    if (!ParseOptions(args, options, wrong)) {
        err << QStringLiteral("stats 的选项有误：") << wrong << '\n' << Usage();
        return 2;
    }
    StatRequest request = RequestOf(options);
    if (request.format.isEmpty()) {
        err << QStringLiteral("stats 需要 --format、--from、--to（日期），--count 或 --sum 之一，"
                              "--date 或 --ymd（年,月,日）之一；--where 需要“标签=内容”。\n")
            << Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    if (!FormatStore(app.DbOp(), app.Indicator(), app.Screen()).FormatExists(request.format)) {
        err << QStringLiteral("没有名为“") << request.format << QStringLiteral("”的格式。") << Qt::endl;
        return 1;
    }
    const QVector<StatBoxes::Element> elements = StatBoxes::LoadElements(app.DbOp(), request.format);
    if (!ResolveBoxes(elements, options, request, err)) return 1;
    const QString where = options.value(QStringLiteral("--where"));
    if (request.byCondition &&
        !Resolve(StatBoxes::Build(StatBoxes::Condition, elements), where.left(where.indexOf(QLatin1Char('='))),
                 QStringLiteral("条件"), request.conditionBox, err))
        return 1;
    if (const QString problem = MonthlyStatistics::Check(request); !problem.isEmpty()) {
        err << problem << Qt::endl;
        return 1;
    }

    const StatResult result = MonthlyStatistics(app.DbOp(), app.Indicator()).Analyse(request);
    if (!result.error.isEmpty()) {
        err << QStringLiteral("无法读取历史记录：") << result.error << Qt::endl;
        return 1;
    }
    if (!result.LeftOutNote().isEmpty()) err << result.LeftOutNote() << Qt::endl;
    if (!WriteTable(app, result, options, out, err)) return 1;
    if (options.contains(QStringLiteral("--chart"))) {
        const QString path = options.value(QStringLiteral("--chart"));
        QString error;
        if (!Writer()) error = QStringLiteral("没有绘图环境");
        else if (result.IsEmpty()) error = QStringLiteral("没有可统计的单据");
        if (!error.isEmpty() || !Writer()(result, path, &error)) {
            err << QStringLiteral("统计图表没有保存：") << OutputFile::FailureText(path, error) << Qt::endl;
            return 1;
        }
    }
    return 0;
}

} // namespace kestrio
