#include "FormatLibrary.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>

#include "ElementTable.h"
#include "Grid.h"
#include "GridFiller.h"
#include "Workspace.h"
#include "app/AppContext.h"
#include "images/BackgroundImages.h"
#include "convert/Decimal.h"
#include "seams/Prompter.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

namespace kestrio {

namespace {

QString WholeFormatCondition()
{
    return QStringLiteral("LBL=") + SqlQuote(FormatStore::WholeFormatLabel());
}

double Number(const QString& text)
{
    return Decimal::FromLeadingNumber(text).ToDouble();
}

QString PlainNumber(const QString& text)
{
    return Decimal::FromLeadingNumber(text).ToPlainText();
}

} // namespace

FormatLibrary::FormatLibrary(QString applicationFolder, DbOperate& db, Prompter& prompter, Progress& progress,
                             const ScreenInfo& screen)
    : mFolder(std::move(applicationFolder)), mDb(db), mPrompter(prompter), mProgress(progress), mScreen(screen)
{
}

FormatLibrary::FormatLibrary(AppContext& app)
    : FormatLibrary(app.Paths().Folder(), app.DbOp(), app.Prompt(), app.Indicator(), app.Screen())
{
}

FormatStore FormatLibrary::Store()
{
    return {mDb, mProgress, mScreen};
}

QStringList FormatLibrary::FormatNames()
{
    QStringList names;
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT Fmt FROM Fmt WHERE ") + WholeFormatCondition() +
                                   QStringLiteral(" AND Fmt<>'' ORDER BY Fmt"));
    for (; !rows.Eof(); rows.MoveNext()) {
        const QString name = rows.Text(0);
        if (!names.contains(name)) names << name;
    }
    return names;
}

QStringList FormatLibrary::FormatNames(const QString& keyword)
{
    QStringList names = FormatNames();
    if (keyword.isEmpty()) return names;
    QStringList found;
    for (const QString& name : names)
        if (name.contains(keyword, Qt::CaseSensitive)) found << name;
    return found;
}

QStringList FormatLibrary::ChooserNames()
{
    QStringList names;
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT Fmt FROM Fmt GROUP BY Fmt ORDER BY Fmt"));
    for (; !rows.Eof(); rows.MoveNext()) {
        const QString name = rows.Text(0);
        if (!name.isEmpty()) names << name;
    }
    return names;
}

QStringList FormatLibrary::ControlEntries(const ElementTable& table)
{
    QStringList entries;
    const QString bar = QStringLiteral("｜");
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row)
        entries << table.Text(row, ElementTable::ColId) + bar + table.Text(row, ElementTable::ColNumber) + bar +
                       table.Text(row, ElementTable::ColLbl);
    return entries;
}

QStringList FormatLibrary::KindEntries()
{
    return {QStringLiteral("0｜文本框"), QStringLiteral("1｜可选框"), QStringLiteral("2｜图像框"),
            QStringLiteral("3｜线条"), QStringLiteral("4｜标签")};
}

QString FormatLibrary::ChosenFromText(const QString& text)
{
    QString chosen = text.trimmed();
    const qsizetype bar = chosen.indexOf(QStringLiteral("｜"));
    if (bar >= 0) chosen = chosen.left(bar);
    return chosen;
}

QStringList FormatLibrary::FormatListColumnNames()
{
    return {QStringLiteral("ID"), QString(), QString(), QStringLiteral("Fmt"), QStringLiteral("W"), QStringLiteral("H")};
}

QStringList FormatLibrary::FormatListHeaders()
{
    return {QStringLiteral("ID"),       QStringLiteral("序号"),     QStringLiteral("选择"),
            QStringLiteral("格式名称"), QStringLiteral("宽(毫米)"), QStringLiteral("高(毫米)")};
}

// Chinese names in the order of their pinyin, as a clerk looks them up; the running numbers
// follow the new order.
void FormatLibrary::SortByPinyin(Grid& grid)
{
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    QList<QStringList> rows;
    for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.ColCount(); ++col) cells << grid.Text(row, col);
        rows << cells;
    }
    std::stable_sort(rows.begin(), rows.end(), [&collator](const QStringList& a, const QStringList& b) {
        return collator.compare(a.at(kNameColumn), b.at(kNameColumn)) < 0;
    });
    for (int i = 0; i < rows.size(); ++i) {
        const int row = grid.FixedRows() + i;
        for (int col = 0; col < grid.ColCount(); ++col) grid.SetText(row, col, rows.at(i).at(col));
        grid.SetText(row, kNumberColumn, QString::number(i + 1));
    }
}

