#include "EditFormatCommand.h"

#include "CommandLine.h"
#include "startup/SetBoxOption.h"
#include "startup/StartupSequence.h"
#include "app/AppContext.h"
#include "designer/LayoutEditor.h"
#include "format/FormatDocument.h"
#include "format/FormatStore.h"
#include "images/BackgroundCommands.h"
#include "images/BackgroundImages.h"
#include "seams/Progress.h"

#include <QHash>

#include <functional>
#include <optional>

namespace kestrio {

namespace {

// The open format and what the operations share: the element the last --add made.
struct EditSession {
    FormatDocument& document;
    LayoutEditor editor;
    int lastAdded = -1;
    // The background to store with the format: a JPEG, or empty bytes to clear it. Written
    // only when every operation succeeded.
    std::optional<QByteArray> background;
};

using Values = QStringList;
using SubValues = QHash<QString, QString>;

// One operation of the command line: its flag, how many values follow it (−1: every value
// up to the next flag), the options that refine it (each with one value) and what it does.
struct Operation {
    QString flag;
    int valueCount;
    QStringList refinements;
    std::function<bool(EditSession&, const Values&, const SubValues&, QString*)> apply;
};

bool Numbers(const QString& text, int count, QList<double>* numbers, QString* error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    numbers->clear();
    for (const QString& part : parts) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        if (!ok) break;
        numbers->append(value);
    }
    if (numbers->size() == count && parts.size() == count) return true;
    *error = QStringLiteral("需要%1个以逗号分隔的数字，而不是“%2”").arg(count).arg(text);
    return false;
}

int RowOfLabel(const FormatDocument& document, const QString& label, QString* error)
{
    for (int row : document.ElementRows())
        if (document.ElementAt(row).label == label) return row;
    *error = QStringLiteral("没有标签为“%1”的输入框").arg(label);
    return -1;
}

int KindOfName(const QString& name)
{
    static const QStringList kinds = {QStringLiteral("text"), QStringLiteral("check"), QStringLiteral("picture"),
                                      QStringLiteral("line"), QStringLiteral("label")};
    return static_cast<int>(kinds.indexOf(name));
}

bool Add(EditSession& s, const Values& values, const SubValues& subs, QString* error)
{
    const int kind = KindOfName(values.first());
    if (kind < 0) {
        *error = QStringLiteral("类型须为 text、check、picture、line 或 label");
        return false;
    }
    QList<double> at{0, 0}, size;
    if (subs.contains(QStringLiteral("--at")) && !Numbers(subs.value(QStringLiteral("--at")), 2, &at, error)) return false;
    if (subs.contains(QStringLiteral("--size")) && !Numbers(subs.value(QStringLiteral("--size")), 2, &size, error))
        return false;
    const CanvasFrame& frame = s.editor.Frame();
    const int row = s.editor.AddElement(kind, frame.ToUnits(at[0]), frame.ToUnits(at[1]), error);
    if (row < 0) return false;
    Element e = s.document.ElementAt(row);
    if (subs.contains(QStringLiteral("--label"))) e.label = subs.value(QStringLiteral("--label"));
    if (!size.isEmpty() && kind == ElementTable::Line) {
        // A line's size is the reach of its second end from the first.
        e.width = frame.ToMm(frame.ToUnits(e.x + size[0]));
        e.height = frame.ToMm(frame.ToUnits(e.y + size[1]));
    } else if (!size.isEmpty()) {
        const UnitRect box = s.editor.BoxOf(e);
        e = s.editor.Sized(e, frame.ToUnits(size[0]) - box.width, frame.ToUnits(size[1]) - box.height);
    }
    s.document.ChangeElement(row, e, QStringLiteral("添加输入框"));
    s.lastAdded = row;
    return true;
}

bool Move(EditSession& s, const Values& values, const SubValues& subs, QString* error)
{
    QList<double> by;
    const int row = RowOfLabel(s.document, values.first(), error);
    if (row < 0 || !Numbers(subs.value(QStringLiteral("--by")), 2, &by, error)) return false;
    const CanvasFrame& frame = s.editor.Frame();
    s.document.SetSelection({});
    s.editor.MoveSelected(frame.ToUnits(by[0]), frame.ToUnits(by[1]), row);
    return true;
}

bool Copy(EditSession& s, const Values& values, const SubValues& subs, QString* error)
{
    const int row = RowOfLabel(s.document, values.first(), error);
    if (row < 0) return false;
    bool ok = false;
    const int times = subs.value(QStringLiteral("--times"), QStringLiteral("1")).toInt(&ok);
    if (!ok || times < 0) {
        *error = QStringLiteral("--times 需要一个不小于0的整数");
        return false;
    }
    s.document.SetSelection({});
    return s.editor.CopyElements(times, row, error);
}

bool Delete(EditSession& s, const Values& values, const SubValues&, QString* error)
{
    const int row = RowOfLabel(s.document, values.first(), error);
    if (row < 0) return false;
    s.document.SetSelection({});
    s.editor.DeleteSelected(row);
    return true;
}

bool Align(EditSession& s, const Values& values, const SubValues&, QString* error)
{
    static const QHash<QString, int> modes = {
        {QStringLiteral("top"), LayoutEditor::AlignTop},     {QStringLiteral("left"), LayoutEditor::AlignLeft},
        {QStringLiteral("right"), LayoutEditor::AlignRight}, {QStringLiteral("bottom"), LayoutEditor::AlignBottom},
        {QStringLiteral("width"), LayoutEditor::SameWidth},  {QStringLiteral("height"), LayoutEditor::SameHeight}};
    if (values.size() < 2 || !modes.contains(values.first())) {
        *error = QStringLiteral("需要 left、right、top、bottom、width 或 height 和至少一个标签");
        return false;
    }
    QSet<qint64> ids;
    for (const QString& label : values.mid(1)) {
        const int row = RowOfLabel(s.document, label, error);
        if (row < 0) return false;
        ids.insert(s.document.Table().Id(row));
    }
    s.document.SetSelection(ids);
    double mm = 0;
    if (!s.editor.AlignReference(modes.value(values.first()), &mm)) {
        *error = QStringLiteral("请先选定多个输入框，再操作此功能！");
        return false;
    }
    s.editor.Align(modes.value(values.first()), mm);
    s.document.SetSelection({});
    return true;
}

bool Table(EditSession& s, const Values& values, const SubValues&, QString* error)
{
    QList<double> n;
    if (!Numbers(values.first(), 6, &n, error)) return false;
    if (n[4] != static_cast<int>(n[4]) || n[5] != static_cast<int>(n[5])) {
        *error = QStringLiteral("行数和列数必须是整数");
        return false;
    }
    return s.editor.GenerateTable(n[0], n[1], n[2], n[3], static_cast<int>(n[4]), static_cast<int>(n[5]), error);
}

bool CheckOutside(EditSession& s, const Values&, const SubValues&, QString*)
{
    SilentProgress progress;
    s.editor.CheckOutside(progress);
    return true;
}

// The property window's fields of one box: LABEL key=value...
bool SetBox(EditSession& s, const Values& values, const SubValues&, QString* error)
{
    if (values.size() < 2) {
        *error = QStringLiteral("--set-box 需要标签和至少一个“键=值”");
        return false;
    }
    return SetBoxOption::Apply(s.document, values.first(), values.mid(1), error);
}

// A picture file as the format's background, converted as the window's "更换背景图" does.
bool SetBackground(EditSession& s, const Values& values, const SubValues&, QString* error)
{
    QByteArray jpeg;
    if (!BackgroundCommands::ReadBackground(values.first(), &jpeg, error)) return false;
    s.background = jpeg;
    return true;
}

bool ClearBackground(EditSession& s, const Values&, const SubValues&, QString*)
{
    s.background = QByteArray();
    return true;
}

bool StoreBackground(const EditSession& s, const QString& folder, const QString& name)
{
    if (!s.background) return true;
    if (s.background->isEmpty()) {
        BackgroundCommands::RemoveBackground(folder, name);
        return !BackgroundImages::HasBackground(folder, name);
    }
    return BackgroundCommands::StoreBackground(folder, name, *s.background);
}

const QList<Operation>& Operations()
{
    static const QList<Operation> operations = {
        {QStringLiteral("--add"), 1, {QStringLiteral("--label"), QStringLiteral("--at"), QStringLiteral("--size")}, Add},
        {QStringLiteral("--move"), 1, {QStringLiteral("--by")}, Move},
        {QStringLiteral("--copy"), 1, {QStringLiteral("--times")}, Copy},
        {QStringLiteral("--delete"), 1, {}, Delete},
        {QStringLiteral("--align"), -1, {}, Align},
        {QStringLiteral("--table"), 1, {}, Table},
        {QStringLiteral("--check-outside"), 0, {}, CheckOutside},
        {QStringLiteral("--set-box"), -1, {}, SetBox},
        {QStringLiteral("--background"), 1, {}, SetBackground},
        {QStringLiteral("--clear-background"), 0, {}, ClearBackground},
    };
    return operations;
}

struct Step {
    const Operation* operation;
    Values values;
    SubValues refinements;
};

bool IsFlag(const QString& text)
{
    return text.startsWith(QLatin1String("--"));
}

// The operations in order; false with the reason when the arguments do not read.
bool ParseSteps(const QStringList& args, QList<Step>* steps, QString* error)
{
    for (qsizetype at = 0; at < args.size();) {
        const QString flag = args.at(at++);
        const auto found = std::find_if(Operations().begin(), Operations().end(),
                                        [&flag](const Operation& op) { return op.flag == flag; });
        if (found == Operations().end()) {
            *error = QStringLiteral("未知的操作：") + flag;
            return false;
        }
        Step step{&*found, {}, {}};
        while (at < args.size() && !IsFlag(args.at(at)) && (found->valueCount < 0 || step.values.size() < found->valueCount))
            step.values << args.at(at++);
        if (found->valueCount >= 0 && step.values.size() != found->valueCount) {
            *error = flag + QStringLiteral(" 需要%1个参数").arg(found->valueCount);
            return false;
        }
        while (at + 1 < args.size() && found->refinements.contains(args.at(at))) {
            step.refinements.insert(args.at(at), args.at(at + 1));
            at += 2;
        }
        steps->append(step);
    }
    return true;
}

} // namespace

