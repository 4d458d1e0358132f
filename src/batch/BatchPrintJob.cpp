#include "BatchPrintJob.h"

#include "BatchGrid.h"
#include "print/BillPrinter.h"

namespace kestrio {

BatchPrintJob::Outcome BatchPrintJob::PrintAll(BillPrinter& printer, Workspace& ws, const std::function<bool()>& cancelled)
{
    const int current = mGrid.Current();
    bool wasCancelled = false;
    mStoppedAt = -1;
    auto load = [&](int bill, Workspace& target) {
        mStoppedAt = bill;
        if (cancelled && cancelled()) {
            wasCancelled = true;
            return false;
        }
        return mGrid.ShowBill(bill, target, mEntry);
    };
    auto restore = [&] {
        if (current >= 0) mGrid.ShowBill(current, ws, mEntry);
    };
    const bool printed = printer.PrintAllBills(ws, mGrid.BillCount(), load, restore);
    if (printed) {
        mStoppedAt = -1;
        return Outcome::Printed;
    }
    // Nothing loaded: the printer choice was cancelled.
    return wasCancelled || mStoppedAt < 0 ? Outcome::Cancelled : Outcome::Failed;
}

} // namespace kestrio