int FormatLibrary::FillFormatList(Grid& grid, const QString& currentFormat)
{
    GridFiller::LayoutGrid(grid, FormatListColumnNames(), FormatListHeaders());
    grid.tag = QStringLiteral("Fmt");
    GridFiller::FillGrid(mDb, grid, WholeFormatCondition(), QStringLiteral("Fmt"));
    SortByPinyin(grid);
    const int row = grid.FindRow(kNameColumn, currentFormat);
    if (row >= 0) grid.SetText(row, kMarkColumn, QStringLiteral("√"));
    return row;
}

int FormatLibrary::FindInGrid(const Grid& grid, const QString& keyword, int firstColumn, int lastColumn,
                              int currentRow)
{
    if (keyword.isEmpty()) {
        mPrompter.Message(QStringLiteral("请先输入关键词！"));
        return -1;
    }
    const int first = grid.FixedRows();
    const int count = grid.RowCount() - first;
    if (count <= 0) return -1;
    const int start = currentRow < first || currentRow >= grid.RowCount() ? 0 : currentRow - first + 1;
    for (int step = 0; step < count; ++step) {
        const int row = first + (start + step) % count;
        for (int col = firstColumn; col <= lastColumn && col < grid.ColCount(); ++col)
            if (grid.Text(row, col).contains(keyword, Qt::CaseSensitive)) return row;
    }
    return -1;
}

bool FormatLibrary::ChooseFormat(Workspace& ws, const QString& name, bool force)
{
    QString chosen = name;
    if (chosen.isEmpty() && mHooks.chooseFromList) chosen = mHooks.chooseFromList();
    if (chosen.isEmpty()) return false;
    if (chosen == ws.formatName && !force) return false;
    if (chosen != ws.formatName) {
        if (mHooks.storeDefaults) mHooks.storeDefaults();
        ws.formatName = chosen;
    }
    FormatStore store = Store();
    store.LoadFormat(ws, chosen, mHooks.load);
    store.RememberLastFormat(ws, chosen);
    if (mHooks.afterChoose) mHooks.afterChoose();
    return true;
}

bool FormatLibrary::SaveCurrentFormat(Workspace& ws)
{
    if (mHooks.checkBoxes) mHooks.checkBoxes();
    FormatStore store = Store();
    if (store.SaveFormat(ws)) return true;
    mPrompter.Message(FormatStore::SaveFailedText() + QLatin1Char('\n') + store.LastError(), Prompter::Icon::Critical);
    return false;
}

bool FormatLibrary::SaveFormatAs(Workspace& ws, const QString& name)
{
    return SaveAs(ws, name, mHooks.storeDefaults);
}

bool FormatLibrary::SaveAs(Workspace& ws, const QString& name, const std::function<void()>& storeDefaults,
                           bool copyBackground)
{
    if (mHooks.checkBoxes) mHooks.checkBoxes();
    QString target = name;
    if (target.isEmpty() && mHooks.askFormatName) target = mHooks.askFormatName(true);
    if (target.isEmpty()) return false;
    return Store().SaveFormatAs(ws, target, mPrompter, mFolder, storeDefaults, copyBackground);
}

// One page size: asked until it is a number other than zero; an empty answer or cancel ends
// the whole command.
std::optional<QString> FormatLibrary::AskSize(const QString& prompt, const QString& preset, const QString& zeroMessage)
{
    for (;;) {
        const std::optional<QString> answer = mPrompter.Input(prompt, preset, NewFormatTitle());
        if (!answer || answer->trimmed().isEmpty()) return std::nullopt;
        if (Number(*answer) != 0) return answer;
        mPrompter.Message(zeroMessage, Prompter::Icon::Warning, NewFormatTitle());
    }
}

std::optional<FormatLibrary::NewFormatAnswers> FormatLibrary::AskNewFormat(const Workspace& ws)
{
    NewFormatAnswers answers;
    const std::optional<QString> name =
        mPrompter.Input(QStringLiteral("请输入需要新建的格式名称："), QString(), NewFormatTitle());
    if (!name || name->isEmpty()) return std::nullopt;
    answers.name = *name;
    for (;;) {
        const auto width = AskSize(QStringLiteral("输入格式模板宽度（单位：毫米）："), ws.widthText,
                                   QStringLiteral("单据宽度不能为零！"));
        if (!width) return std::nullopt;
        const auto height = AskSize(QStringLiteral("输入格式模板高度（单位：毫米）："), ws.heightText,
                                    QStringLiteral("单据高度不能为零！"));
        if (!height) return std::nullopt;
        if (RatioAllowed(Number(*width), Number(*height))) {
            answers.width = *width;
            answers.height = *height;
            return answers;
        }
        mPrompter.Message(QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间,请重新输入！"), Prompter::Icon::Warning,
                          NewFormatTitle());
    }
}

