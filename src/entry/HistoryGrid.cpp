#include "HistoryGrid.h"

#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "seams/Progress.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"

#include <algorithm>

namespace kestrio {

namespace {
// Above this many history rows the load shows the progress indicator.
constexpr int kQuietRows = 300;
} // namespace

bool HistoryGrid::LoadHistoryGrid(const Workspace& ws, int limit)
{
    const QString tag = ws.formatName + QLatin1Char('|') + QString::number(limit);
    if (mGrid.tag == tag) return false;
    mGrid.tag = tag;
    Rebuild(ws.formatName);
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT * FROM 历史 WHERE Fmt=") + SqlQuote(ws.formatName) +
                                   QStringLiteral(" ORDER BY ID DESC"));
    const int total = rows.RecordCount();
    if (limit <= 0 || limit > total) limit = total;
    mShowAllEnabled = limit < total;
    if (total > kQuietRows) mProgress.ShowProgress(QStringLiteral("正在加载历史记录……"), total, 0);
    ReadRows(rows, limit);
    if (total > kQuietRows) mProgress.CloseProgress();
    for (int col = 0; col < mGrid.ColCount(); ++col) mGrid.SetColumnWidth(col, 0);
    ResetView();
    return true;
}

void HistoryGrid::Rebuild(const QString& format)
{
    mFormat = format;
    Recordset boxes = mDb.OpenQuery(QStringLiteral("SELECT ID,LBL FROM Fmt WHERE Fmt=") + SqlQuote(format) +
                                          QStringLiteral(" AND LBL<>") + SqlQuote(FormatStore::WholeFormatLabel()) +
                                          QStringLiteral(" AND Clas<=2 ORDER BY ID"));
    mGrid.SetSize(0, 0);
    mGrid.SetFixed(kFirstDataRow, kFirstBoxCol);
    mGrid.SetSize(kFirstDataRow, kFirstBoxCol + boxes.RecordCount());
    mGrid.SetText(1, kNumberCol, QStringLiteral("序号"));
    for (int col = kFirstBoxCol; !boxes.Eof(); boxes.MoveNext(), ++col) {
        mGrid.SetText(0, col, boxes.Text(QStringLiteral("ID")));
        mGrid.SetText(1, col, boxes.Text(QStringLiteral("LBL")));
    }
}

void HistoryGrid::ReadRows(Recordset& rows, int limit)
{
    const bool stepping = rows.RecordCount() > kQuietRows;
    qint64 previousId = 0;
    for (int read = 0; read < limit && !rows.Eof(); ++read, rows.MoveNext()) {
        PlaceRow(rows, previousId);
        if (stepping) mProgress.StepProgress(1);
    }
}

void HistoryGrid::PlaceRow(Recordset& rows, qint64& previousId)
{
    const qint64 id = rows.Value(QStringLiteral("ID")).toLongLong();
    if (mGrid.RowCount() == kFirstDataRow || id != previousId) {
        const int row = mGrid.AddRow();
        mGrid.SetText(row, kRecordCol, QString::number(id));
        mGrid.SetText(row, kNumberCol, QString::number(row - kFirstDataRow + 1));
        previousId = id;
    }
    const QString cid = rows.Text(QStringLiteral("CID"));
    for (int col = kFirstBoxCol; col < mGrid.ColCount(); ++col) {
        if (mGrid.Text(0, col) != cid) continue;
        mGrid.SetText(mGrid.RowCount() - 1, col, rows.Text(QStringLiteral("Con")));
        return;
    }
}

void HistoryGrid::ResetView()
{
    mRow = mRowSel = mTopRow = kFirstDataRow;
    mCol = mColSel = kFirstBoxCol;
}

int HistoryGrid::DataRowCount() const
{
    return std::max(0, mGrid.RowCount() - kFirstDataRow);
}

void HistoryGrid::SetCurrent(int row, int col)
{
    mRow = mRowSel = row;
    mCol = mColSel = col;
}

void HistoryGrid::SetSelection(int rowSel, int colSel)
{
    mRowSel = rowSel;
    mColSel = colSel;
}

void HistoryGrid::SelectRows(int from, int to)
{
    mRow = from;
    mRowSel = to;
    mCol = kFirstBoxCol;
    mColSel = LastBoxCol();
}

bool HistoryGrid::WholeRowSelected() const
{
    if (mGrid.ColCount() <= kFirstBoxCol) return false;
    return mRow == mRowSel && std::min(mCol, mColSel) <= kFirstBoxCol && std::max(mCol, mColSel) >= LastBoxCol();
}

void HistoryGrid::RemoveRows(int first, int last)
{
    for (int row = last; row >= first; --row) mGrid.RemoveRow(row);
    const int row = std::min(first, std::max(kFirstDataRow, mGrid.RowCount() - 1));
    mRow = mRowSel = row;
    if (row < mTopRow) mTopRow = row;
}

} // namespace kestrio
