#include "StatBoxes.h"

#include "convert/BoxConverter.h"
#include "format/FormatStore.h"
#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"

#include <QRegularExpression>

namespace kestrio {

namespace {

const QString kGroupSuffix = QStringLiteral("_XX");

} // namespace

QVector<StatBoxes::Element> StatBoxes::LoadElements(DbOperate& db, const QString& format)
{
    QVector<Element> elements;
    Recordset rows = db.OpenQuery(QStringLiteral("SELECT ID, LBL, Cash FROM Fmt WHERE Fmt=") + SqlQuote(format) +
                                  QStringLiteral(" AND LBL<>") + SqlQuote(FormatStore::WholeFormatLabel()) +
                                  QStringLiteral(" AND LBL<>'' AND Clas<=1 ORDER BY ID"));
    for (; !rows.Eof(); rows.MoveNext())
        elements.append({rows.Value(0).toLongLong(), rows.Text(1), rows.Value(2).toDouble()});
    return elements;
}

bool StatBoxes::Accepts(Kind kind, int code)
{
    switch (kind) {
    case Amount:
        // Lower-case amount cells carry their count in the code (1–99), so every count is an
        // amount box, not only the usual eleven cells.
        return code == 103 || code == 120 || code == 104 || code == 105 || code == 117 || code == 118 ||
               code == 114 || code == 121 || code == 116 || code == 0 || (code >= 1 && code <= 99) ||
               (code >= 201 && code <= 299) || (code >= 301 && code <= 399);
    case Condition:
        return true;
    case FullDate:
        return code == 110 || code == 111;
    case Year:
        return code == 100 || code == 106;
    case Month:
        return code == 101 || code == 107;
    case Day:
        return code == 102 || code == 108;
    }
    return false;
}

QString StatBoxes::GroupLabel(const QString& label)
{
    static const QRegularExpression numbered(QStringLiteral("^(.+)_(\\d+)$"));
    const QRegularExpressionMatch match = numbered.match(label);
    if (!match.hasMatch()) return {};
    const QString number = match.captured(2);
    if (number.count(QLatin1Char('0')) == number.size()) return {}; // base_0 is no member
    return match.captured(1) + kGroupSuffix;
}

bool StatBoxes::CompareLabel(const QString& entryLabel, const QString& label)
{
    if (entryLabel == label) return true;
    return entryLabel.endsWith(kGroupSuffix) && GroupLabel(label) == entryLabel;
}

QVector<StatBox> StatBoxes::Build(Kind kind, const QVector<Element>& elements)
{
    QVector<StatBox> list;
    for (const Element& element : elements) {
        if (!Accepts(kind, BoxConverter::WholeCode(element.code))) continue;
        const QString group = GroupLabel(element.label);
        const QString entry = group.isEmpty() ? element.label : group;
        auto existing = std::find_if(list.begin(), list.end(), [&](const StatBox& box) { return box.label == entry; });
        if (existing == list.end()) existing = list.insert(list.end(), StatBox{entry, {}, {}});
        existing->ids.append(element.id);
        existing->codes.append(element.code);
    }
    return list;
}

int StatBoxes::PresetIndex(const QVector<StatBox>& list)
{
    for (int i = 0; i < list.size(); ++i)
        if (BoxConverter::WholeCode(list[i].Code()) != 0) return i;
    return list.isEmpty() ? -1 : 0;
}

int StatBoxes::AmountPresetIndex(const QVector<StatBox>& list)
{
    for (int i = 0; i < list.size(); ++i) {
        const int w = BoxConverter::WholeCode(list[i].Code());
        if (w == 104 || w == 105 || w == 117 || w == 118 || (w >= 1 && w <= 99) || (w >= 301 && w <= 399)) return i;
    }
    return PresetIndex(list);
}

StatBox StatBoxes::Find(const QVector<StatBox>& list, const QString& label)
{
    for (const StatBox& box : list)
        if (box.label == label) return box;
    return {};
}

QString StatBoxes::IdList(const QVector<qint64>& ids)
{
    QStringList parts;
    for (const qint64 id : ids) parts << QString::number(id);
    return parts.join(QLatin1Char(','));
}

QStringList StatBoxes::ConditionValues(DbOperate& db, const QString& format, const StatBox& box)
{
    QStringList values;
    if (!box.IsSet()) return values;
    Recordset rows = db.OpenQuery(QStringLiteral("SELECT Con FROM 历史 WHERE Fmt=") + SqlQuote(format) +
                                  QStringLiteral(" AND CID IN (") + IdList(box.ids) +
                                  QStringLiteral(") GROUP BY Con ORDER BY Con"));
    for (; !rows.Eof(); rows.MoveNext()) values << rows.Text(0);
    return values;
}

} // namespace kestrio
