#include "FormatExchange.h"

#include "app/AppContext.h"
#include "convert/Decimal.h"
#include "images/BackgroundImages.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"
#include "storage/DbOperate.h"
#include "storage/Recordset.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"
#include "FormatNameRule.h"
#include "FormatStore.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kestrio {

namespace {

const QString kHeader = QStringLiteral("<Velmora格式专用>");
const QString kCrLf = QStringLiteral("\r\n");
const QString kSeparator = QStringLiteral("】★【");
const QString kLabelBreak = QStringLiteral("‖‖‖");
const QString kMemoBreak = QStringLiteral("♂♂");
const QString kImportCaption = QStringLiteral("正在导入格式...");
const QString kFilter = QStringLiteral("支票格式(*.zhq)");

constexpr int kWrittenFields = 22;
constexpr int kRequiredFields = 21;
constexpr int kImportSteps = 3;
// No format comes near this; a bigger file is not one of ours and is not read into memory.
constexpr qint64 kLargestExchangeFile = 64LL * 1024 * 1024;

enum class Kind { Number, Text, Label, Memo, YesNo };

struct Column {
    const char* name;
    Kind kind;
};

// The fields of an element line in file order. The last one is read when a file carries it,
// but never written.
constexpr Column kColumns[] = {
    {"ID", Kind::Number},         {"Clas", Kind::Number},      {"LBL", Kind::Label},       {"Dir", Kind::Text},
    {"X", Kind::Number},          {"Y", Kind::Number},         {"W", Kind::Number},        {"H", Kind::Number},
    {"S", Kind::Number},          {"L", Kind::Number},         {"Color", Kind::Number},    {"fName", Kind::Text},
    {"fSize", Kind::Number},      {"fBold", Kind::YesNo},      {"fItalic", Kind::YesNo},   {"fUnderline", Kind::YesNo},
    {"fStrikethru", Kind::YesNo}, {"Cash", Kind::Number},      {"RCtl", Kind::Number},     {"Mem", Kind::Memo},
    {"SumID", Kind::Number},      {"SumID1", Kind::Number},    {"RCtl1", Kind::Number},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
const char* const kReferences[] = {"RCtl", "SumID", "SumID1"};

QString ColumnName(int index)
{
    return QLatin1String(kColumns[index].name);
}

QString Quoted(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

QString YesNoText(const QVariant& value)
{
    const QString text = value.toString().trimmed();
    const bool yes = text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || value.toDouble() != 0;
    return yes ? QStringLiteral("True") : QStringLiteral("False");
}

QString WrittenField(const Recordset& row, int index)
{
    const QString name = ColumnName(index);
    QString text = kColumns[index].kind == Kind::YesNo ? YesNoText(row.Value(name)) : row.Text(name);
    if (kColumns[index].kind == Kind::Label) text.replace(kCrLf, kLabelBreak);
    if (kColumns[index].kind == Kind::Memo) text.replace(kCrLf, kMemoBreak);
    return text;
}

// The leading number of a field, blanks anywhere ignored (files written by hand have them). What no
// column can hold (infinities, more than 15 digits) reads as 0 like any other junk.
double LeadingNumber(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\t'));
    const double value = Decimal::FromLeadingNumber(text).ToDouble();
    return std::isfinite(value) && std::fabs(value) < 1e15 ? value : 0.0;
}

QVariant ReadField(Kind kind, QString text)
{
    switch (kind) {
    case Kind::Number:
        return LeadingNumber(text);
    case Kind::YesNo:
        return text.toLower() == QLatin1String("true");
    case Kind::Label:
        return text.replace(kLabelBreak, kCrLf);
    case Kind::Memo:
        return text.replace(kMemoBreak, kCrLf);
    case Kind::Text:
        break;
    }
    return text;
}

// Element lines that an unencoded line break split are joined again: from the end, a line
// that is empty or too short to be a row belongs to the line before it. Line 2 takes what is
// left, so a broken file can never reach into the name line. Field counts are summed rather
// than recounted, so a hostile file of many short lines costs one pass.
QStringList RepairedElementLines(const QStringList& lines)
{
    QStringList repaired;
    QStringList pieces; // of the line being gathered, last piece first
    qsizetype separators = 0;
    for (qsizetype i = lines.size() - 1; i >= 2; --i) {
        pieces << lines[i];
        separators += lines[i].count(kSeparator);
        const bool empty = pieces.size() == 1 && lines[i].isEmpty();
        if (i > 2 && (empty || separators + 1 < kRequiredFields)) continue;
        std::reverse(pieces.begin(), pieces.end());
        repaired << pieces.join(kCrLf);
        pieces.clear();
        separators = 0;
    }
    std::reverse(repaired.begin(), repaired.end());
    return repaired;
}

// Why the element lines are not a whole format; empty when they are. A file cut short leaves
// its last row joined to the one before (too many fields) or loses the whole-format row,
// which writers put last; two files run together have two. Such a file is refused rather
// than stored in part. A reference to no row of the file is no sign of damage: a stored
// format may keep one to a box deleted long ago, and it is kept as it is.
QString IncompleteReason(const QStringList& elementLines, const QString& wholeFormatLabel)
{
    int wholeFormatRows = 0;
    for (const QString& line : elementLines) {
        const QStringList fields = line.split(kSeparator);
        if (fields.size() > kColumnCount)
            return QStringLiteral("有一行多出%1项，文件可能不完整。").arg(fields.size() - kColumnCount);
        if (fields[2] == wholeFormatLabel) ++wholeFormatRows;
    }
    if (wholeFormatRows != 1) return QStringLiteral("文件中应有且只有一行单据整体格式参数。");
    return {};
}

} // namespace

struct FormatExchange::Element {
    double oldId = 0;
    QVector<QVariant> values; // by kColumns index; the ID is never stored
};

FormatExchange::FormatExchange(QString applicationFolder, DbOperate& db, Prompter& prompter, Progress& progress)
    : mFolder(std::move(applicationFolder)), mDb(db), mPrompter(prompter), mProgress(progress), mFiles(prompter)
{
}

FormatExchange::FormatExchange(AppContext& app)
    : FormatExchange(app.Paths().Folder(), app.DbOp(), app.Prompt(), app.Indicator())
{
}

QString FormatExchange::NameLine(const QString& formatName)
{
    if (formatName.contains(QStringLiteral("支票"))) return formatName;
    return QStringLiteral("支票_") + formatName;
}

QString FormatExchange::ExchangePath(const QString& chosenPath)
{
    if (chosenPath.right(4).toLower() == QLatin1String(".zhq")) return chosenPath;
    return chosenPath + QStringLiteral(".zhq");
}

QString FormatExchange::ImagePathBeside(const QString& exchangePath)
{
    const qsizetype nameStart =
        std::max(exchangePath.lastIndexOf(QLatin1Char('/')), exchangePath.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = exchangePath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? exchangePath.left(dot) : exchangePath;
    return stem + QStringLiteral(".jpg");
}

// The file name is taken before its extension is cut, so a dot in a folder name cannot eat
// into the path; "\" counts as a separator too, for paths written on Windows.
QString FormatExchange::ImportName(const QString& path, const QString& nameLine)
{
    const qsizetype nameStart = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    QString base = path.mid(nameStart);
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) base.truncate(dot);
    return base.isEmpty() ? nameLine : base;
}

// ---- export ----

bool FormatExchange::ExportFmtFile(const QString& name)
{
    const QString chosen = name.isEmpty() && mChooser ? mChooser() : name;
    if (chosen.isEmpty()) return false;
    const QString preset = BackgroundImages::BackgroundPath(mFolder, chosen).chopped(4);
    const QString picked = mPrompter.SaveFile(QStringLiteral("导出格式"), kFilter, preset);
    if (picked.isEmpty()) return false;
    const QString path = ExchangePath(picked);
    const std::optional<QString> text = ExchangeText(chosen);
    if (!text) return false;
    if (QFileInfo::exists(path) &&
        !mPrompter.Ask(QStringLiteral("文件：") + Quoted(path) + QStringLiteral("已经存在，是否覆盖？")))
        return false;
    if (!WriteExchange(chosen, path, *text)) return false;
    mPrompter.Message(QStringLiteral("格式：") + Quoted(chosen) + QStringLiteral("导出完成！"), Prompter::Icon::Information);
    return true;
}

bool FormatExchange::ExportFmtFileTo(const QString& name, const QString& path)
{
    const std::optional<QString> text = ExchangeText(name);
    return text && WriteExchange(name, ExchangePath(path), *text);
}

// The whole file as text, or nothing when the format cannot travel intact: a text holding a
// separator or an encoded line break would come back as something else, so such a format is
// refused rather than written wrong.
std::optional<QString> FormatExchange::ExchangeText(const QString& name)
{
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(name) +
                                   QStringLiteral(" ORDER BY ID"));
    if (!rows.IsOpen()) return std::nullopt;
    QStringList lines{kHeader, NameLine(name)};
    for (; !rows.Eof(); rows.MoveNext()) {
        QStringList fields;
        for (int i = 0; i < kWrittenFields; ++i) fields << WrittenField(rows, i);
        lines << fields.join(kSeparator);
    }
    const QString text = lines.join(kCrLf);
    if (!ReadsBackAlike(text, name, rows)) {
        mPrompter.Message(QStringLiteral("格式：") + Quoted(name) +
                              QStringLiteral("中有文字含有格式文件的分隔符“】★【”“‖‖‖”“♂♂”或换行，无法导出！"),
                          Prompter::Icon::Warning);
        return std::nullopt;
    }
    return text;
}

bool FormatExchange::ReadsBackAlike(const QString& text, const QString& name, Recordset& rows)
{
    const QStringList lines = text.split(kCrLf);
    if (lines.value(1) != NameLine(name)) return false;
    const std::optional<QList<Element>> elements = ParseElements(lines);
    if (!elements || elements->size() != rows.RecordCount()) return false;
    rows.MoveFirst();
    for (const Element& element : *elements) {
        for (int i = 0; i < kColumnCount; ++i) {
            const bool text = kColumns[i].kind != Kind::Number && kColumns[i].kind != Kind::YesNo;
            if (text && element.values[i].toString() != rows.Text(ColumnName(i))) return false;
        }
        rows.MoveNext();
    }
    return true;
}

bool FormatExchange::WriteExchange(const QString& name, const QString& path, const QString& text)
{
    const QString failed = QStringLiteral("文件写入失败：");
    // The picture goes first: when it cannot be written, the file of that name (and its
    // picture) stay as they were; a file without its picture is no export.
    const QString image = ImagePathBeside(path);
    if (!BackgroundImages::CopyBackground(BackgroundImages::BackgroundPath(mFolder, name), image)) {
        mPrompter.Message(failed + image, Prompter::Icon::Critical);
        return false;
    }
    if (!TextFileIO::WriteTextFile(text, path)) {
        mPrompter.Message(failed + path, Prompter::Icon::Critical);
        return false;
    }
    return true;
}

// ---- import ----

FormatExchange::ImportResult FormatExchange::ImportFmtFile(const QString& path)
{
    QString file = path.trimmed();
    if (file.isEmpty()) {
        file = mPrompter.OpenFile(QStringLiteral("导入格式"), kFilter);
        if (file.isEmpty() || !QFileInfo(file).isFile()) return {};
    }
    return Import(file, {}, Ask::Yes);
}

FormatExchange::ImportResult FormatExchange::ImportFmtFileAs(const QString& path, const QString& name)
{
    return Import(path.trimmed(), name.trimmed(), Ask::No);
}

FormatExchange::ImportResult FormatExchange::Import(const QString& path, const QString& forcedName, Ask ask)
{
    const std::optional<QStringList> lines = ReadExchangeLines(path);
    if (!lines) return {};
    // A broken file is told before anyone is asked for a name it would never be stored under.
    const std::optional<QList<Element>> elements = ParseElements(*lines);
    const QString incomplete =
        elements ? IncompleteReason(RepairedElementLines(*lines), FormatStore::WholeFormatLabel()) : QString();
    if (!elements || !incomplete.isEmpty()) {
        mPrompter.Message(QStringLiteral("格式文件有错！") + (incomplete.isEmpty() ? QString() : QLatin1Char('\n') + incomplete),
                          Prompter::Icon::Critical);
        return {};
    }
    const QString wanted = forcedName.isEmpty() ? ImportName(path, lines->at(1)) : forcedName;
    const std::optional<QString> name = FreeName(wanted, ask);
    if (!name) return {};

    // The progress window shows only while nothing is asked or told: the writing.
    mProgress.ShowProgress(kImportCaption, kImportSteps, 0);
    struct Closer {
        Progress& progress;
        ~Closer() { progress.CloseProgress(); }
    } closer{mProgress};
    mProgress.StepProgress(1);
    if (!StoreFormat(*name, *elements)) return {};
    mProgress.StepProgress(1);
    CopyImageIn(path, *name);
    mProgress.CloseProgress();

    ImportResult result{true, *name, false};
    if (ask == Ask::Yes)
        result.openNow = mPrompter.Ask(QStringLiteral("格式") + Quoted(*name) + QStringLiteral("导入成功,立即调用此格式？"));
    return result;
}

std::optional<QStringList> FormatExchange::ReadExchangeLines(const QString& path)
{
    const QString unknown = QStringLiteral("无法识别此文件，请确认文件：") + Quoted(path) + QStringLiteral("为支票格式文件！");
    if (QFileInfo(path).size() > kLargestExchangeFile) {
        mPrompter.Message(unknown, Prompter::Icon::Warning);
        return std::nullopt;
    }
    const QString text = mFiles.ReadTextFile(path, false);
    if (text.isEmpty()) return std::nullopt;
    const QStringList lines = text.startsWith(kHeader + kCrLf) ? text.split(kCrLf) : QStringList();
    if (lines.size() < 3) {
        mPrompter.Message(unknown, Prompter::Icon::Warning);
        return std::nullopt;
    }
    if (!lines[1].contains(QStringLiteral("支票"))) {
        mPrompter.Message(QStringLiteral("此格式不属于支票，无法导入！"), Prompter::Icon::Warning);
        return std::nullopt;
    }
    return lines;
}

std::optional<QList<FormatExchange::Element>> FormatExchange::ParseElements(const QStringList& lines)
{
    QList<Element> elements;
    for (const QString& line : RepairedElementLines(lines)) {
        const QStringList fields = line.split(kSeparator);
        if (fields.size() < kRequiredFields) return std::nullopt;
        Element element;
        element.oldId = LeadingNumber(fields[0]);
        element.values.resize(kColumnCount);
        for (int i = 0; i < kColumnCount; ++i)
            element.values[i] = i < fields.size() ? ReadField(kColumns[i].kind, fields[i]) : QVariant(0.0);
        elements << element;
    }
    return elements;
}

std::optional<bool> FormatExchange::NameInUse(const QString& name)
{
    const Recordset found = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(name));
    if (!found.IsOpen()) return std::nullopt;
    return !found.Eof();
}

