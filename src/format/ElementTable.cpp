#include "ElementTable.h"

#include "GridFiller.h"
#include "convert/Decimal.h"
#include "storage/FieldType.h"

#include <cmath>

namespace kestrio {

const QStringList& ElementTable::ColumnNames()
{
    static const QStringList names{
        QStringLiteral("ID"),     QString(),                 QStringLiteral("LBL"),        QStringLiteral("Dir"),
        QStringLiteral("X"),      QStringLiteral("Y"),       QStringLiteral("W"),          QStringLiteral("H"),
        QStringLiteral("S"),      QStringLiteral("L"),       QStringLiteral("Color"),      QStringLiteral("fName"),
        QStringLiteral("fSize"),  QStringLiteral("fBold"),   QStringLiteral("fItalic"),    QStringLiteral("fUnderline"),
        QStringLiteral("fStrikethru"), QStringLiteral("Clas"), QStringLiteral("Cash"),     QStringLiteral("RCtl"),
        QStringLiteral("SumID"),  QStringLiteral("SumID1"),  QStringLiteral("RCtl1")};
    return names;
}

const QStringList& ElementTable::Headers()
{
    static const QStringList headers{
        QStringLiteral("ID"),           QStringLiteral("序号"),         QStringLiteral("标签内容"),
        QStringLiteral("标签位置"),     QStringLiteral("横向位置(毫米)"), QStringLiteral("纵向位置(毫米)"),
        QStringLiteral("宽度(毫米)"),   QStringLiteral("高度(毫米)"),   QStringLiteral("字间距(毫米)"),
        QStringLiteral("行距(毫米)"),   QStringLiteral("字体颜色"),     QStringLiteral("字体"),
        QStringLiteral("字号"),         QStringLiteral("黑体"),         QStringLiteral("斜体"),
        QStringLiteral("下划线"),       QStringLiteral("删除线"),       QStringLiteral("类别"),
        QStringLiteral("数据类别"),     QStringLiteral("关联项"),       QStringLiteral("累加框"),
        QStringLiteral("累加框1"),      QStringLiteral("相关项1")};
    return headers;
}

QString ElementTable::DirText(int code)
{
    static const QStringList texts{QStringLiteral("上方"), QStringLiteral("左边"), QStringLiteral("右边"),
                                   QStringLiteral("下方")};
    return code >= 0 && code < texts.size() ? texts[code] : QString();
}

int ElementTable::DirCode(const QString& text)
{
    for (int code = 0; code < 4; ++code)
        if (DirText(code) == text) return code;
    return 0;
}

ElementTable::ElementTable()
{
    mGrid.tag = QStringLiteral("Fmt");
    Clear();
}

void ElementTable::Clear()
{
    GridFiller::LayoutGrid(mGrid, ColumnNames(), Headers());
}

double ElementTable::Number(int row, int col) const
{
    return mGrid.LeadingNumber(row, col);
}

qint64 ElementTable::Id(int row) const
{
    bool plain = false;
    const qint64 id = Text(row, ColId).toLongLong(&plain); // the usual case, and a hot one
    return plain ? id : static_cast<qint64>(Number(row, ColId));
}

int ElementTable::RowOfId(qint64 id) const
{
    for (int row = kFirstRow; row < RowCount(); ++row)
        if (Id(row) == id) return row;
    return -1;
}

int ElementTable::Color(int row) const
{
    const int color = mGrid.CellColor(row, ColColor);
    return color == GridFiller::kBlack ? 0 : color;
}

void ElementTable::SetColor(int row, int color)
{
    mGrid.SetCellColor(row, ColColor, color == 0 ? GridFiller::kBlack : color);
}

qint64 ElementTable::NewTemporaryId() const
{
    qint64 candidate = -1;
    for (int row = kFirstRow; row < RowCount(); ++row)
        if (Id(row) <= candidate) --candidate;
    // The count above can land on an ID still in use (add, add, remove the first, add): two
    // boxes must never share one.
    while (RowOfId(candidate) >= 0) --candidate;
    return candidate;
}

int ElementTable::AddElementRow(int kind)
{
    const qint64 id = NewTemporaryId();
    const int row = mGrid.AddRow();
    SetText(row, ColId, QString::number(id));
    SetText(row, ColNumber, QString::number(row - kFirstRow + 1));
    SetText(row, ColDir, DirText(1));
    for (int col : {ColS, ColL, ColCash, ColRCtl, ColRCtl1, ColSumId, ColSumId1}) SetText(row, col, QStringLiteral("0"));
    SetText(row, ColClas, QString::number(kind));
    return row;
}

void ElementTable::CopyRowProperties(int source, int target)
{
    if (!IsDataRow(source) || !IsDataRow(target)) return;
    if (source != target)
        for (int col = mGrid.FixedCols(); col < ColumnCount; ++col) SetText(target, col, Text(source, col));
    mGrid.SetCellColor(target, ColColor, mGrid.CellColor(source, ColColor));
}

void ElementTable::Repoint(const QHash<qint64, qint64>& newIds)
{
    for (int row = kFirstRow; row < RowCount(); ++row) {
        for (int col : {ColRCtl, ColRCtl1, ColSumId, ColSumId1}) {
            const Decimal value = Decimal::FromLeadingNumber(Text(row, col));
            if (value.IsZero()) continue;
            const qint64 whole = value.WholeDigits().toLongLong() * (value.IsNegative() ? -1 : 1);
            qint64 target;
            if (newIds.contains(whole)) target = newIds.value(whole);
            else if (newIds.contains(-whole)) target = -newIds.value(-whole);
            else continue;
            // A fraction (a member entering negated) stays with the reference.
            const double fraction = std::fabs(value.ToDouble()) - static_cast<double>(std::llabs(whole));
            const double repointed = (static_cast<double>(std::llabs(target)) + fraction) * (target < 0 ? -1 : 1);
            SetText(row, col, GridFiller::TwoDecimals(repointed));
        }
    }
}

} // namespace kestrio
