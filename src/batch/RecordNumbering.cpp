#include "RecordNumbering.h"

#include <algorithm>

namespace kestrio {

RecordNumbering::RecordNumbering(int start, int end, int perBill)
    : mStart(std::max(1, std::min(start, end))), mEnd(std::max(1, std::max(start, end))),
      mPerBill(std::max(1, perBill))
{
}

int RecordNumbering::BillCount() const
{
    return (mEnd - mStart + 1 + mPerBill - 1) / mPerBill;
}

} // namespace kestrio
