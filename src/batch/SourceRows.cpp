#include "SourceRows.h"

#include <algorithm>

namespace kestrio {

SourceRows SourceRows::FromList(const QList<QStringList>& rows)
{
    SourceRows source;
    for (const QStringList& cells : rows) source.Append(cells);
    return source;
}

bool SourceRows::AddRow(int row, int width)
{
    if (row <= RowCount()) return false;
    mRows.append({row, std::max(width, 0), mCells.size()});
    return true;
}

void SourceRows::Append(const QStringList& cells)
{
    AddRow(RowCount() + 1, static_cast<int>(cells.size()));
    for (qsizetype c = 0; c < cells.size(); ++c)
        if (!cells[c].isEmpty()) AddCell(static_cast<int>(c) + 1, cells[c]);
}

bool SourceRows::AddCell(int column, const QString& text)
{
    if (mRows.isEmpty() || column < 1) return false;
    StoredRow& row = mRows.last();
    if (mCells.size() > row.firstCell && mCells.last().column >= column) return false;
    if (text.isEmpty()) return true;
    mCells.append({column, text});
    row.width = std::max(row.width, column);
    return true;
}

qsizetype SourceRows::Find(int row) const
{
    const auto it = std::lower_bound(mRows.cbegin(), mRows.cend(), row,
                                     [](const StoredRow& r, int number) { return r.number < number; });
    return it != mRows.cend() && it->number == row ? it - mRows.cbegin() : -1;
}

qsizetype SourceRows::CellsEnd(qsizetype index) const
{
    return index + 1 < mRows.size() ? mRows[index + 1].firstCell : mCells.size();
}

QString SourceRows::Cell(int row, int column) const
{
    const qsizetype index = Find(row);
    if (index < 0) return {};
    const auto first = mCells.cbegin() + mRows[index].firstCell;
    const auto last = mCells.cbegin() + CellsEnd(index);
    const auto it = std::lower_bound(first, last, column, [](const StoredCell& c, int col) { return c.column < col; });
    return it != last && it->column == column ? it->text : QString();
}

int SourceRows::ColumnCount() const
{
    int widest = 0;
    for (const StoredRow& row : mRows) widest = std::max(widest, row.width);
    return widest;
}

QStringList SourceRows::Row(int row) const
{
    const qsizetype index = Find(row);
    if (index < 0) return {};
    QStringList cells(mRows[index].width);
    for (qsizetype i = mRows[index].firstCell; i < CellsEnd(index); ++i) cells[mCells[i].column - 1] = mCells[i].text;
    return cells;
}

QList<QStringList> SourceRows::ToList() const
{
    QList<QStringList> rows;
    for (int r = 1; r <= RowCount(); ++r) rows.append(Row(r));
    return rows;
}

} // namespace kestrio
