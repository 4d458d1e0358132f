#pragma once

#include <QString>

namespace kestrio {

// Spreadsheet column names: 1 = "A" … 26 = "Z", 27 = "AA" … 702 = "ZZ".
class ColumnLetters {
public:
    // The name of column `number` (from 1); empty outside 1 … 702.
    static QString FromNumber(int number);
    // The number of a one- or two-letter name in either case; 0 for anything else.
    static int ToNumber(const QString& letters);
};

} // namespace kestrio