bool FormatLibrary::NewFormat(Workspace& ws)
{
    const std::optional<NewFormatAnswers> answers = AskNewFormat(ws);
    if (!answers) return false;
    return MakeNewFormat(ws, *answers);
}

bool FormatLibrary::MakeNewFormat(Workspace& ws, const NewFormatAnswers& answers)
{
    // The present contents are kept as the old format's defaults before its boxes go; the
    // save under the new name must not store the emptied boxes over them.
    if (mHooks.storeDefaults) mHooks.storeDefaults();
    ws.table.Clear();
    ws.ClearContents();
    // A new format prints on paper of its own size until the user says otherwise.
    ws.setPaper = true;
    if (mHooks.removeElements) mHooks.removeElements();
    const double width = Number(answers.width), height = Number(answers.height);
    if (width != ws.Width() || height != ws.Height()) {
        ws.widthText = PlainNumber(answers.width);
        ws.heightText = PlainNumber(answers.height);
        if (mHooks.resizePage) mHooks.resizePage();
    }
    // A new format starts blank, without the old format's background, and fitting the
    // printer's paper to itself.
    ws.setPaper = true;
    return SaveAs(ws, answers.name, {}, false);
}

bool FormatLibrary::DeleteFormat(const QString& name, const QString& currentFormat)
{
    QString chosen = name;
    if (chosen.isEmpty() && mHooks.askFormatName) chosen = mHooks.askFormatName(false);
    if (chosen.isEmpty()) return false;
    if (chosen == currentFormat) {
        mPrompter.Message(QStringLiteral("此格式为当前格式，不允许删除！"), Prompter::Icon::Warning);
        return false;
    }
    if (!mPrompter.Ask(QStringLiteral("您确定要删除格式：“") + chosen + QStringLiteral("”？"))) return false;
    // The format goes wholly or not at all: its bills, its mapping and its rows together.
    const QString where = QStringLiteral(" WHERE Fmt=") + SqlQuote(chosen);
    Transaction transaction(mDb.Db());
    QString error = transaction.Error();
    const bool deleted = transaction.Active() && mDb.ExecuteSql(QStringLiteral("DELETE * FROM 历史") + where, &error) &&
                         mDb.ExecuteSql(QStringLiteral("DELETE * FROM 映射") + where, &error) &&
                         mDb.ExecuteSql(QStringLiteral("DELETE * FROM Fmt") + where, &error) && transaction.Commit();
    if (!deleted) {
        if (error.isEmpty()) error = transaction.Error();
        mPrompter.Message(QStringLiteral("格式删除失败！\n") + error, Prompter::Icon::Critical);
        return false;
    }
    RemoveUnusedBackground(chosen);
    return true;
}

// The deleted format's picture goes too, unless another format's name leads to the same file.
void FormatLibrary::RemoveUnusedBackground(const QString& deleted)
{
    const QString safe = BackgroundImages::SafeName(deleted);
    Recordset names = mDb.OpenQuery(QStringLiteral("SELECT DISTINCT Fmt FROM Fmt WHERE LBL=") +
                                    SqlQuote(FormatStore::WholeFormatLabel()));
    if (!names.IsOpen()) return;
    for (; !names.Eof(); names.MoveNext())
        if (BackgroundImages::SafeName(names.Text(0)) == safe) return;
    QFile::remove(BackgroundImages::BackgroundPath(mFolder, deleted));
}

bool FormatLibrary::RatioAllowed(double width, double height)
{
    if (height == 0) return false;
    const double ratio = width / height;
    return !(ratio > 20 || ratio < 1.0 / 20);
}

bool FormatLibrary::ChangePageSize(Workspace& ws, const QString& width, const QString& height)
{
    const double w = Number(width), h = Number(height);
    if (!RatioAllowed(w, h)) {
        mPrompter.Message(QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间！"), Prompter::Icon::Warning);
        return false;
    }
    if (w != ws.Width() || h != ws.Height()) {
        ws.widthText = PlainNumber(width);
        ws.heightText = PlainNumber(height);
        if (mHooks.resizePage) mHooks.resizePage();
    }
    return true;
}

} // namespace kestrio
