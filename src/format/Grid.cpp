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
    mRows.resize(rows);
    for (Row& row : mRows) {
        Unpack(row);
        row.cells.resize(cols);
    }
    mWidths.resize(cols);
}

int Grid::AddRow()
{
    mRows.push_back(Row{QVector<Cell>(mCols), {}, {}});
    return RowCount() - 1;
}

int Grid::AddTextRow(const QStringList& texts)
{
    Row row;
    row.ends.reserve(mCols);
    qsizetype length = 0;
    for (int col = 0; col < mCols && col < texts.size(); ++col) length += texts[col].size();
    row.packed.reserve(length);
    for (int col = 0; col < mCols; ++col) {
        if (col < texts.size()) row.packed += texts[col];
        row.ends << static_cast<int>(row.packed.size());
    }
    mRows.push_back(std::move(row));
    return RowCount() - 1;
}

void Grid::Unpack(Row& row)
{
    if (row.ends.isEmpty()) return;
    row.cells.resize(row.ends.size());
    for (int col = 0, start = 0; col < row.ends.size(); start = row.ends[col], ++col)
        row.cells[col].text = row.packed.mid(start, row.ends[col] - start);
    row.packed.clear();
    row.ends.clear();
}

void Grid::InsertRow(int row)
{
    if (row >= 0 && row <= RowCount()) mRows.insert(row, Row{QVector<Cell>(mCols), {}, {}});
}

void Grid::RemoveRow(int row)
{
    if (row < 0 || row >= RowCount()) return;
    mRows.remove(row);
    if (row < mHiddenRows.size()) mHiddenRows.remove(row);
}

QString Grid::Text(int row, int col) const
{
    if (!Valid(row, col)) return {};
    const Row& r = mRows[row];
    if (r.ends.isEmpty()) return r.cells[col].text;
    const int start = col == 0 ? 0 : r.ends[col - 1];
    return r.packed.mid(start, r.ends[col] - start);
}

void Grid::SetText(int row, int col, const QString& text)
{
    if (!Valid(row, col)) return;
    Unpack(mRows[row]);
    Cell& cell = mRows[row].cells[col];
    cell.text = text;
    cell.numberRead = false;
}

double Grid::LeadingNumber(int row, int col) const
{
    if (!Valid(row, col)) return Decimal::FromLeadingNumber(QString()).ToDouble();
    const Row& r = mRows[row];
    // Packed rows are read-only rows of a long list: their numbers are not kept.
    if (!r.ends.isEmpty()) return Decimal::FromLeadingNumber(Text(row, col)).ToDouble();
    const Cell& cell = r.cells[col];
    if (!cell.numberRead) {
        cell.number = Decimal::FromLeadingNumber(cell.text).ToDouble();
        cell.numberRead = true;
    }
    return cell.number;
}

int Grid::CellColor(int row, int col) const
{
    return Valid(row, col) && mRows[row].ends.isEmpty() ? mRows[row].cells[col].color : 0;
}

void Grid::SetCellColor(int row, int col, int color)
{
    if (!Valid(row, col)) return;
    Unpack(mRows[row]);
    mRows[row].cells[col].color = color;
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
        if (RowCount() > 0 && Text(0, c).compare(name, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

int Grid::FindRow(int col, const QString& text) const
{
    for (int r = mFixedRows; r < RowCount(); ++r)
        if (Text(r, col) == text) return r;
    return -1;
}

} // namespace kestrio
