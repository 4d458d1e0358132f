#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kestrio {

class BatchGrid;
class BillPrinter;
class DataEntry;
class Progress;
class Workspace;

// Every bill of the batch grid printed as one job: each bill is put into the boxes as if it
// were typed and printed; the first bill that fails ends the job, and so does a cancel
// between bills. The bill that was shown before is shown again afterwards.
//
// Before the first page every bill is checked as a typed one is: a bill whose boxes refuse
// their text never prints, and a bill without a capital amount or a date prints only when
// the clerk agrees; both are found before the printer is asked for.
class BatchPrintJob {
public:
    enum class Outcome { Printed, Cancelled, Failed };

    BatchPrintJob(BatchGrid& grid, DataEntry& entry) : mGrid(grid), mEntry(entry) {}

    struct Check {
        // "第5行“小写金额”：金额格式不正确！", one line per box of a refused bill.
        QStringList refusals;
        // The same for bills that make no sense on paper but may print.
        QStringList questions;
        QList<int> refusedBills;
        QList<int> questionedBills;
    };
    // Every bill shown and checked; the bill shown before is shown again.
    Check CheckAll(Workspace& ws, Progress& progress);

    // Prints `bills` (from 0, in order; every bill when empty). `cancelled` is asked before
    // every bill.
    Outcome PrintAll(BillPrinter& printer, Workspace& ws, const std::function<bool()>& cancelled = {},
                     const QList<int>& bills = {});
    // The bill (from 0) that failed or was not printed for the cancel; -1 when all printed.
    int StoppedAt() const { return mStoppedAt; }
    // The bills printed by the last PrintAll.
    int PrintedCount() const { return mPrinted; }

    // The bills of `all` (0 to count − 1) that are not in `left`.
    static QList<int> Without(int count, const QList<int>& left);

    QString FailedMessage(int bill) const;
    static QString CancelledMessage()
    {
        return QStringLiteral("批量打印已取消：没有打印任何单据，也没有存入历史记录。");
    }
    // The refusals of a check, at most `shown` lines and a count of the rest.
    static QString RefusalList(const QStringList& lines, int shown = 20);

private:
    BatchGrid& mGrid;
    DataEntry& mEntry;
    int mStoppedAt = -1;
    int mPrinted = 0;
};

} // namespace kestrio
