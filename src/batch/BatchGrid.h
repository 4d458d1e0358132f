#pragma once

#include "format/Grid.h"

#include <QHash>
#include <QList>
#include <QString>

namespace kestrio {

class DataEntry;
class Progress;
class RecordNumbering;
class Workspace;
struct SourceRows;

// The batch grid of the main window: one row per bill, one column per text, check and
// picture box (in that order of kinds, then in table order). Row 0 holds each column's
// element ID, row 1 the box's caption; bills follow. Columns of boxes without a mapping
// are hidden and leave their boxes alone when a bill is shown.
class BatchGrid {
public:
    static constexpr int kFirstDataRow = 2;

    Grid& grid() { return mGrid; }
    const Grid& grid() const { return mGrid; }

    int BillCount() const { return mGrid.RowCount() - kFirstDataRow; }
    // The bill shown in the boxes, from 0; -1 when the grid is empty.
    int Current() const { return mCurrent; }

    // Builds the grid for the workspace's boxes and fills one row per bill from the source:
    // each mapped box gets its expression's value, line breaks as the workspace's marker and
    // one trailing TAB dropped. The boxes' present contents become the base every bill is
    // shown on. Progress: "正在读取EXCEL数据……", one step per bill.
    void Fill(const Workspace& ws, const QHash<qint64, QString>& expressions, const SourceRows& rows,
              const RecordNumbering& numbering, Progress& progress);

    // A box that refused its text when the bill was shown: its table row and the message.
    struct Refusal {
        int row = -1;
        QString message;
    };
    // Puts bill `bill` into the boxes as if it were typed: the base contents first, then in
    // box order each mapped box gets its text and is left (converted by its data type, then
    // related, same-content and sum boxes calculated). A text the box refuses stays as it was
    // read and is listed in `refusals`. False for a bill outside the grid.
    bool ShowBill(int bill, Workspace& ws, DataEntry& entry, QList<Refusal>* refusals = nullptr);
    // The source row (from 1) the bill's first record came from.
    int SourceRowOf(int bill) const { return mSourceRows.value(bill, 0); }
    // "第8张单据（第9行）：", put before what is said about one bill.
    QString BillContext(int bill) const;
    // The format whose boxes the grid's columns are.
    const QString& FormatName() const { return mFormat; }

    // Removes bills `first` to `last` (from 0) and keeps the current bill inside the grid.
    void RemoveBills(int first, int last);
    void Clear();

    // A value as the batch keeps it: CR LF, lone LF and lone CR become `marker`, and one
    // trailing TAB (which exports append so that digit strings stay text) is dropped.
    static QString BatchValue(QString value, const QString& marker);

private:
    void Build(const Workspace& ws, const QHash<qint64, QString>& expressions);

    Grid mGrid;
    QList<int> mColumnRows;         // element table row of each column
    QHash<qint64, QString> mBase;   // the boxes' contents before the import, by element ID
    QList<int> mSourceRows;         // the first source row of each bill
    QString mFormat;
    int mCurrent = -1;
};

} // namespace kestrio
