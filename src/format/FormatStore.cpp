#include "FormatStore.h"

#include "FormatNameRule.h"

#include "ElementTable.h"
#include "GridFiller.h"
#include "Workspace.h"
#include "convert/Decimal.h"
#include "images/BackgroundImages.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"
#include "seams/ScreenInfo.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <QFileInfo>
#include <QStringList>
#include <cmath>

namespace kestrio {

namespace {

QString Plain(double value)
{
    // Millimetres carry at most a few decimals; six keep binary noise (10 − 9.9) out.
    QString text = QString::number(value, 'f', 6);
    while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

double Number(const QString& text)
{
    return Decimal::FromLeadingNumber(text).ToDouble();
}

} // namespace

double FormatStore::DisplayScale(int savedScreenTwips, int screenTwips)
{
    if (savedScreenTwips == screenTwips) return 1;
    const int saved = savedScreenTwips == 0 ? 15360 : savedScreenTwips;
    return (screenTwips - 340.0) / (saved - 340.0);
}

QString FormatStore::TenMinus(const QString& text)
{
    return Plain(10 - Number(text));
}

void FormatStore::LoadFormat(Workspace& ws, const QString& name, const LoadHooks& hooks)
{
    ws.formatName = name;
    ws.ClearContents();
    mProgress.ShowProgress(QStringLiteral("正在初始化格式……"), 6, 0);
    mProgress.StepProgress(1, QStringLiteral("pages"));
    LoadWholeFormat(ws, name);
    mProgress.StepProgress(1, QStringLiteral("pages"));
    if (hooks.sizeCanvas) hooks.sizeCanvas();
    mProgress.StepProgress(1, QStringLiteral("pages"));
    FillElementTable(ws, name);
    LoadFixedTexts(ws, name);
    mProgress.StepProgress(1, QStringLiteral("pages"));
    if (hooks.rebuildElements) hooks.rebuildElements();
    mProgress.StepProgress(1, QStringLiteral("pages"));
    if (hooks.loadDefaults) hooks.loadDefaults();
    mProgress.CloseProgress();
}

bool FormatStore::LoadWholeFormat(Workspace& ws, const QString& name)
{
    const QString formatName = name.isEmpty() ? ws.formatName : name;
    const Recordset row = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(formatName) +
                                        QStringLiteral(" AND LBL=") + SqlQuote(WholeFormatLabel()));
    if (row.Eof()) return false;
    ws.widthText = row.Text(QStringLiteral("W"));
    ws.heightText = row.Text(QStringLiteral("H"));
    ws.offsetXText = TenMinus(row.Text(QStringLiteral("X")));
    ws.offsetYText = TenMinus(row.Text(QStringLiteral("Y")));
    ws.displayScale = DisplayScale(row.Value(QStringLiteral("Color")).toInt(), mScreen.ScreenWidthTwips());
    ws.ApplyOptionString(row.Text(QStringLiteral("Mem")));
    return true;
}

void FormatStore::FillElementTable(Workspace& ws, const QString& name)
{
    ElementTable& table = ws.table;
    table.Clear();
    GridFiller::FillGrid(mDb, table.grid(),
                         QStringLiteral("Fmt=") + SqlQuote(name) + QStringLiteral(" AND LBL<>") + SqlQuote(WholeFormatLabel()),
                         QStringLiteral("Clas,ID"));
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
        table.SetText(row, ElementTable::ColDir, ElementTable::DirText(static_cast<int>(table.Number(row, ElementTable::ColDir))));
        if (ws.displayScale != 1)
            table.SetText(row, ElementTable::ColFontSize,
                          GridFiller::TwoDecimals(table.Number(row, ElementTable::ColFontSize) * ws.displayScale));
    }
    table.grid().SetColumnWidth(ElementTable::ColId, 900);
}

// A text box without caption shows the fixed text kept in its row.
void FormatStore::LoadFixedTexts(Workspace& ws, const QString& name)
{
    Recordset walk = mDb.OpenQuery(QStringLiteral("SELECT ID,Mem FROM Fmt WHERE Fmt=") + SqlQuote(name) +
                                   QStringLiteral(" AND Clas=0 AND (LBL='' OR LBL IS NULL)"));
    for (; !walk.Eof(); walk.MoveNext()) {
        const int row = ws.table.RowOfId(walk.Value(QStringLiteral("ID")).toLongLong());
        if (row >= 0) ws.SetBoxText(row, walk.Text(QStringLiteral("Mem")));
    }
}

