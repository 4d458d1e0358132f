#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QUndoCommand>

namespace kestrio {

class FormatDocument;
class Grid;

// Every cell of one element-table row: texts and background colours, exactly.
struct RowCells {
    QStringList texts;
    QList<int> colors;

    static RowCells Read(const Grid& grid, int row);
    void Write(Grid& grid, int row) const;
    // The cells as a save that gave the IDs `newIds` (old → new) leaves them: the row's own ID
    // and its references to other elements.
    void Repoint(const QHash<qint64, qint64>& newIds);
    bool operator==(const RowCells&) const = default;
};

// A step of the element table. A save hands new elements their IDs; the step is then made
// to name the saved IDs, so it can still be undone and redone after the save.
class ElementCommand : public QUndoCommand {
public:
    using QUndoCommand::QUndoCommand;
    virtual void Repoint(const QHash<qint64, qint64>& newIds) = 0;
};

// Rows whose cells changed: undo puts back the cells as they were, redo as they became.
class ElementRowsCommand final : public ElementCommand {
public:
    ElementRowsCommand(FormatDocument& document, const QString& text, int mergeKey);
    // Records a row's cells before and after the change (call before redo()).
    void AddRow(int row, const RowCells& before, const RowCells& after);

    void undo() override;
    void redo() override;
    int id() const override { return mMergeKey; }
    bool mergeWith(const QUndoCommand* other) override;
    void Repoint(const QHash<qint64, qint64>& newIds) override;

private:
    void Put(bool after);

    FormatDocument& mDocument;
    int mMergeKey;
    QMap<int, std::pair<RowCells, RowCells>> mRows;
};

// One element appended at the end of the table.
class AddElementCommand final : public ElementCommand {
public:
    AddElementCommand(FormatDocument& document, const QString& text, RowCells cells);
    void undo() override;
    void redo() override;
    void Repoint(const QHash<qint64, qint64>& newIds) override;

private:
    FormatDocument& mDocument;
    RowCells mCells;
};

// Element rows taken out of the table; undo puts each back at its place.
class RemoveElementsCommand final : public ElementCommand {
public:
    // `rows` ascending.
    RemoveElementsCommand(FormatDocument& document, const QString& text, const QList<int>& rows);
    void undo() override;
    void redo() override;
    void Repoint(const QHash<qint64, qint64>& newIds) override;

private:
    FormatDocument& mDocument;
    QList<int> mRows;
    QList<RowCells> mCells;
};

} // namespace kestrio
