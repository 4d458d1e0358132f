#include "BatchGrid.h"

#include "MappingExpression.h"
#include "RecordNumbering.h"
#include "SourceRows.h"
#include "entry/DataEntry.h"
#include "format/Workspace.h"
#include "seams/Progress.h"

namespace kestrio {

QString BatchGrid::BatchValue(QString value, const QString& marker)
{
    if (value.endsWith(u'\t')) value.chop(1);
    if (!value.contains(u'\n') && !value.contains(u'\r')) return value;
    QString kept;
    kept.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\r' && c != u'\n') {
            kept += c;
            continue;
        }
        kept += marker;
        if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') ++i;
    }
    return kept;
}

void BatchGrid::Build(const Workspace& ws, const QHash<qint64, QString>& expressions)
{
    mColumnRows.clear();
    mBase.clear();
    mSourceRows.clear();
    mFormat = ws.formatName;
    for (int kind : {ElementTable::TextBox, ElementTable::CheckBox, ElementTable::PictureBox})
        for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row)
            if (ws.table.KindOf(row) == kind) mColumnRows << row;
    mGrid.SetSize(0, 0);
    mGrid.SetFixed(kFirstDataRow, 0);
    mGrid.SetSize(kFirstDataRow, static_cast<int>(mColumnRows.size()));
    mGrid.SetRowHidden(0, true);
    for (int col = 0; col < mColumnRows.size(); ++col) {
        const int row = mColumnRows[col];
        const qint64 id = ws.table.Id(row);
        mGrid.SetText(0, col, QString::number(id));
        mGrid.SetText(1, col, ws.table.Text(row, ElementTable::ColLbl));
        mGrid.SetColumnHidden(col, expressions.value(id).trimmed().isEmpty());
        mBase.insert(id, ws.GetBoxContent(row));
    }
}

void BatchGrid::Fill(const Workspace& ws, const QHash<qint64, QString>& expressions, const SourceRows& rows,
                     const RecordNumbering& numbering, Progress& progress)
{
    Build(ws, expressions);
    QList<MappingExpression> parsed;
    for (int row : mColumnRows) parsed << MappingExpression(expressions.value(ws.table.Id(row)));
    const int bills = numbering.BillCount();
    mGrid.SetSize(kFirstDataRow + bills, mGrid.ColCount());
    progress.ShowProgress(QStringLiteral("正在读取EXCEL数据……"), bills, 0);
    for (int bill = 0; bill < bills; ++bill) {
        const int sourceRow = numbering.FirstRowOf(bill);
        mSourceRows << sourceRow;
        for (int col = 0; col < parsed.size(); ++col)
            if (!parsed[col].IsEmpty())
                mGrid.SetText(kFirstDataRow + bill, col, BatchValue(parsed[col].Evaluate(rows, sourceRow), ws.lineBreakMarker));
        progress.StepProgress(1);
    }
    progress.CloseProgress();
    mCurrent = bills > 0 ? 0 : -1;
}

QString BatchGrid::BillContext(int bill) const
{
    return QStringLiteral("第%1张单据（第%2行）：").arg(bill + 1).arg(SourceRowOf(bill));
}

bool BatchGrid::ShowBill(int bill, Workspace& ws, DataEntry& entry, QList<Refusal>* refusals)
{
    if (bill < 0 || bill >= BillCount()) return false;
    for (auto it = mBase.cbegin(); it != mBase.cend(); ++it) ws.SetBoxContent(ws.table.RowOfId(it.key()), it.value());
    for (int col = 0; col < mColumnRows.size(); ++col) {
        if (mGrid.ColumnHidden(col)) continue;
        const int row = ws.table.RowOfId(mGrid.Text(0, col).toLongLong());
        if (row < 0) continue; // the box was deleted since the import
        ws.SetBoxContent(row, mGrid.Text(kFirstDataRow + bill, col));
        if (ws.table.KindOf(row) != ElementTable::TextBox) continue;
        const QString refusal = entry.LeaveBox(ws, row);
        if (!refusal.isEmpty() && refusals) refusals->append({row, refusal});
    }
    mCurrent = bill;
    return true;
}

void BatchGrid::RemoveBills(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, BillCount() - 1);
    for (int bill = last; bill >= first; --bill) {
        mGrid.RemoveRow(kFirstDataRow + bill);
        if (bill < mSourceRows.size()) mSourceRows.removeAt(bill);
    }
    if (mCurrent > last) mCurrent -= last - first + 1;
    else if (mCurrent >= first) mCurrent = first;
    mCurrent = std::min(mCurrent, BillCount() - 1);
    if (BillCount() == 0) mCurrent = -1;
}

void BatchGrid::Clear()
{
    mGrid.SetSize(kFirstDataRow, mGrid.ColCount());
    mSourceRows.clear();
    mCurrent = -1;
}

} // namespace kestrio
