#pragma once

#include "Grid.h"

#include <QHash>
#include <QStringList>

namespace kestrio {

// The working copy of a format's element rows: 23 columns in a fixed order, row 0 the Fmt
// column names, row 1 the headers, one element per row from row 2. It is the master copy
// while a format is open; the database is written only when the format is saved.
class ElementTable {
public:
    enum Column {
        ColId = 0, ColNumber, ColLbl, ColDir, ColX, ColY, ColW, ColH, ColS, ColL, ColColor, ColFontName,
        ColFontSize, ColBold, ColItalic, ColUnderline, ColStrikethru, ColClas, ColCash, ColRCtl, ColSumId,
        ColSumId1, ColRCtl1, ColumnCount
    };
    enum Kind { TextBox = 0, CheckBox = 1, PictureBox = 2, Line = 3, Label = 4 };
    static constexpr int kFirstRow = 2;
    // Element indices are kind × 1000 + 1 … 999: a kind holds at most this many.
    static constexpr int kMaxPerKind = 999;

    static const QStringList& ColumnNames();
    static const QStringList& Headers();
    // "上方", "左边", "右边", "下方" for 0–3; empty for any other code. Unknown text reads 0.
    static QString DirText(int code);
    static int DirCode(const QString& text);

    ElementTable();
    Grid& grid() { return mGrid; }
    const Grid& grid() const { return mGrid; }

    // Empties the table to its two header rows.
    void Clear();
    int RowCount() const { return mGrid.RowCount(); }
    bool IsDataRow(int row) const { return row >= kFirstRow && row < mGrid.RowCount(); }
    QString Text(int row, int col) const { return mGrid.Text(row, col); }
    void SetText(int row, int col, const QString& text) { mGrid.SetText(row, col, text); }
    double Number(int row, int col) const;

    qint64 Id(int row) const;
    int KindOf(int row) const { return static_cast<int>(Number(row, ColClas)); }
    int RowOfId(qint64 id) const;
    // The text colour held by column 10 (black is held as 65793 and read back as 0).
    int Color(int row) const;
    void SetColor(int row, int color);

    // The ID a new element gets until it is saved: counting down from −1 past every row whose
    // ID is at or below the candidate, in table order, and on past any ID still taken.
    qint64 NewTemporaryId() const;
    // Adds a row with a new element's defaults: temporary ID, running number, caption "左边",
    // spacing, line spacing, data type and relations 0. Returns the row.
    int AddElementRow(int kind);
    // Copies every non-fixed column of `source` into `target` (when they differ) and, in every
    // case, the colour.
    void CopyRowProperties(int source, int target);
    // After a save: every reference (columns 19–22) is made to name the new ID of the element
    // it named, keeping its sign and any fraction. Each reference is mapped once from its
    // value before the save, so a new ID that happens to equal another element's old
    // (temporary) ID is never taken for it; a reference equal to an old ID wins over one
    // equal to minus an old ID.
    void Repoint(const QHash<qint64, qint64>& newIds);

private:
    Grid mGrid;
};

} // namespace kestrio
