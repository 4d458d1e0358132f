#pragma once

#include <QString>

namespace kestrio {

// How a workbook cell's value becomes the text of a batch cell.
class CellText {
public:
    // Plain decimal text with at most 15 significant digits, never in exponent form, and a
    // whole number without ".0": an account number typed as a number stays its digits.
    static QString Number(double value);
    // A date serial number (days since 1899-12-30, or since 1904-01-01 for workbooks counting
    // from 1904) as yyyy-mm-dd, with hh:mm:ss when it has a time of day.
    static QString DateSerial(double serial, bool from1904 = false);
    // A workbook's "yyyy-mm-dd hh:mm:ss" as the batch shows it: a date at midnight is the
    // date alone, as DateSerial gives it.
    static QString DateTime(const QString& text);
    // Whether a number format code shows a date (y, m, d, h or s outside quotes and brackets).
    static bool IsDateFormat(const QString& code);
    // Whether a built-in number format (by id) shows a date.
    static bool IsBuiltInDateFormat(int id);
};

} // namespace kestrio
