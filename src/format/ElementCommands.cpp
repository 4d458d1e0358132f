#include "ElementCommands.h"

#include "ElementTable.h"
#include "FormatDocument.h"

namespace kestrio {

RowCells RowCells::Read(const Grid& grid, int row)
{
    RowCells cells;
    for (int col = 0; col < grid.ColCount(); ++col) {
        cells.texts << grid.Text(row, col);
        cells.colors << grid.CellColor(row, col);
    }
    return cells;
}

void RowCells::Write(Grid& grid, int row) const
{
    for (int col = 0; col < texts.size(); ++col) {
        grid.SetText(row, col, texts.at(col));
        grid.SetCellColor(row, col, colors.at(col));
    }
}

void RowCells::Repoint(const QHash<qint64, qint64>& newIds)
{
    // The table's own rule, applied on a scratch row.
    ElementTable scratch;
    const int row = scratch.grid().AddRow();
    Write(scratch.grid(), row);
    const auto found = newIds.constFind(scratch.Id(row));
    if (found != newIds.constEnd()) scratch.SetText(row, ElementTable::ColId, QString::number(*found));
    scratch.Repoint(newIds);
    *this = Read(scratch.grid(), row);
}

ElementRowsCommand::ElementRowsCommand(FormatDocument& document, const QString& text, int mergeKey)
    : ElementCommand(text), mDocument(document), mMergeKey(mergeKey)
{
}

void ElementRowsCommand::AddRow(int row, const RowCells& before, const RowCells& after)
{
    mRows.insert(row, {before, after});
}

void ElementRowsCommand::undo()
{
    Put(false);
}

void ElementRowsCommand::redo()
{
    Put(true);
}

void ElementRowsCommand::Put(bool after)
{
    Grid& grid = mDocument.mWorkspace.table.grid();
    for (auto it = mRows.cbegin(); it != mRows.cend(); ++it) {
        (after ? it->second : it->first).Write(grid, it.key());
        emit mDocument.elementChanged(it.key());
    }
}

bool ElementRowsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const ElementRowsCommand*>(other);
    if (next->mMergeKey != mMergeKey || &next->mDocument != &mDocument) return false;
    for (auto it = next->mRows.cbegin(); it != next->mRows.cend(); ++it) {
        if (mRows.contains(it.key())) mRows[it.key()].second = it->second;
        else mRows.insert(it.key(), it.value());
    }
    return true;
}

void ElementRowsCommand::Repoint(const QHash<qint64, qint64>& newIds)
{
    for (auto& [before, after] : mRows) {
        before.Repoint(newIds);
        after.Repoint(newIds);
    }
}

AddElementCommand::AddElementCommand(FormatDocument& document, const QString& text, RowCells cells)
    : ElementCommand(text), mDocument(document), mCells(std::move(cells))
{
}

void AddElementCommand::undo()
{
    Grid& grid = mDocument.mWorkspace.table.grid();
    const int row = grid.RowCount() - 1;
    grid.RemoveRow(row);
    emit mDocument.elementRemoved(row);
}

void AddElementCommand::redo()
{
    Grid& grid = mDocument.mWorkspace.table.grid();
    const int row = grid.AddRow();
    mCells.Write(grid, row);
    emit mDocument.elementAdded(row);
}

void AddElementCommand::Repoint(const QHash<qint64, qint64>& newIds)
{
    mCells.Repoint(newIds);
}

RemoveElementsCommand::RemoveElementsCommand(FormatDocument& document, const QString& text, const QList<int>& rows)
    : ElementCommand(text), mDocument(document), mRows(rows)
{
    const Grid& grid = mDocument.mWorkspace.table.grid();
    for (int row : mRows) mCells << RowCells::Read(grid, row);
}

void RemoveElementsCommand::undo()
{
    Grid& grid = mDocument.mWorkspace.table.grid();
    for (int i = 0; i < mRows.size(); ++i) {
        grid.InsertRow(mRows.at(i));
        mCells.at(i).Write(grid, mRows.at(i));
        emit mDocument.elementAdded(mRows.at(i));
    }
}

void RemoveElementsCommand::redo()
{
    Grid& grid = mDocument.mWorkspace.table.grid();
    for (qsizetype i = mRows.size() - 1; i >= 0; --i) {
        grid.RemoveRow(mRows.at(i));
        emit mDocument.elementRemoved(mRows.at(i));
    }
}

void RemoveElementsCommand::Repoint(const QHash<qint64, qint64>& newIds)
{
    for (RowCells& cells : mCells) cells.Repoint(newIds);
}

} // namespace kestrio