bool FormatStore::SaveFormat(Workspace& ws, const QString& name)
{
    const QString formatName = name.isEmpty() ? ws.formatName : name;
    mProgress.ShowProgress(QStringLiteral("正在保存格式……"), ws.table.RowCount() + 1, 0);
    // Saving gives new elements their IDs in the open format; a save that is undone must
    // take them back too, or the open format would name rows that do not exist.
    const Workspace before = ws;
    Transaction transaction(mDb.Db());
    bool ok = transaction.Active() && WriteElements(ws, formatName) &&
              SaveWholeFormat(ws, ws.widthText, ws.heightText, TenMinus(ws.offsetXText), TenMinus(ws.offsetYText),
                              formatName);
    ok = ok && transaction.Commit();
    mLastError = ok ? QString() : (transaction.Error().isEmpty() ? mDb.Db().LastError() : transaction.Error());
    if (!ok) ws = before;
    mProgress.CloseProgress();
    return ok;
}

bool FormatStore::WriteElements(Workspace& ws, const QString& name)
{
    ElementTable& table = ws.table;
    Recordset q = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(name) + QStringLiteral(" ORDER BY ID"));
    if (!q.IsOpen()) return false;
    // Rows of elements no longer in the table go, and so does the whole-format row, which is
    // written anew below.
    for (q.MoveFirst(); !q.Eof(); q.MoveNext())
        if (table.RowOfId(q.Value(QStringLiteral("ID")).toLongLong()) < 0 && !q.Delete()) return false;
    mProgress.StepProgress(1, QStringLiteral("pages"));

    QHash<qint64, qint64> newIds;
    for (int r = ElementTable::kFirstRow; r < table.RowCount(); ++r) {
        const qint64 oldId = table.Id(r);
        q.MoveFirst();
        while (!q.Eof() && q.Value(QStringLiteral("ID")).toLongLong() != oldId) q.MoveNext();
        if (q.Eof()) q.AddNew();
        q.SetValue(QStringLiteral("Fmt"), name);
        q.SetValue(QStringLiteral("LBL"), table.Text(r, ElementTable::ColLbl));
        q.SetValue(QStringLiteral("Clas"), table.Text(r, ElementTable::ColClas));
        q.SetValue(QStringLiteral("Dir"), ElementTable::DirCode(table.Text(r, ElementTable::ColDir)));
        for (int col = ElementTable::ColX; col <= ElementTable::ColL; ++col)
            q.SetValue(ElementTable::ColumnNames()[col], table.Text(r, col));
        q.SetValue(QStringLiteral("Color"), table.Color(r));
        q.SetValue(QStringLiteral("fName"), table.Text(r, ElementTable::ColFontName));
        q.SetValue(QStringLiteral("fSize"), table.Text(r, ElementTable::ColFontSize));
        for (int col = ElementTable::ColBold; col <= ElementTable::ColStrikethru; ++col)
            q.SetValue(ElementTable::ColumnNames()[col], !table.Text(r, col).isEmpty());
        for (int col : {ElementTable::ColCash, ElementTable::ColRCtl, ElementTable::ColRCtl1, ElementTable::ColSumId,
                        ElementTable::ColSumId1})
            q.SetValue(ElementTable::ColumnNames()[col], table.Text(r, col));
        const bool fixedText = table.KindOf(r) == ElementTable::TextBox && table.Text(r, ElementTable::ColLbl).isEmpty();
        if (fixedText) q.SetValue(QStringLiteral("Mem"), ws.BoxText(r));
        if (!q.Update()) return false;

        newIds.insert(oldId, q.Value(QStringLiteral("ID")).toLongLong());
        mProgress.StepProgress(1, QStringLiteral("pages"));
    }
    for (int r = ElementTable::kFirstRow; r < table.RowCount(); ++r) {
        const qint64 oldId = table.Id(r);
        table.SetText(r, ElementTable::ColId, QString::number(newIds.value(oldId)));
        ws.RenameContent(oldId, newIds.value(oldId));
    }
    table.Repoint(newIds);
    return WriteReferences(ws.table, q);
}

// References are re-pointed once all IDs are known and then written as the table holds them:
// a row stored early may name an element that got its ID only later (a new element, or
// every element when saving under another name), and no row may keep a temporary or
// foreign ID.
bool FormatStore::WriteReferences(const ElementTable& table, Recordset& q)
{
    static const int columns[] = {ElementTable::ColRCtl, ElementTable::ColRCtl1, ElementTable::ColSumId,
                                  ElementTable::ColSumId1};
    for (q.MoveFirst(); !q.Eof(); q.MoveNext()) {
        const int r = table.RowOfId(q.Value(QStringLiteral("ID")).toLongLong());
        if (r < 0) continue;
        bool changed = false;
        for (int col : columns) {
            const QString name = ElementTable::ColumnNames()[col];
            if (q.Value(name).toDouble() == table.Number(r, col)) continue;
            q.SetValue(name, table.Text(r, col));
            changed = true;
        }
        if (changed && !q.Update()) return false;
    }
    return true;
}

