#pragma once

#include "format/Workspace.h"

namespace kestrio::test {

// A box of `kind` at x, y, w × h millimetres in 10-point 宋体, labelled 框<row>, with the
// data-type code `code`.
inline int AddTestBox(Workspace& ws, int kind, double x, double y, double w, double h,
                      const QString& code = QStringLiteral("0"))
{
    using Col = ElementTable::Column;
    const int row = ws.table.AddElementRow(kind);
    ws.table.SetText(row, Col::ColId, QString::number(100 + row));
    ws.table.SetText(row, Col::ColLbl, QStringLiteral("框%1").arg(row));
    ws.table.SetText(row, Col::ColX, QString::number(x));
    ws.table.SetText(row, Col::ColY, QString::number(y));
    ws.table.SetText(row, Col::ColW, QString::number(w));
    ws.table.SetText(row, Col::ColH, QString::number(h));
    ws.table.SetText(row, Col::ColFontName, QStringLiteral("宋体"));
    ws.table.SetText(row, Col::ColFontSize, QStringLiteral("10"));
    ws.table.SetText(row, Col::ColCash, code);
    return row;
}

} // namespace kestrio::test
