#include "Element.h"

#include "ElementTable.h"

#include <cmath>

namespace kestrio {

namespace {

QString NumberText(double value)
{
    return QString::number(value, 'g', 12);
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("√") : QString();
}

bool Flag(const ElementTable& table, int row, int col)
{
    return !table.Text(row, col).isEmpty();
}

// Writes `text` unless the cell already reads as `value`.
void PutNumber(ElementTable& table, int row, int col, double value)
{
    if (table.Number(row, col) != value) table.SetText(row, col, NumberText(value));
}

void PutFlag(ElementTable& table, int row, int col, bool on)
{
    if (Flag(table, row, col) != on) table.SetText(row, col, FlagText(on));
}

} // namespace

double Element::PackAlignment(int alignment, double lineSpacing)
{
    const double packed = std::fabs(lineSpacing) + 1000.0 * alignment;
    return lineSpacing < 0 ? -packed : packed;
}

void Element::UnpackAlignment(double packed, int* alignment, double* lineSpacing)
{
    double rest = std::fabs(packed);
    int thousands = 0;
    while (rest >= 1000 && thousands < 20) {
        rest -= 1000;
        ++thousands;
    }
    *alignment = thousands;
    *lineSpacing = packed < 0 ? -rest : rest;
}

Element Element::FromRow(const ElementTable& table, int row)
{
    using T = ElementTable;
    Element e;
    e.id = table.Id(row);
    e.number = static_cast<int>(table.Number(row, T::ColNumber));
    e.label = table.Text(row, T::ColLbl);
    e.captionPosition = T::DirCode(table.Text(row, T::ColDir));
    e.x = table.Number(row, T::ColX);
    e.y = table.Number(row, T::ColY);
    e.width = table.Number(row, T::ColW);
    e.height = table.Number(row, T::ColH);
    e.spacing = table.Number(row, T::ColS);
    UnpackAlignment(table.Number(row, T::ColL), &e.alignment, &e.lineSpacing);
    e.color = table.Color(row);
    e.fontName = table.Text(row, T::ColFontName);
    e.fontSize = table.Number(row, T::ColFontSize);
    e.bold = Flag(table, row, T::ColBold);
    e.italic = Flag(table, row, T::ColItalic);
    e.underline = Flag(table, row, T::ColUnderline);
    e.strikeout = Flag(table, row, T::ColStrikethru);
    e.kind = table.KindOf(row);
    e.dataType = table.Number(row, T::ColCash);
    e.relatedTo = table.Number(row, T::ColRCtl);
    e.relatedTo1 = table.Number(row, T::ColRCtl1);
    e.sumTo = table.Number(row, T::ColSumId);
    e.sumTo1 = table.Number(row, T::ColSumId1);
    return e;
}

void Element::WriteTo(ElementTable& table, int row) const
{
    using T = ElementTable;
    const Element old = FromRow(table, row);
    if (old.id != id) table.SetText(row, T::ColId, QString::number(id));
    PutNumber(table, row, T::ColNumber, number);
    if (old.label != label) table.SetText(row, T::ColLbl, label);
    if (old.captionPosition != captionPosition) table.SetText(row, T::ColDir, T::DirText(captionPosition));
    PutNumber(table, row, T::ColX, x);
    PutNumber(table, row, T::ColY, y);
    PutNumber(table, row, T::ColW, width);
    PutNumber(table, row, T::ColH, height);
    PutNumber(table, row, T::ColS, spacing);
    if (old.alignment != alignment || old.lineSpacing != lineSpacing)
        table.SetText(row, T::ColL, NumberText(PackAlignment(alignment, lineSpacing)));
    if (old.color != color) table.SetColor(row, color);
    if (old.fontName != fontName) table.SetText(row, T::ColFontName, fontName);
    PutNumber(table, row, T::ColFontSize, fontSize);
    PutFlag(table, row, T::ColBold, bold);
    PutFlag(table, row, T::ColItalic, italic);
    PutFlag(table, row, T::ColUnderline, underline);
    PutFlag(table, row, T::ColStrikethru, strikeout);
    PutNumber(table, row, T::ColClas, kind);
    PutNumber(table, row, T::ColCash, dataType);
    PutNumber(table, row, T::ColRCtl, relatedTo);
    PutNumber(table, row, T::ColRCtl1, relatedTo1);
    PutNumber(table, row, T::ColSumId, sumTo);
    PutNumber(table, row, T::ColSumId1, sumTo1);
}

} // namespace kestrio
