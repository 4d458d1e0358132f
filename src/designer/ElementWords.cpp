#include "ElementWords.h"

#include "convert/DataTypeCatalog.h"
#include "designer/EditorModel.h"
#include "format/ElementTable.h"

#include <QColor>

#include <cmath>

namespace kestrio {

namespace {

QString Number(double value)
{
    return QString::number(value, 'g', 10);
}

QString KindName(int kind)
{
    static const QStringList names{QStringLiteral("文本框"), QStringLiteral("可选框"), QStringLiteral("图像框"),
                                   QStringLiteral("线条"), QStringLiteral("标签")};
    return names.value(kind);
}

// "0 毫米", "4 毫米，居中": the line spacing and the alignment kept in its thousands.
QString LineSpacing(double stored)
{
    static const QStringList alignments{QString(), QStringLiteral("，居右"), QStringLiteral("，居中")};
    const double magnitude = std::fabs(stored);
    const int thousands = static_cast<int>(std::floor(magnitude / 1000));
    const double spacing = std::copysign(magnitude - 1000.0 * std::min(thousands, 20), stored);
    return Number(spacing) + QStringLiteral(" 毫米") + alignments.value(thousands);
}

QString Ticked(const QString& stored)
{
    return stored.isEmpty() || stored == QLatin1String("0") ? QString() : QStringLiteral("是");
}

} // namespace

QString ElementWords::Cell(const ElementTable& table, int row, int col)
{
    const QString stored = table.Text(row, col);
    const int kind = table.KindOf(row);
    const double number = table.Number(row, col);
    switch (col) {
    case ElementTable::ColL: return kind == ElementTable::Line ? stored : LineSpacing(number);
    case ElementTable::ColColor: return QColor(table.Color(row) & 0xff, (table.Color(row) >> 8) & 0xff,
                                               (table.Color(row) >> 16) & 0xff).name();
    case ElementTable::ColFontSize:
        return kind == ElementTable::Line ? QStringLiteral("线宽 ") + Number(number) : Number(number) + QStringLiteral(" 磅");
    case ElementTable::ColBold:
    case ElementTable::ColItalic:
    case ElementTable::ColUnderline:
    case ElementTable::ColStrikethru: return Ticked(stored);
    case ElementTable::ColClas: return Number(kind) + QLatin1Char(' ') + KindName(kind);
    case ElementTable::ColCash:
        if (kind == ElementTable::Line) return LineStyle(number);
        return kind == ElementTable::TextBox ? DataType(number) : stored;
    case ElementTable::ColRCtl:
    case ElementTable::ColRCtl1: return Link(table, number);
    case ElementTable::ColSumId:
    case ElementTable::ColSumId1: return Sum(table, number);
    default: return stored;
    }
}

QString ElementWords::DataType(double cash)
{
    int base = 0;
    int cells = 0;
    EditorModel::DecodeDataType(cash, &base, &cells);
    for (const QString& entry : DataTypeCatalog::Entries()) {
        if (DataTypeCatalog::BaseCodeOf(entry) != base) continue;
        QString name = entry.section(QStringLiteral("｜"), 1);
        if (name.endsWith(QStringLiteral("："))) name.chop(1);
        QString words = Number(cash) + QLatin1Char(' ') + name;
        if (EditorModel::CellCountEnabled(base))
            words += QStringLiteral("，%1").arg(cells) + (base == 114 || base == 121 ? QStringLiteral("位") : QStringLiteral("格"));
        return words;
    }
    return Number(cash);
}

QString ElementWords::LineStyle(double cash)
{
    static const QStringList styles{QStringLiteral("实线"), QStringLiteral("实线"), QStringLiteral("虚线"),
                                    QStringLiteral("点画线"), QStringLiteral("点虚线"), QStringLiteral("点点虚线")};
    const int style = static_cast<int>(std::trunc(cash));
    return style >= 0 && style < styles.size() ? Number(style) + QLatin1Char(' ') + styles[style] : Number(cash);
}

QString ElementWords::Link(const ElementTable& table, double stored)
{
    const EditorModel::Relation link = EditorModel::DecodeRelation(stored);
    if (link.id == 0) return {};
    return (link.negative ? QStringLiteral("相关：") : QStringLiteral("相同：")) + Caption(table, link.id);
}

QString ElementWords::Sum(const ElementTable& table, double stored)
{
    const EditorModel::Relation sum = EditorModel::DecodeSum(stored);
    if (sum.id == 0) return {};
    return (sum.negative ? QStringLiteral("累乘至：") : QStringLiteral("累加至：")) + Caption(table, sum.id) +
           (sum.negate ? QStringLiteral("（取负）") : QString());
}

QString ElementWords::Caption(const ElementTable& table, qint64 id)
{
    const int row = table.RowOfId(id);
    if (row < 0 || !table.IsDataRow(row)) return QStringLiteral("（没有 %1 号输入框）").arg(id);
    const QString label = table.Text(row, ElementTable::ColLbl);
    return label.isEmpty() ? QStringLiteral("输入框 %1").arg(id) : label;
}

} // namespace kestrio
