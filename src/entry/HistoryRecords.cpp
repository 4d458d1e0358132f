#include "HistoryRecords.h"

#include "HistoryGrid.h"
#include "format/Workspace.h"
#include "seams/Clock.h"
#include "seams/Prompter.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"
#include "storage/SqlQuote.h"
#include "storage/Transaction.h"

#include <algorithm>

namespace kestrio {

namespace {

QString FormatIs(const QString& format)
{
    return QStringLiteral(" WHERE Fmt=") + SqlQuote(format);
}

} // namespace

qint64 HistoryRecords::NextRecordNumber(const QString& format, QString* error)
{
    // The largest number only: read through the index, not every bill of the format.
    const Recordset numbers = mDb.Db().Query(QStringLiteral("SELECT TOP 1 ID FROM 历史") + FormatIs(format) +
                                             QStringLiteral(" ORDER BY ID DESC"),
                                             error);
    if (!numbers.IsOpen()) return -1;
    if (numbers.Eof()) return 1;
    return numbers.Value(QStringLiteral("ID")).toLongLong() + 1;
}

qint64 HistoryRecords::StoreRecord(const Workspace& ws)
{
    QString error;
    const qint64 number = TryStoreRecord(ws, &error);
    if (number < 0) mPrompter.Message(StoreFailedText() + QLatin1Char('\n') + error, Prompter::Icon::Critical);
    return number;
}

qint64 HistoryRecords::TryStoreRecord(const Workspace& ws, QString* error)
{
    Transaction transaction(mDb.Db());
    if (!transaction.Active()) {
        if (error) *error = transaction.Error();
        return -1;
    }
    const qint64 number = NextRecordNumber(ws.formatName, error);
    if (number < 0) return -1;
    Recordset rows = mDb.Db().Query(QStringLiteral("SELECT * FROM 历史 WHERE FALSE"), error);
    if (!rows.IsOpen()) return -1;
    int stored = 0;
    // Whole seconds: the time is shown and exported as yyyy-MM-dd hh:mm:ss.
    QDateTime now = mClock ? mClock->Now() : SystemClock().Now();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    for (int kind : {ElementTable::TextBox, ElementTable::CheckBox, ElementTable::PictureBox}) {
        const int added = AddRowsOfKind(ws, kind, number, now, rows, error);
        if (added < 0) return -1;
        stored += added;
    }
    if (stored == 0) return 0;
    if (!transaction.Commit()) {
        if (error) *error = transaction.Error();
        return -1;
    }
    return number;
}

// The rows written, or -1 (with `error`) at the first row that could not be written: a
// bill is stored whole or not at all.
int HistoryRecords::AddRowsOfKind(const Workspace& ws, int kind, qint64 number, const QDateTime& storedAt,
                                  Recordset& rows, QString* error)
{
    int stored = 0;
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != kind) continue;
        const QString content = ws.GetBoxContent(row);
        if (content.isEmpty()) continue;
        rows.AddNew();
        rows.SetValue(QStringLiteral("ID"), number);
        rows.SetValue(QStringLiteral("Fmt"), ws.formatName);
        rows.SetValue(QStringLiteral("CID"), ws.table.Id(row));
        rows.SetValue(QStringLiteral("Con"), content);
        rows.SetValue(SchemaUpgrade::SaveTimeColumn(), storedAt);
        if (!rows.Update(error)) return -1;
        ++stored;
    }
    return stored;
}

bool HistoryRecords::SaveDefaults(const Workspace& ws)
{
    QString error;
    if (WriteDefaults(ws, &error)) return true;
    mPrompter.Message(QStringLiteral("默认内容保存失败！\n") + error, Prompter::Icon::Critical);
    return false;
}

