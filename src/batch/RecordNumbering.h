#pragma once

#include <QString>

namespace kestrio {

// Which source rows make which bill: rows `start` to `end` (from 1, put in ascending order),
// `perBill` records to a bill. Bill b (from 0) begins at source row start + b × perBill.
class RecordNumbering {
public:
    // At most this many source rows follow the start row in one import.
    static constexpr int kMaxSpan = 29999;

    RecordNumbering(int start, int end, int perBill);

    int Start() const { return mStart; }
    int End() const { return mEnd; }
    int PerBill() const { return mPerBill; }
    // Whether end − start stays within kMaxSpan.
    bool WithinLimit() const { return mEnd - mStart <= kMaxSpan; }
    int BillCount() const;
    int FirstRowOf(int bill) const { return mStart + bill * mPerBill; }

    static QString TooManyMessage() { return QStringLiteral("一次性导入数据不得超过3万条记录，请重新设置！"); }

private:
    int mStart;
    int mEnd;
    int mPerBill;
};

} // namespace kestrio
