#include "FormatDocument.h"

#include "ElementCommands.h"

#include <algorithm>

namespace kestrio {

FormatDocument::FormatDocument(QObject* parent) : QObject(parent)
{
    connect(&mUndo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

QList<int> FormatDocument::ElementRows() const
{
    QList<int> rows;
    for (int row = ElementTable::kFirstRow; row < mWorkspace.table.RowCount(); ++row) rows << row;
    return rows;
}

void FormatDocument::ChangeElement(int row, const Element& element, const QString& step, int mergeKey)
{
    ChangeElements({{row, element}}, step, mergeKey);
}

void FormatDocument::ChangeElements(const QList<std::pair<int, Element>>& changes, const QString& step, int mergeKey)
{
    ElementTable& table = mWorkspace.table;
    auto command = std::make_unique<ElementRowsCommand>(*this, step, mergeKey);
    bool changed = false;
    // The new cells are worked out on one scratch row, so the table changes only through the
    // command; the row is reused for every element of a many-box drag.
    ElementTable scratch;
    const int scratchRow = scratch.grid().AddRow();
    for (const auto& [row, element] : changes) {
        if (!table.IsDataRow(row)) continue;
        const RowCells before = RowCells::Read(table.grid(), row);
        before.Write(scratch.grid(), scratchRow);
        element.WriteTo(scratch, scratchRow);
        const RowCells after = RowCells::Read(scratch.grid(), scratchRow);
        if (after == before) continue;
        command->AddRow(row, before, after);
        changed = true;
    }
    if (changed) mUndo.push(command.release());
}

int FormatDocument::AddElement(int kind, const QString& step, const std::function<void(Element&)>& setUp)
{
    // The new row's defaults come from the table itself; it is built on a copy so that the
    // table grows only through the command.
    ElementTable scratch = mWorkspace.table;
    const int row = scratch.AddElementRow(kind);
    if (setUp) {
        Element element = Element::FromRow(scratch, row);
        setUp(element);
        element.WriteTo(scratch, row);
    }
    mUndo.push(new AddElementCommand(*this, step, RowCells::Read(scratch.grid(), row)));
    return mWorkspace.table.RowCount() - 1;
}

void FormatDocument::RemoveRows(QList<int> rows, const QString& step)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([this](int row) { return !mWorkspace.table.IsDataRow(row); });
    if (rows.isEmpty()) return;
    QSet<qint64> selection = mSelection;
    for (int row : rows) selection.remove(mWorkspace.table.Id(row));
    mUndo.push(new RemoveElementsCommand(*this, step, rows));
    SetSelection(selection);
}

void FormatDocument::Reload(const std::function<void(Workspace&)>& load)
{
    if (load) load(mWorkspace);
    mUndo.clear();
    mUndo.setClean();
    SetSelection({});
    emit tableReset();
    emit contentsChanged();
}

bool FormatDocument::Save(const std::function<bool(Workspace&)>& save)
{
    QList<qint64> before;
    for (int row : ElementRows()) before << mWorkspace.table.Id(row);
    if (!save(mWorkspace)) return false;
    // A save writes the rows in place: the row that held an old ID holds its new one.
    QHash<qint64, qint64> newIds;
    const QList<int> rows = ElementRows();
    for (qsizetype i = 0; i < before.size() && i < rows.size(); ++i) {
        const qint64 now = mWorkspace.table.Id(rows.at(i));
        if (now != before.at(i)) newIds.insert(before.at(i), now);
    }
    SavedWithIds(newIds);
    return true;
}

namespace {

void RepointStep(const QUndoCommand* step, const QHash<qint64, qint64>& newIds)
{
    // The stack hands its steps out read-only; the IDs they hold are ours to rename.
    if (auto* element = dynamic_cast<ElementCommand*>(const_cast<QUndoCommand*>(step))) element->Repoint(newIds);
    for (int i = 0; i < step->childCount(); ++i) RepointStep(step->child(i), newIds);
}

} // namespace

void FormatDocument::SavedWithIds(const QHash<qint64, qint64>& newIds)
{
    if (!newIds.isEmpty()) {
        for (int i = 0; i < mUndo.count(); ++i) RepointStep(mUndo.command(i), newIds);
        QSet<qint64> selection;
        for (qint64 id : std::as_const(mSelection)) selection.insert(newIds.value(id, id));
        SetSelection(selection);
    }
    mUndo.setClean();
}

void FormatDocument::SetBoxText(int row, const QString& text)
{
    if (mWorkspace.BoxText(row) == text) return;
    mWorkspace.SetBoxText(row, text);
    emit contentsChanged();
}

void FormatDocument::SetSelection(const QSet<qint64>& ids)
{
    if (ids == mSelection) return;
    mSelection = ids;
    emit selectionChanged();
}

} // namespace kestrio
