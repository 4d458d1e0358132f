#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrio {

// The rows of one worksheet or CSV file as text cells: row 1 of the source is rows[0], column
// "A" is cells[0]. Rows may be shorter than others; a missing cell reads as empty text.
struct SourceRows {
    QList<QStringList> rows;

    int RowCount() const { return static_cast<int>(rows.size()); }
    // `row` and `column` from 1, as the mapping counts them.
    QString Cell(int row, int column) const
    {
        if (row < 1 || row > rows.size()) return {};
        return rows[row - 1].value(column - 1);
    }
    int ColumnCount() const
    {
        qsizetype widest = 0;
        for (const QStringList& row : rows) widest = std::max(widest, row.size());
        return static_cast<int>(widest);
    }
};

} // namespace kestrio
