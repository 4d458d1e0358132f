#include "RelationText.h"

#include "designer/ElementWords.h"
#include "format/ElementTable.h"

#include <cmath>

namespace kestrio {

namespace {

// As the calculation walks links: at most this many steps round a ring.
constexpr int kMaxLinkSteps = 501;

// The same-content link of a box as the calculation takes it: RCtl1 when positive, else RCtl.
qint64 SameLink(double rctl, double rctl1)
{
    if (rctl1 > 0) return static_cast<qint64>(std::trunc(rctl1));
    return rctl > 0 ? static_cast<qint64>(std::trunc(rctl)) : 0;
}

bool IsTextBox(const ElementTable& table, int row)
{
    return row >= 0 && table.IsDataRow(row) && table.KindOf(row) == ElementTable::TextBox;
}

// Whether box `target` lies on the same-content walk that starts at the box in `row`, whose
// own link is `firstLink`.
bool OnSameRing(const ElementTable& table, int row, qint64 firstLink, qint64 target)
{
    const qint64 start = table.Id(row);
    qint64 next = firstLink;
    for (int step = 0; step < kMaxLinkSteps && next != 0 && next != start; ++step) {
        if (next == target) return true;
        const int at = table.RowOfId(next);
        if (!IsTextBox(table, at)) return false;
        next = SameLink(table.Number(at, ElementTable::ColRCtl), table.Number(at, ElementTable::ColRCtl1));
    }
    return false;
}

} // namespace

QString RelationText::Explanation()
{
    return QStringLiteral("相同：离开本框时，把同一内容按对方的数据类别写入对方框（如小写金额写成大写金额）。\n"
                          "相关：离开本框时，找出本框内容与此相同的最近一张单据，把那张单据上对方框的内容填入"
                          "（如输入收款人，带出账号和开户行）。");
}

QString RelationText::Line(const ElementTable& table, int row, const EditorModel::Relation& relation)
{
    if (relation.id == 0) return {};
    const QString from = ElementWords::Caption(table, table.Id(row));
    const QString to = ElementWords::Caption(table, relation.id);
    if (!relation.negative) return from + QStringLiteral(" → ") + to + QStringLiteral("：内容相同（按各自数据类别转换）");
    return from + QStringLiteral(" → ") + to + QStringLiteral("：内容相关（从最近一张") + from +
           QStringLiteral("相同的单据取") + to + QStringLiteral("）");
}

QString RelationText::NeverFills(const ElementTable& table, int row, double cash, const EditorModel::Relation related[2],
                                 int slot)
{
    const EditorModel::Relation& relation = related[slot];
    if (relation.id == 0 || !relation.negative) return {};
    const QString to = ElementWords::Caption(table, relation.id);
    const int whole = static_cast<int>(std::trunc(cash));
    if (whole == 103 || whole == 120 || whole == 114 || whole == 121)
        return QStringLiteral("“相关”不会填入“") + to +
               QStringLiteral("”：本框是大写金额，查找以前的单据时用读回的数字，而单据中存的是大写文字，永远找不到。");
    if (slot == 0 && related[1].id != 0 && related[1].negative)
        return QStringLiteral("“相关”不会填入“") + to + QStringLiteral("”：第二个关联也是“相关”，计算时只按第二个填入。");
    const double rctl = EditorModel::EncodeRelation(related[0]);
    const double rctl1 = EditorModel::EncodeRelation(related[1]);
    if (OnSameRing(table, row, SameLink(rctl, rctl1), relation.id))
        return QStringLiteral("“相关”不会填入别的内容：“") + to +
               QStringLiteral("”与本框内容相同，已按它的数据类别得到同一内容，以前的单据上也是这个内容。");
    return {};
}

} // namespace kestrio
