#include "GridFiller.h"

#include "Grid.h"
#include "storage/DbOperate.h"

#include <QDate>
#include <cmath>

namespace kestrio {

bool GridFiller::LayoutGrid(Grid& grid, const QStringList& names, const QStringList& headers)
{
    if (names.size() != headers.size()) return false;
    grid.SetSize(2, static_cast<int>(names.size()));
    grid.SetFixed(2, 2);
    for (int c = 0; c < names.size(); ++c) {
        grid.SetText(0, c, names[c]);
        grid.SetText(1, c, headers[c]);
    }
    return true;
}

QString GridFiller::TwoDecimals(double value)
{
    return VariantText(std::nearbyint(value * 100) / 100, FieldType::Double);
}

namespace {

QString CellText(const Recordset& rs, int field)
{
    const QVariant value = rs.Value(field);
    switch (rs.FieldAt(field).type) {
    case FieldType::Double:
    case FieldType::Currency:
        return value.isNull() ? QString() : GridFiller::TwoDecimals(value.toDouble());
    case FieldType::YesNo:
        return value.toInt() != 0 ? QStringLiteral("√") : QString();
    case FieldType::Date: {
        const QDate date = QDate::fromString(rs.Text(field).left(10), Qt::ISODate);
        return date.isValid() ? date.toString(QStringLiteral("yyyy.MM.dd")) : rs.Text(field);
    }
    default:
        return rs.Text(field);
    }
}

} // namespace

void GridFiller::FillGrid(DbOperate& db, Grid& grid, const QString& condition, const QString& order)
{
    grid.SetSize(grid.FixedRows(), grid.ColCount());
    QString sql = QStringLiteral("SELECT * FROM ") + grid.tag;
    if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;

    int numberCol = -1;
    for (int c = 0; c < grid.ColCount(); ++c)
        if (grid.Text(1, c) == QStringLiteral("序号")) {
            numberCol = c;
            break;
        }
    grid.SetFixed(grid.FixedRows(), numberCol + 1);

    Recordset rs = db.OpenQuery(sql);
    QVector<int> fields(grid.ColCount());
    for (int c = 0; c < grid.ColCount(); ++c) fields[c] = rs.FieldIndex(grid.Text(0, c));
    for (; !rs.Eof(); rs.MoveNext()) {
        const int row = grid.AddRow();
        for (int c = 0; c < grid.ColCount(); ++c) {
            const QString name = grid.Text(0, c);
            if (name.isEmpty()) {
                if (c == grid.FixedCols() - 1) grid.SetText(row, c, QString::number(row - grid.FixedRows() + 1));
            } else if (name.count(QLatin1Char(':')) == 2) {
                const QStringList parts = name.split(QLatin1Char(':'));
                grid.SetText(row, c, db.FieldById(parts[0], rs.Value(parts[1]).toLongLong(), parts[2]));
            } else if (name.compare(QLatin1String("Color"), Qt::CaseInsensitive) == 0) {
                const int color = rs.Value(fields[c]).toInt();
                grid.SetCellColor(row, c, color == 0 ? kBlack : color);
            } else if (fields[c] >= 0) {
                grid.SetText(row, c, CellText(rs, fields[c]));
            }
        }
    }
}

} // namespace kestrio
