#include "BatchPrintJob.h"

#include "BatchGrid.h"
#include "format/Workspace.h"
#include "print/BillGate.h"
#include "print/BillPrinter.h"
#include "seams/Progress.h"

#include <QSet>

namespace kestrio {

BatchPrintJob::Check BatchPrintJob::CheckAll(Workspace& ws, Progress& progress)
{
    Check check;
    const int current = mGrid.Current();
    progress.ShowProgress(QStringLiteral("正在检查单据……"), mGrid.BillCount(), 0);
    for (int bill = 0; bill < mGrid.BillCount(); ++bill) {
        QList<BatchGrid::Refusal> refused;
        mGrid.ShowBill(bill, ws, mEntry, &refused);
        const QString row = QStringLiteral("第%1行").arg(mGrid.SourceRowOf(bill));
        QSet<int> told;
        for (const BatchGrid::Refusal& r : refused) {
            check.refusals << row + BillGate::Describe(ws, {r.row, r.message, true});
            told.insert(r.row);
        }
        const QList<BillGate::Problem> problems = BillGate::Check(ws);
        QStringList questions;
        for (const BillGate::Problem& p : problems) {
            if (told.contains(p.row)) continue;
            told.insert(p.row);
            (p.refused ? check.refusals : questions) << row + BillGate::Describe(ws, p);
            if (p.refused) refused.append({p.row, p.reason});
        }
        if (!refused.isEmpty()) check.refusedBills << bill;
        else if (!questions.isEmpty()) {
            check.questionedBills << bill;
            check.questions << questions;
        }
        progress.StepProgress(1);
    }
    progress.CloseProgress();
    if (current >= 0) mGrid.ShowBill(current, ws, mEntry);
    return check;
}

QList<int> BatchPrintJob::Without(int count, const QList<int>& left)
{
    const QSet<int> out(left.cbegin(), left.cend());
    QList<int> kept;
    for (int bill = 0; bill < count; ++bill)
        if (!out.contains(bill)) kept << bill;
    return kept;
}

QString BatchPrintJob::RefusalList(const QStringList& lines, int shown)
{
    QString text = lines.mid(0, shown).join(QLatin1Char('\n'));
    if (lines.size() > shown) text += QStringLiteral("\n……共%1处").arg(lines.size());
    return text;
}

QString BatchPrintJob::FailedMessage(int bill) const
{
    return mGrid.BillContext(bill) + QStringLiteral("没有打印成功，批量打印已停止；没有打印也没有存入任何单据。");
}

BatchPrintJob::Outcome BatchPrintJob::PrintAll(BillPrinter& printer, Workspace& ws, const std::function<bool()>& cancelled,
                                               const QList<int>& bills)
{
    const QList<int> printed = bills.isEmpty() ? Without(mGrid.BillCount(), {}) : bills;
    const int current = mGrid.Current();
    bool wasCancelled = false;
    mStoppedAt = -1;
    mPrinted = 0;
    auto load = [&](int index, Workspace& target) {
        const int bill = printed[index];
        mStoppedAt = bill;
        if (cancelled && cancelled()) {
            wasCancelled = true;
            return false;
        }
        printer.SetBillContext(mGrid.BillContext(bill));
        return mGrid.ShowBill(bill, target, mEntry);
    };
    auto restore = [&] {
        if (current >= 0) mGrid.ShowBill(current, ws, mEntry);
    };
    const bool ok = printer.PrintAllBills(ws, static_cast<int>(printed.size()), load, restore);
    if (ok) {
        mStoppedAt = -1;
        mPrinted = static_cast<int>(printed.size());
        return Outcome::Printed;
    }
    // Nothing loaded: the printer choice was cancelled.
    return wasCancelled || mStoppedAt < 0 ? Outcome::Cancelled : Outcome::Failed;
}

} // namespace kestrio
