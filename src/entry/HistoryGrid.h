#pragma once

#include "format/Grid.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace kestrio {

class DbOperate;
class Progress;
class Workspace;

// The history grid of the main window: one row per stored bill (newest first), one column
// per text, check and picture box of the format, and last the time the bill was stored
// ("保存时间"; empty for bills stored before that was kept). Row 0 holds each box column's
// element ID, row 1 its caption; column 0 the bill's record number, column 1 the running
// number. The window shows it and its selection; the core fills it, searches it and deletes
// from it. Bills are read as the engine finds them, never all rows at once.
class HistoryGrid {
public:
    // The number of bills the history tab shows at first.
    static constexpr int kTabLimit = 300;
    static constexpr int kFirstDataRow = 2;
    static constexpr int kRecordCol = 0;
    static constexpr int kNumberCol = 1;
    static constexpr int kFirstBoxCol = 2;

    HistoryGrid(DbOperate& db, Progress& progress) : mDb(db), mProgress(progress) {}

    static QString SaveTimeCaption() { return QStringLiteral("保存时间"); }

    // One bill as read: record number, running number, one text per box column, stored time.
    using BillSink = std::function<void(const QStringList& cells)>;
    // Sets up the columns for `format` with no bills.
    void PrepareColumns(const QString& format);
    // Hands the newest `limit` bills of the prepared format (0 = all), newest first and each
    // with all its rows, to `sink` as they are read; nothing else is kept. Asks for one bill
    // more than the limit to learn whether bills were left out, which it answers.
    bool ReadBills(int limit, const BillSink& sink);
    // The rows of `format`'s bills, newest bill first, as Jet text.
    static QString BillRowsSql(const QString& format);
    // Told the number of data rows once the columns are set up (0) and after every few
    // hundred bills of a load, so that a view shows them as they come.
    void SetRowsArrived(std::function<void(int rows)> notify) { mRowsArrived = std::move(notify); }

    Grid& grid() { return mGrid; }
    const Grid& grid() const { return mGrid; }

    // Fills the grid with the newest `limit` bills of the workspace's format, each with all
    // its rows (0 = all bills), so that no bill is shown or reprinted in part.
    // Returns false when the grid already shows that request and nothing was done.
    bool LoadHistoryGrid(const Workspace& ws, int limit);
    // Makes the next load run whatever it asks for (after a bill was printed).
    void Invalidate() { mGrid.tag.clear(); }

    // Whether the button "显示全部" is enabled: the last load left bills out.
    bool ShowAllEnabled() const { return mShowAllEnabled; }
    // The format whose bills the grid shows.
    const QString& FormatName() const { return mFormat; }

    int DataRowCount() const;
    int LastBoxCol() const { return mGrid.ColCount() - 2; }
    int SaveTimeCol() const { return mGrid.ColCount() - 1; }
    bool IsDataRow(int row) const { return row >= kFirstDataRow && row < mGrid.RowCount(); }

    // The current cell, the other corner of the selection and the top visible row.
    int Row() const { return mRow; }
    int RowSel() const { return mRowSel; }
    int Col() const { return mCol; }
    int ColSel() const { return mColSel; }
    int TopRow() const { return mTopRow; }
    void SetCurrent(int row, int col);
    void SetSelection(int rowSel, int colSel);
    void SetTopRow(int row) { mTopRow = row; }
    // Rows `from` to `to` selected from the first box column to the last, `from` current.
    void SelectRows(int from, int to);
    // The current row is selected from the first box column to the last.
    bool WholeRowSelected() const;
    // Removes grid rows `first` to `last` and keeps the current cell inside the grid.
    void RemoveRows(int first, int last);

private:
    // The format's oldest and newest record numbers (0, 0 without bills).
    std::pair<qint64, qint64> RecordRange();
    void AppendBill(const QStringList& cells);
    void ResetView();

    DbOperate& mDb;
    Progress& mProgress;
    Grid mGrid;
    QHash<qint64, int> mBoxColumns; // element ID → grid column
    std::function<void(int)> mRowsArrived;
    QString mFormat;
    bool mShowAllEnabled = false;
    int mRow = kFirstDataRow;
    int mRowSel = kFirstDataRow;
    int mCol = kFirstBoxCol;
    int mColSel = kFirstBoxCol;
    int mTopRow = kFirstDataRow;
};

} // namespace kestrio
