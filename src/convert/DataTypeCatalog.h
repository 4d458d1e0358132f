#pragma once

#include <QString>
#include <QStringList>

namespace kestrio {

// The data types as the input-box editor lists them ("103｜大写金额(元)", …) and how a list
// entry and a cell count make the code stored in Cash.
class DataTypeCatalog {
public:
    // The entries in list order; the first three characters are the base code. The custom
    // date entry carries the stored pattern after its "：".
    static QStringList Entries(const QString& customPattern = {});
    static int BaseCodeOf(const QString& entry) { return entry.left(3).toInt(); }

    // The base code of the entry that shows an existing code: 11 for 1–99, 211 for 201–300,
    // 311 for 301–399, 114 or 121 for those families, else the code's whole part.
    static int EntryBaseFor(double code);
    // The cell count an existing code carries (0 for codes without cells).
    static int CellCountOf(double code);
    // The caption of the cell-count field for an entry's base code.
    static QString CellCountCaption(int baseCode);
    // The code stored for an entry's base code and a cell count; a count outside 1–99 is
    // taken as 11.
    static double ComposeCode(int baseCode, int cells);
};

} // namespace kestrio