bool FormatStore::FormatExists(const QString& name)
{
    return !mDb.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=") + SqlQuote(name), QStringLiteral("ID")).isEmpty();
}

bool FormatStore::SaveFormatAs(Workspace& ws, const QString& name, Prompter& prompter, const QString& applicationFolder,
                               const std::function<void()>& storeDefaults, bool copyBackground)
{
    if (name.isEmpty()) return false;
    const QString refused = FormatNameRule::Refusal(mDb, name);
    if (!refused.isEmpty()) {
        prompter.Message(refused, Prompter::Icon::Warning);
        return false;
    }
    // The picture goes by the safe name, where backgrounds live, so names holding characters
    // a file name cannot hold keep their background too.
    const QString from = BackgroundImages::BackgroundPath(applicationFolder, ws.formatName);
    const QString to = BackgroundImages::BackgroundPath(applicationFolder, name);
    if (copyBackground && !QFileInfo::exists(to)) BackgroundImages::CopyBackground(from, to);
    if (storeDefaults) storeDefaults();
    if (FormatExists(name) && !prompter.Ask(QStringLiteral("该格式已经存在，是否覆盖？")))
        return false;
    const QString previousName = ws.formatName;
    if (!SaveFormat(ws, name)) {
        prompter.Message(SaveFailedText() + QLatin1Char('\n') + mLastError, Prompter::Icon::Critical);
        return false;
    }
    ws.formatName = name;
    if (!SaveFormat(ws)) {
        ws.formatName = previousName;
        prompter.Message(SaveFailedText() + QLatin1Char('\n') + mLastError, Prompter::Icon::Critical);
        return false;
    }
    RememberLastFormat(ws, name);
    return true;
}

bool FormatStore::SaveWholeFormat(const Workspace& ws, const QString& width, const QString& height, const QString& x,
                                  const QString& y, const QString& name)
{
    const QString formatName = name.isEmpty() ? ws.formatName : name;
    Recordset row = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(formatName) +
                                  QStringLiteral(" AND LBL=") + SqlQuote(WholeFormatLabel()));
    if (!row.IsOpen()) return false;
    if (row.Eof()) row.AddNew();
    row.SetValue(QStringLiteral("Fmt"), formatName);
    row.SetValue(QStringLiteral("LBL"), WholeFormatLabel());
    row.SetValue(QStringLiteral("W"), width);
    row.SetValue(QStringLiteral("H"), height);
    row.SetValue(QStringLiteral("X"), x);
    row.SetValue(QStringLiteral("Y"), y);
    row.SetValue(QStringLiteral("Color"), mScreen.ScreenWidthTwips());
    row.SetValue(QStringLiteral("Mem"), ws.OptionString());
    return row.Update();
}

bool FormatStore::StorePrintSettings(const Workspace& ws)
{
    Recordset row = mDb.OpenQuery(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=") + SqlQuote(ws.formatName) +
                                  QStringLiteral(" AND LBL=") + SqlQuote(WholeFormatLabel()));
    if (!row.IsOpen() || row.Eof()) return false;
    row.SetValue(QStringLiteral("X"), TenMinus(ws.offsetXText));
    row.SetValue(QStringLiteral("Y"), TenMinus(ws.offsetYText));
    row.SetValue(QStringLiteral("Mem"), ws.OptionString());
    return row.Update();
}

QString FormatStore::ReadLastFormat(Workspace& ws)
{
    const QString name = mDb.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("LBL"));
    const QString options = mDb.FieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=''"), QStringLiteral("fName"));
    if (!options.isEmpty()) {
        const QStringList fields = options.split(QStringLiteral("§☆§"));
        for (int i = 0; i < 3 && i < fields.size(); ++i)
            ws.options[i] = static_cast<int>(std::nearbyint(Number(fields[i])));
    }
    return name;
}

bool FormatStore::RememberLastFormat(const Workspace& ws, const QString& name)
{
    const QString formatName = name.isEmpty() ? ws.formatName : name;
    const QString options = QStringLiteral("%1§☆§%2§☆§%3").arg(ws.options[0]).arg(ws.options[1]).arg(ws.options[2]);
    return mDb.ExecuteSql(QStringLiteral("UPDATE Fmt SET LBL=") + SqlQuote(formatName) + QStringLiteral(",fName=") +
                   SqlQuote(options) + QStringLiteral(" WHERE Fmt=''"));
}

} // namespace kestrio