QString EditFormatCommand::Usage()
{
    return QStringLiteral(
        "  edit-format 格式名 [--page 宽,高] 操作...：依次执行各操作后保存格式并输出输入框列表（毫米）；\n"
        "       格式不存在时新建。操作：--add text|check|picture|line|label [--label 标签] [--at X,Y] [--size 宽,高]\n"
        "       --move 标签 --by DX,DY；--copy 标签 --times N；--delete 标签；\n"
        "       --align left|right|top|bottom|width|height 标签...；--table X0,Y0,X1,Y1,行数,列数；--check-outside；\n"
        "       --set-box 标签 键=值...；--background 图片文件（PNG、BMP、TIFF、JPEG，存为格式的.jpg底图）；\n"
        "       --clear-background\n"
        "       任一操作出错则什么也不保存\n");
}

int EditFormatCommand::Run(AppContext& app, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    if (args.isEmpty() || args.first().trimmed().isEmpty() || IsFlag(args.first())) {
        err << QStringLiteral("edit-format 需要一个格式名称。\n") << CommandLine::Usage();
        return 2;
    }
    const QString name = args.takeFirst();
    std::optional<QList<double>> page;
    QString error;
    if (!args.isEmpty() && args.first() == QLatin1String("--page")) {
        QList<double> size;
        if (args.size() < 2 || !Numbers(args.at(1), 2, &size, &error) || size[0] <= 0 || size[1] <= 0) {
            err << QStringLiteral("--page 需要两个大于0的数字（毫米）。") << Qt::endl;
            return 2;
        }
        page = size;
        args.remove(0, 2);
    }
    QList<Step> steps;
    if (!ParseSteps(args, &steps, &error)) {
        err << error << Qt::endl << CommandLine::Usage();
        return 2;
    }
    if (!StartupSequence::OpenData(app)) return 1;
    FormatStore store(app.DbOp(), app.Indicator(), app.Screen());
    FormatDocument document;
    document.Reload([&](Workspace& ws) {
        ws.formatName = name;
        if (store.FormatExists(name)) store.LoadFormat(ws, name);
        if (page) {
            ws.widthText = QString::number(page->at(0));
            ws.heightText = QString::number(page->at(1));
        }
    });
    EditSession session{document, LayoutEditor(document, CanvasFrame::Exact(document.Data())), -1, std::nullopt};
    for (const Step& step : steps) {
        if (!step.operation->apply(session, step.values, step.refinements, &error)) {
            if (!error.endsWith(QStringLiteral("。")) && !error.endsWith(QStringLiteral("！"))) error += QStringLiteral("。");
            err << step.operation->flag << ' ' << step.values.join(QLatin1Char(' ')) << QStringLiteral("：") << error
                << QStringLiteral("格式未修改。") << Qt::endl;
            return 1;
        }
    }
    // The picture first: a format saved with its background missing would be half an edit.
    if (!StoreBackground(session, app.Paths().Folder(), name)) {
        err << QStringLiteral("格式“") << name << QStringLiteral("”的背景图无法写入，格式未修改。") << Qt::endl;
        return 1;
    }
    if (!store.SaveFormat(document.Data(), name)) {
        err << QStringLiteral("格式“") << name << QStringLiteral("”保存失败。") << Qt::endl;
        return 1;
    }
    CommandLine::PrintElementTable(document.Table(), out);
    return 0;
}

} // namespace kestrio
