#pragma once

#include <QString>

#include <functional>

namespace kestrio {

class BatchGrid;
class BillPrinter;
class DataEntry;
class Workspace;

// Every bill of the batch grid printed as one job: each bill is put into the boxes as if it
// were typed and printed; the first bill that fails ends the job, and so does a cancel
// between bills. The bill that was shown before is shown again afterwards.
class BatchPrintJob {
public:
    enum class Outcome { Printed, Cancelled, Failed };

    BatchPrintJob(BatchGrid& grid, DataEntry& entry) : mGrid(grid), mEntry(entry) {}

    // `cancelled` is asked before every bill.
    Outcome PrintAll(BillPrinter& printer, Workspace& ws, const std::function<bool()>& cancelled = {});
    // The bill (from 0) that failed or was not printed for the cancel; -1 when all printed.
    int StoppedAt() const { return mStoppedAt; }

    static QString FailedMessage(int bill)
    {
        return QStringLiteral("第%1张单据没有打印成功，批量打印已停止。").arg(bill + 1);
    }

private:
    BatchGrid& mGrid;
    DataEntry& mEntry;
    int mStoppedAt = -1;
};

} // namespace kestrio
