#pragma once

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
    bool operator==(const RowCells&) const = default;
};

// Rows whose cells changed: undo puts back the cells as they were, redo as they became.
class ElementRowsCommand final : public QUndoCommand {
public:
    ElementRowsCommand(FormatDocument& document, const QString& text, int mergeKey);
    // Records a row's cells before and after the change (call before redo()).
    void AddRow(int row, const RowCells& before, const RowCells& after);

    void undo() override;
    void redo() override;
    int id() const override { return mMergeKey; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void Put(bool after);

    FormatDocument& mDocument;
    int mMergeKey;
    QMap<int, std::pair<RowCells, RowCells>> mRows;
};

// One element appended at the end of the table.
class AddElementCommand final : public QUndoCommand {
public:
    AddElementCommand(FormatDocument& document, const QString& text, RowCells cells);
    void undo() override;
    void redo() override;

private:
    FormatDocument& mDocument;
    RowCells mCells;
};

// Element rows taken out of the table; undo puts each back at its place.
class RemoveElementsCommand final : public QUndoCommand {
public:
    // `rows` ascending.
    RemoveElementsCommand(FormatDocument& document, const QString& text, const QList<int>& rows);
    void undo() override;
    void redo() override;

private:
    FormatDocument& mDocument;
    QList<int> mRows;
    QList<RowCells> mCells;
};

} // namespace kestrio
