#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace kestrio {

// A grid of text cells as the program's tables show them: row 0 holds the column names of
// the database table (hidden), row 1 the headers, data rows follow. A cell may carry a
// background colour (0x00BBGGRR, 0 for none) instead of text. The windows show it; the core
// fills, reads and changes it. Rows added whole with AddTextRow are kept as one string each
// (a grid of a million cells would otherwise hold a million strings); changing a cell of such
// a row turns it back into cells.
class Grid {
public:
    QString tag; // the database table the grid shows

    int RowCount() const { return static_cast<int>(mRows.size()); }
    int ColCount() const { return mCols; }
    int FixedRows() const { return mFixedRows; }
    int FixedCols() const { return mFixedCols; }
    void SetFixed(int rows, int cols);

    // Resizes; new cells are empty.
    void SetSize(int rows, int cols);
    int AddRow();
    // Appends a row holding `texts` in its first cells (no colours); cells beyond stay empty.
    int AddTextRow(const QStringList& texts);
    // An empty row before `row` (at the end for RowCount()).
    void InsertRow(int row);
    void RemoveRow(int row);

    QString Text(int row, int col) const;
    void SetText(int row, int col, const QString& text);
    // The number the cell's text begins with (0 when it begins with none), read once and
    // kept until the text changes: printing and layout read the same cells over and over.
    double LeadingNumber(int row, int col) const;
    int CellColor(int row, int col) const;
    void SetCellColor(int row, int col, int color);

    int ColumnWidth(int col) const; // twips; 0 = fit
    void SetColumnWidth(int col, int twips);

    // Rows and columns the window does not show; an export leaves them out too.
    bool RowHidden(int row) const { return row >= 0 && row < mHiddenRows.size() && mHiddenRows[row]; }
    void SetRowHidden(int row, bool hidden);
    bool ColumnHidden(int col) const { return col >= 0 && col < mHiddenCols.size() && mHiddenCols[col]; }
    void SetColumnHidden(int col, bool hidden);

    // The column whose name in row 0 is `name`; -1 when none.
    int ColumnNamed(const QString& name) const;
    // The first data row whose `col` equals `text`; -1 when none.
    int FindRow(int col, const QString& text) const;

private:
    bool Valid(int row, int col) const { return row >= 0 && row < RowCount() && col >= 0 && col < mCols; }

    struct Cell {
        QString text;
        int color = 0;
        mutable double number = 0;
        mutable bool numberRead = false;
    };
    // Either cells, or (when `ends` is not empty) the texts one after another in `packed`,
    // cell c ending at ends[c].
    struct Row {
        QVector<Cell> cells;
        QString packed;
        QVector<int> ends;
    };
    static void Unpack(Row& row);
    QVector<Row> mRows;
    QVector<int> mWidths;
    QVector<bool> mHiddenRows;
    QVector<bool> mHiddenCols;
    int mCols = 0;
    int mFixedRows = 2;
    int mFixedCols = 2;
};

} // namespace kestrio
