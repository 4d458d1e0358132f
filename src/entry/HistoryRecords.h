#pragma once

#include <QDateTime>
#include <QString>

namespace kestrio {

class Clock;
class DbOperate;
class HistoryGrid;
class Prompter;
class Recordset;
class Workspace;

// The bills kept as history (table 历史) and the default contents of each format (table
// 默认): storing a bill, saving and restoring the defaults, and deleting and searching
// bills in the history grid.
class HistoryRecords {
public:
    // Bills are stamped with the time `clock` tells; without one, the system's time.
    HistoryRecords(DbOperate& db, Prompter& prompter, const Clock* clock = nullptr)
        : mDb(db), mPrompter(prompter), mClock(clock)
    {
    }

    DbOperate& Operate() const { return mDb; }

    static QString StoreFailedText() { return QStringLiteral("历史记录保存失败！"); }
    static QString PrintedNotStoredText() { return QStringLiteral("单据已打印，但历史记录保存失败！"); }

    // The record number the next bill of `format` gets: the highest stored one + 1; -1 with
    // `error` when it cannot be read.
    qint64 NextRecordNumber(const QString& format, QString* error = nullptr);
    // Stores the non-empty boxes of the workspace as a new bill of its format: text boxes,
    // then check boxes, then picture boxes, each in box order, all or nothing. The number is
    // found and the bill written under one write lock, so programs storing at the same time
    // never share a number. Returns the record number, 0 when every box was empty and
    // nothing was stored, -1 when the bill was not stored. Every row of the bill carries the
    // time it was stored: StoreRecord then says
    // "历史记录保存失败！" with the cause, TryStoreRecord hands the cause to the caller.
    qint64 StoreRecord(const Workspace& ws);
    qint64 TryStoreRecord(const Workspace& ws, QString* error);

    // Replaces the format's default contents by the non-empty boxes of the workspace, all or
    // nothing; a failure is told ("默认内容保存失败！" and the cause).
    bool SaveDefaults(const Workspace& ws);
    // Puts the format's default contents back into the boxes that still exist.
    void LoadDefaults(Workspace& ws);

    // Deletes the bills of the selected grid rows after asking; false when nothing was done.
    bool DeleteHistoryRows(HistoryGrid& grid);
    // Selects every data row and deletes as above.
    bool ClearHistory(HistoryGrid& grid);
    // Selects the next row, wrapping, with a box cell containing `keyword`; false when none.
    bool FindInHistory(HistoryGrid& grid, const QString& keyword);

private:
    bool WriteDefaults(const Workspace& ws, QString* error);
    int AddRowsOfKind(const Workspace& ws, int kind, qint64 number, const QDateTime& storedAt, Recordset& rows,
                      QString* error);
    static bool RowMatches(const HistoryGrid& grid, int row, const QString& keyword);

    DbOperate& mDb;
    Prompter& mPrompter;
    const Clock* mClock;
};

} // namespace kestrio
