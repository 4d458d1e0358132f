#pragma once

#include <QString>
#include <QtGlobal>

namespace kestrio {

class ElementTable;

// One element of the open format as typed values, read from and written to its row of the
// element table, so that callers never index the table's columns by number. Positions,
// sizes and spacings are in millimetres; font sizes in points as the table holds them.
struct Element {
    qint64 id = 0;
    int number = 0;
    QString label;
    // Where the caption sits: 0 上方, 1 左边, 2 右边, 3 下方.
    int captionPosition = 1;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double spacing = 0;
    // Both packed into the L column: alignment 0 left, 1 right, 2 centred.
    int alignment = 0;
    double lineSpacing = 0;
    int color = 0; // 0x00BBGGRR
    QString fontName;
    double fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int kind = 0; // ElementTable::Kind
    double dataType = 0; // the Cash column: code with its cell count as fraction
    double relatedTo = 0; // RCtl: the related box, signed, with its fraction
    double relatedTo1 = 0; // RCtl1
    double sumTo = 0; // SumID
    double sumTo1 = 0; // SumID1

    static Element FromRow(const ElementTable& table, int row);
    // Writes every field whose value differs from what the row holds; fields that read the
    // same keep their text exactly, so stored formats do not change by being looked at.
    void WriteTo(ElementTable& table, int row) const;

    // The L column: alignment × 1000 plus the line spacing, carrying the spacing's sign.
    static double PackAlignment(int alignment, double lineSpacing);
    // Its inverse; at most 20 thousands are taken off, so a corrupt value cannot spin.
    static void UnpackAlignment(double packed, int* alignment, double* lineSpacing);

    bool operator==(const Element&) const = default;
};

} // namespace kestrio
