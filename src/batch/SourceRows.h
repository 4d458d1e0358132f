#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrio {

// The rows of one worksheet or CSV file as text cells, numbered from 1 as the mapping counts
// them (column "A" is column 1). Only rows the source holds and cells with text are stored, so
// a worksheet with a row far down or a cell far to the right costs what it holds, not what its
// numbers say. A missing row or cell reads as empty text.
class SourceRows {
public:
    SourceRows() = default;
    // Row 1 first, every list a row from column 1 (for small sources and tests).
    static SourceRows FromList(const QList<QStringList>& rows);

    // Adds row `row` of `width` columns; rows are added top to bottom, each below the last.
    // False when `row` is not below the last row added.
    bool AddRow(int row, int width = 0);
    // The row after the last one, with `cells` from column 1.
    void Append(const QStringList& cells);
    // Puts `text` into column `column` of the last row added; columns left to right. False when
    // `column` is not right of the last cell of that row.
    bool AddCell(int column, const QString& text);

    // The number of the last row added (0 when none).
    int RowCount() const { return mRows.isEmpty() ? 0 : mRows.last().number; }
    // How many rows the source really holds.
    int StoredRows() const { return static_cast<int>(mRows.size()); }
    QString Cell(int row, int column) const;
    // The widest row.
    int ColumnCount() const;
    // Row `row` from column 1 to its width.
    QStringList Row(int row) const;
    // Every row from 1 to RowCount() (for small sources and tests).
    QList<QStringList> ToList() const;
    // Whether no cell holds text.
    bool IsBlank() const { return mCells.isEmpty(); }

private:
    struct StoredRow {
        int number;
        int width;
        qsizetype firstCell; // index into mCells
    };
    struct StoredCell {
        int column;
        QString text;
    };
    qsizetype Find(int row) const; // index into mRows, -1 when the source lacks the row
    qsizetype CellsEnd(qsizetype index) const;

    QList<StoredRow> mRows;
    QList<StoredCell> mCells;
};

} // namespace kestrio