bool HistoryRecords::WriteDefaults(const Workspace& ws, QString* error)
{
    Transaction transaction(mDb.Db());
    *error = transaction.Error();
    if (!transaction.Active() || !mDb.ExecuteSql(QStringLiteral("DELETE * FROM 默认") + FormatIs(ws.formatName), error))
        return false;
    Recordset rows = mDb.Db().Query(QStringLiteral("SELECT * FROM 默认 WHERE FALSE"), error);
    for (int kind = ElementTable::TextBox; kind <= ElementTable::Label; ++kind) {
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
            if (ws.table.KindOf(row) != kind) continue;
            const QString content = ws.GetBoxContent(row);
            if (content.isEmpty()) continue;
            rows.AddNew();
            rows.SetValue(QStringLiteral("ID"), ws.table.Id(row));
            rows.SetValue(QStringLiteral("Fmt"), ws.formatName);
            rows.SetValue(QStringLiteral("Con"), content);
            if (!rows.Update(error)) return false;
        }
    }
    if (transaction.Commit()) return true;
    *error = transaction.Error();
    return false;
}

void HistoryRecords::LoadDefaults(Workspace& ws)
{
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT * FROM 默认") + FormatIs(ws.formatName));
    for (; !rows.Eof(); rows.MoveNext()) {
        const int row = ws.table.RowOfId(rows.Value(QStringLiteral("ID")).toLongLong());
        if (row >= 0) ws.SetBoxContent(row, rows.Text(QStringLiteral("Con")));
    }
}

bool HistoryRecords::DeleteHistoryRows(HistoryGrid& grid)
{
    const int r1 = std::min(grid.Row(), grid.RowSel());
    const int r2 = std::max(grid.Row(), grid.RowSel());
    if (!grid.IsDataRow(r1) || !grid.IsDataRow(r2)) return false;
    const QString question = QStringLiteral("您确定要删除第") + QString::number(r1 - 1) + QStringLiteral("至第") +
                             QString::number(r2 - 1) + QStringLiteral("行？");
    if (!mPrompter.Ask(question)) return false;
    Transaction transaction(mDb.Db());
    QString error = transaction.Error();
    bool ok = transaction.Active();
    for (int row = r1; ok && row <= r2; ++row) {
        const QString number = QString::number(grid.grid().Text(row, HistoryGrid::kRecordCol).toLongLong());
        ok = mDb.ExecuteSql(QStringLiteral("DELETE * FROM 历史") + FormatIs(grid.FormatName()) +
                                QStringLiteral(" AND ID=") + number,
                            &error);
    }
    if (ok && !transaction.Commit()) {
        ok = false;
        error = transaction.Error();
    }
    if (!ok) {
        mPrompter.Message(QStringLiteral("历史记录删除失败！\n") + error, Prompter::Icon::Critical);
        return false;
    }
    grid.RemoveRows(r1, r2);
    return true;
}

bool HistoryRecords::ClearHistory(HistoryGrid& grid)
{
    if (grid.DataRowCount() == 0) return false;
    grid.SelectRows(HistoryGrid::kFirstDataRow, grid.grid().RowCount() - 1);
    return DeleteHistoryRows(grid);
}

bool HistoryRecords::FindInHistory(HistoryGrid& grid, const QString& keyword)
{
    const QString word = keyword.trimmed();
    const int count = grid.DataRowCount();
    if (word.isEmpty() || count == 0) return false;
    int start = grid.IsDataRow(grid.Row()) ? grid.Row() : HistoryGrid::kFirstDataRow;
    if (grid.IsDataRow(grid.Row()) && grid.WholeRowSelected()) ++start;
    for (int step = 0; step < count; ++step) {
        const int row = HistoryGrid::kFirstDataRow + (start - HistoryGrid::kFirstDataRow + step) % count;
        if (!RowMatches(grid, row, word)) continue;
        grid.SelectRows(row, row);
        grid.SetTopRow(row);
        return true;
    }
    mPrompter.Message(QStringLiteral("没有查到相关的记录！"));
    return false;
}

bool HistoryRecords::RowMatches(const HistoryGrid& grid, int row, const QString& keyword)
{
    for (int col = HistoryGrid::kFirstBoxCol; col <= grid.LastBoxCol(); ++col)
        if (grid.grid().Text(row, col).contains(keyword)) return true;
    return false;
}

} // namespace kestrio
