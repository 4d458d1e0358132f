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
    // Count first, then read only the bills that are shown: a format may hold a hundred
    // thousand history rows and the tab shows 300 bills.
    QString where = QStringLiteral(" FROM 历史 WHERE Fmt=") + SqlQuote(ws.formatName);
    const int bills = mDb.OpenQuery(QStringLiteral("SELECT COUNT(*) AS N FROM (SELECT DISTINCT ID") + where +
                                    QLatin1Char(')'))
                          .Value(0)
                          .toInt();
    mShowAllEnabled = limit > 0 && limit < bills;
    if (mShowAllEnabled) where += QStringLiteral(" AND ID>=") + QString::number(OldestShownRecord(where, limit));
    const int total = mDb.OpenQuery(QStringLiteral("SELECT COUNT(*) AS N") + where).Value(0).toInt();
    Recordset rows = mDb.OpenQuery(QStringLiteral("SELECT *") + where + QStringLiteral(" ORDER BY ID DESC"));
    if (total > kQuietRows) mProgress.ShowProgress(QStringLiteral("正在加载历史记录……"), total, 0);
    ReadRows(rows, total > kQuietRows);
    if (total > kQuietRows) mProgress.CloseProgress();
    for (int col = 0; col < mGrid.ColCount(); ++col) mGrid.SetColumnWidth(col, 0);
    ResetView();
    return true;
}

qint64 HistoryGrid::OldestShownRecord(const QString& where, int bills)
{
    return mDb.OpenQuery(QStringLiteral("SELECT MIN(ID) AS N FROM (SELECT DISTINCT TOP ") + QString::number(bills) +
                         QStringLiteral(" ID") + where + QStringLiteral(" ORDER BY ID DESC)"))
        .Value(0)
        .toLongLong();
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
    mBoxColumns.clear();
    for (int col = kFirstBoxCol; !boxes.Eof(); boxes.MoveNext(), ++col) {
        mGrid.SetText(0, col, boxes.Text(QStringLiteral("ID")));
        mBoxColumns.insert(boxes.Value(QStringLiteral("ID")).toLongLong(), col);
        mGrid.SetText(1, col, boxes.Text(QStringLiteral("LBL")));
    }
}

void HistoryGrid::ReadRows(Recordset& rows, bool stepping)
{
    qint64 previousId = 0;
    for (; !rows.Eof(); rows.MoveNext()) {
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
    const auto column = mBoxColumns.constFind(rows.Value(QStringLiteral("CID")).toLongLong());
    if (column != mBoxColumns.constEnd()) mGrid.SetText(mGrid.RowCount() - 1, *column, rows.Text(QStringLiteral("Con")));
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
