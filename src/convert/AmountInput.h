#pragma once

#include <QString>

namespace kestrio {

// What may stay in an amount box when the clerk leaves it: a number, written with ASCII or
// full-width digits, an optional sign, "￥" or "$", "," between the digits of the whole part,
// one decimal point and a closing "元"; thousands separators only between groups of three
// digits ("1,234.5", never "1,23"), at most two decimals that are not zeros (money is
// printed to the fen: 0.005 would print as ￥0.00); small enough for the capital positions (below
// 10 000 000 000 000 yuan) and for the printed cells of the box. Anything else would print a
// wrong amount ("1.2.3", "1e3", letters) and is refused with a message.
class AmountInput {
public:
    static QString FormatMessage();
    static QString CellsMessage();
    static QString RangeMessage();
    static QString FenMessage();

    // Codes 1–99, 103, 104, 105, 114.nn, 117, 118, 120, 121.nn and 301–399.
    static bool IsAmountCode(double code);

    // Empty when `text` may stay in a box of data-type `code`, else the message to show.
    // Empty text, text of other codes and capital text already converted always may.
    static QString Refusal(double code, const QString& text);

    // Cells of a lower-case amount printed one character per cell (codes 1–99, 301–399);
    // 0 for other codes.
    static int MoneyCells(int wholeCode);
    // The cells an amount needs there: its fen digits, at least three (￥0.05 prints 005),
    // and one more for a minus sign.
    static int MoneyCellsNeeded(const QString& text);

private:
    static bool ReadsAsNumber(const QString& text);
    // Decimals beyond the fen that are not zeros.
    static bool HasSubFen(const QString& text);
    static QString CellsRefusal(double code, const QString& text);
};

} // namespace kestrio