// Without questions a taken name simply ends the import: the command line and downloads must
// never overwrite or merge into a format that is already there.
std::optional<QString> FormatExchange::FreeName(QString name, Ask ask)
{
    for (;;) {
        const std::optional<bool> used = NameInUse(name);
        if (!used) return std::nullopt;
        // A free name must still not share its background file with another format.
        const QString prompt = *used ? QStringLiteral("格式：") + Quoted(name) + QStringLiteral("已存在，请另取格式名！")
                                     : FormatNameRule::Refusal(mDb, name);
        if (prompt.isEmpty()) return name;
        if (ask == Ask::No) {
            mPrompter.Message(prompt, Prompter::Icon::Warning);
            return std::nullopt;
        }
        const std::optional<QString> answer = mPrompter.Input(prompt, name, QStringLiteral("格式名输入"));
        name = answer.value_or(QString()).trimmed();
        if (name.isEmpty()) return std::nullopt;
    }
}

// All rows of the new format, references included, or none: a failure or a crash half way
// must never leave half a format behind.
bool FormatExchange::StoreFormat(const QString& name, const QList<Element>& elements)
{
    Transaction transaction(mDb.Db());
    QString error = transaction.Error();
    // The name is checked again under the write lock: another program may have taken it
    // since it was asked for.
    const std::optional<bool> used = transaction.Active() ? NameInUse(name) : std::nullopt;
    if (used.value_or(false)) error = QStringLiteral("格式：") + Quoted(name) + QStringLiteral("已存在，请另取格式名！");
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE FALSE"));
    bool stored = used == false && rows.IsOpen();
    for (const Element& element : elements) {
        if (!stored) break;
        rows.AddNew();
        rows.SetValue(QStringLiteral("Fmt"), name);
        for (int i = 1; i < kColumnCount; ++i) rows.SetValue(ColumnName(i), element.values[i]);
        if (!(stored = rows.Update(&error))) break;
    }
    stored = stored && Renumber(rows, elements, &error) && transaction.Commit();
    if (!stored) {
        mProgress.CloseProgress(); // a progress window never covers a message
        mPrompter.Message(QStringLiteral("格式：") + Quoted(name) + QStringLiteral("导入失败！") + kCrLf + error,
                          Prompter::Icon::Critical);
    }
    return stored;
}

