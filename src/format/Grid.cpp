#include "Grid.h"

#include "convert/Decimal.h"

namespace kestrio {

void Grid::SetFixed(int rows, int cols)
{
    mFixedRows = rows;
    mFixedCols = cols;
}

void Grid::SetSize(int rows, int cols)
{
    mCols = cols;
    mCells.resize(rows);
    for (auto& row : mCells) row.resize(cols);
    mWidths.resize(cols);
}

int Grid::AddRow()
{
    mCells.push_back(QVector<Cell>(mCols));
    return RowCount() - 1;
}

void Grid::InsertRow(int row)
{
    if (row >= 0 && row <= RowCount()) mCells.insert(row, QVector<Cell>(mCols));
}

void Grid::RemoveRow(int row)
{
    if (row < 0 || row >= RowCount()) return;
    mCells.remove(row);
    if (row < mHiddenRows.size()) mHiddenRows.remove(row);
}

QString Grid::Text(int row, int col) const
{
    return Valid(row, col) ? mCells[row][col].text : QString();
}

void Grid::SetText(int row, int col, const QString& text)
{
    if (!Valid(row, col)) return;
    Cell& cell = mCells[row][col];
    cell.text = text;
    cell.numberRead = false;
}

double Grid::LeadingNumber(int row, int col) const
{
    if (!Valid(row, col)) return Decimal::FromLeadingNumber(QString()).ToDouble();
    const Cell& cell = mCells[row][col];
    if (!cell.numberRead) {
        cell.number = Decimal::FromLeadingNumber(cell.text).ToDouble();
        cell.numberRead = true;
    }
    return cell.number;
}

int Grid::CellColor(int row, int col) const
{
    return Valid(row, col) ? mCells[row][col].color : 0;
}

void Grid::SetCellColor(int row, int col, int color)
{
    if (Valid(row, col)) mCells[row][col].color = color;
}

int Grid::ColumnWidth(int col) const
{
    return col >= 0 && col < mWidths.size() ? mWidths[col] : 0;
}

void Grid::SetColumnWidth(int col, int twips)
{
    if (col >= 0 && col < mWidths.size()) mWidths[col] = twips;
}

void Grid::SetRowHidden(int row, bool hidden)
{
    if (row < 0) return;
    if (row >= mHiddenRows.size()) mHiddenRows.resize(row + 1);
    mHiddenRows[row] = hidden;
}

void Grid::SetColumnHidden(int col, bool hidden)
{
    if (col < 0) return;
    if (col >= mHiddenCols.size()) mHiddenCols.resize(col + 1);
    mHiddenCols[col] = hidden;
}

int Grid::ColumnNamed(const QString& name) const
{
    for (int c = 0; c < mCols; ++c)
        if (RowCount() > 0 && mCells[0][c].text.compare(name, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

int Grid::FindRow(int col, const QString& text) const
{
    for (int r = mFixedRows; r < RowCount(); ++r)
        if (Text(r, col) == text) return r;
    return -1;
}

} // namespace kestrio
