#pragma once

#include "format/Grid.h"

#include <QDate>
#include <QString>
#include <QVector>

namespace kestrio {

// Whole fen (or bills) added up exactly: a year of large amounts overflows 64 bits.
__extension__ using StatTotal = __int128;

// The months of one statistic: from the month of the earliest counted bill to that of the
// latest, months without bills included with 0.
struct StatResult {
    struct Month {
        QDate month;         // the first day of the month
        StatTotal value = 0; // fen when summing amounts, else bills
    };

    bool sums = false; // amounts (two decimals) rather than bill counts
    QVector<Month> months;
    QString title;     // the chart's title lines, CR LF between them; empty without months
    int leftOut = 0;   // bills whose date could not be read
    QString error;     // why the history could not be read; empty when it was

    bool IsEmpty() const { return months.isEmpty(); }
    // "2024-03".
    QString MonthText(int index) const;
    // "1234.50" for amounts, "3" for bills.
    QString ValueText(int index) const;
    // The value as the chart draws it (yuan or bills).
    double Value(int index) const;
    // The caption of the value column: "金额" or "单据数".
    QString ValueCaption() const;
    // What the window says under the grid about bills that were left out; empty for none.
    QString LeftOutNote() const;
    // "序号", "日期" and the value column as one header row, then a row per month.
    Grid ToGrid() const;

    static QString TotalText(StatTotal total, bool asMoney);
    // The sheet title of an exported month table.
    static QString SheetTitle() { return QStringLiteral("Kestrio支票统计数据"); }
};

} // namespace kestrio