// References point at the rows of the source database; each is moved to the new row that
// came from the line with that old ID, keeping its sign (a negated reference stays negated)
// and its fraction (a sum member that enters negated, 57.5 for result 57, stays one). A
// reference to no line of the file is kept as it was.
bool FormatExchange::Renumber(Recordset& rows, const QList<Element>& elements, QString* error)
{
    QHash<double, qint64> newIds;
    rows.MoveFirst();
    for (const Element& element : elements) {
        if (!newIds.contains(element.oldId)) newIds.insert(element.oldId, rows.Value(QStringLiteral("ID")).toLongLong());
        rows.MoveNext();
    }
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        for (const char* reference : kReferences) {
            const QString column = QLatin1String(reference);
            const double value = rows.Value(column).toDouble();
            const double whole = std::trunc(std::fabs(value));
            const auto found = newIds.constFind(whole);
            if (value == 0 || found == newIds.constEnd()) continue;
            const double moved = double(*found) + (std::fabs(value) - whole);
            rows.SetValue(column, value < 0 ? -moved : moved);
        }
        if (!rows.Update(error)) return false;
    }
    return true;
}

void FormatExchange::CopyImageIn(const QString& path, const QString& name)
{
    const QString image = ImagePathBeside(path);
    if (!QFileInfo(image).isFile()) return;
    const QString background = BackgroundImages::BackgroundPath(mFolder, name);
    if (!BackgroundImages::CopyBackground(image, background))
        mPrompter.Message(QStringLiteral("格式文件写入失败：") + background, Prompter::Icon::Critical);
}

} // namespace kestrio
