#include "HistoryGrid.h"

#include "format/FormatStore.h"
#include "format/Workspace.h"
#include "seams/Progress.h"
#include "storage/DbOperate.h"
#include "storage/SchemaUpgrade.h"
#include "storage/SqlQuote.h"

#include <QDateTime>

#include <algorithm>
#include <limits>
#include <utility>

namespace kestrio {

namespace {
// Above this many record numbers between the format's oldest and newest bill the load shows
// the progress indicator.
constexpr qint64 kQuietBills = 200;
// The indicator moves (and the windows repaint) once per this many record numbers.
constexpr qint64 kBillsPerStep = 1000;
// A view is told of new bills once per this many.
constexpr int kBillsPerChunk = 500;

QString TimeText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return value.toString();
}
} // namespace

bool HistoryGrid::LoadHistoryGrid(const Workspace& ws, int limit)
{
    const QString tag = ws.formatName + QLatin1Char('|') + QString::number(limit);
    if (mGrid.tag == tag) return false;
    mGrid.tag = tag;
    PrepareColumns(ws.formatName);
    if (mRowsArrived) mRowsArrived(0);
    mShowAllEnabled = ReadBills(limit, [this](const QStringList& cells) { AppendBill(cells); });
    if (mRowsArrived) mRowsArrived(DataRowCount());
    for (int col = 0; col < mGrid.ColCount(); ++col) mGrid.SetColumnWidth(col, 0);
    ResetView();
    return true;
}

void HistoryGrid::AppendBill(const QStringList& cells)
{
    mGrid.AddTextRow(cells);
    if (mRowsArrived && DataRowCount() % kBillsPerChunk == 0) mRowsArrived(DataRowCount());
}

// Counting the format's rows would read its whole index once more before the load reads it;
// its oldest and newest record numbers are two lookups, and the bills come newest first, so
// the record number reached tells how far the load is.
std::pair<qint64, qint64> HistoryGrid::RecordRange()
{
    const QString where = QStringLiteral(" AS N FROM 历史 WHERE Fmt=") + SqlQuote(mFormat);
    const qint64 oldest = mDb.OpenQuery(QStringLiteral("SELECT MIN(ID)") + where).Value(0).toLongLong();
    const qint64 newest = mDb.OpenQuery(QStringLiteral("SELECT MAX(ID)") + where).Value(0).toLongLong();
    return {oldest, newest};
}

QString HistoryGrid::BillRowsSql(const QString& format)
{
    // Through the index (Fmt,ID), newest first: reading stops after the bills asked for.
    return QStringLiteral("SELECT ID,CID,Con,") + SchemaUpgrade::SaveTimeColumn() +
           QStringLiteral(" FROM 历史 WHERE Fmt=") + SqlQuote(format) + QStringLiteral(" ORDER BY ID DESC");
}

bool HistoryGrid::ReadBills(int limit, const BillSink& sink)
{
    // Only a load of every bill may be long enough for the indicator.
    const auto [oldest, newest] = limit == 0 ? RecordRange() : std::pair<qint64, qint64>{0, 0};
    const qint64 span = newest >= oldest ? newest - oldest + 1 : 0;
    const bool stepping = span > kQuietBills && span <= std::numeric_limits<int>::max();
    if (stepping) mProgress.ShowProgress(QStringLiteral("正在加载历史记录……"), static_cast<int>(span), 0);
    qint64 stepped = 0; // record numbers the indicator has been moved by
    const int timeCol = SaveTimeCol();
    QStringList cells;
    qint64 current = 0;
    int bills = 0;
    bool more = false;
    mDb.Db().ForEachRow(BillRowsSql(mFormat),
                        [&](const QVector<QVariant>& row) {
                            const qint64 id = row[0].toLongLong();
                            if (bills == 0 || id != current) {
                                if (limit > 0 && bills == limit) {
                                    more = true;
                                    return false;
                                }
                                if (bills > 0) sink(cells);
                                current = id;
                                cells = QStringList(mGrid.ColCount());
                                cells[kRecordCol] = QString::number(id);
                                cells[kNumberCol] = QString::number(++bills);
                            }
                            const auto column = mBoxColumns.constFind(row[1].toLongLong());
                            if (column != mBoxColumns.constEnd()) cells[*column] = row[2].toString();
                            if (cells[timeCol].isEmpty()) cells[timeCol] = TimeText(row[3]);
                            if (stepping && newest - id - stepped >= kBillsPerStep) {
                                mProgress.StepProgress(static_cast<int>(newest - id - stepped));
                                stepped = newest - id;
                            }
                            return true;
                        });
    if (bills > 0) sink(cells);
    if (stepping && span > stepped) mProgress.StepProgress(static_cast<int>(span - stepped));
    if (stepping) mProgress.CloseProgress();
    return more;
}

void HistoryGrid::PrepareColumns(const QString& format)
{
    mFormat = format;
    Recordset boxes = mDb.OpenQuery(QStringLiteral("SELECT ID,LBL FROM Fmt WHERE Fmt=") + SqlQuote(format) +
                                          QStringLiteral(" AND LBL<>") + SqlQuote(FormatStore::WholeFormatLabel()) +
                                          QStringLiteral(" AND Clas<=2 ORDER BY ID"));
    mGrid.SetSize(0, 0);
    mGrid.SetFixed(kFirstDataRow, kFirstBoxCol);
    mGrid.SetSize(kFirstDataRow, kFirstBoxCol + boxes.RecordCount() + 1);
    mGrid.SetText(1, kNumberCol, QStringLiteral("序号"));
    mBoxColumns.clear();
    for (int col = kFirstBoxCol; !boxes.Eof(); boxes.MoveNext(), ++col) {
        mGrid.SetText(0, col, boxes.Text(QStringLiteral("ID")));
        mBoxColumns.insert(boxes.Value(QStringLiteral("ID")).toLongLong(), col);
        mGrid.SetText(1, col, boxes.Text(QStringLiteral("LBL")));
    }
    mGrid.SetText(1, SaveTimeCol(), SaveTimeCaption());
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
    if (LastBoxCol() < kFirstBoxCol) return false;
    return mRow == mRowSel && std::min(mCol, mColSel) <= kFirstBoxCol && std::max(mCol, mColSel) >= LastBoxCol();
}

void HistoryGrid::RemoveRows(int first, int last)
{
    for (int row = last; row >= first; --row) mGrid.RemoveRow(row);
    // 序号 counts the rows shown, without the gaps the deleted bills left.
    for (int row = first; row < mGrid.RowCount(); ++row)
        mGrid.SetText(row, kNumberCol, QString::number(row - kFirstDataRow + 1));
    const int row = std::min(first, std::max(kFirstDataRow, mGrid.RowCount() - 1));
    mRow = mRowSel = row;
    if (row < mTopRow) mTopRow = row;
}

} // namespace kestrio
