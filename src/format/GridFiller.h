#pragma once

#include <QString>
#include <QStringList>

namespace kestrio {

class DbOperate;
class Grid;

// Fills a grid from its database table (the grid's tag) by the column names in row 0.
class GridFiller {
public:
    // Black as a cell background: a background of 0 means no colour.
    static constexpr int kBlack = 65793;

    // Columns = the list length, 2 fixed columns, 2 fixed rows, no data rows; names in row 0,
    // headers in row 1. Nothing happens when the lists differ in length.
    static bool LayoutGrid(Grid& grid, const QStringList& names, const QStringList& headers);

    // All rows of the tag's table matching `condition` in `order` (either may be empty). A
    // cell shows its column's value by name: doubles to two decimals, dates as yyyy.mm.dd,
    // Yes/No as "√", "Color" as the cell background; an empty name in the last fixed
    // column shows the running number; "table:idColumn:column" looks the value up.
    static void FillGrid(DbOperate& db, Grid& grid, const QString& condition, const QString& order);

    // A double to two decimals (halves to even), written plainly.
    static QString TwoDecimals(double value);
};

} // namespace kestrio
