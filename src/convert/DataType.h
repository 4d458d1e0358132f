#pragma once

namespace kestrio {

// The families of data-type codes (column Cash) that decide whether a bill makes sense on
// paper; the whole part of a code selects its family.
class DataType {
public:
    // The amount in capitals: 103 (元), 120 (圆), and the capital digits of 114.nn and 121.nn.
    static bool IsCapitalAmount(double code);
    // Dates and their parts: 100–102 (capital year, month, day), 106–108 (the same in
    // figures), 110–113 (whole dates in their patterns) and 119 (the custom pattern).
    static bool IsDate(double code);
    // Codes whose text is a whole date in a pattern (110–113).
    static bool IsWholeDate(double code);
    // 100–102: a year, month or day written in capital digits.
    static bool IsCapitalDatePart(double code);
    // 106–108: a year, month or day in figures.
    static bool IsArabicDatePart(double code);
};

} // namespace kestrio
