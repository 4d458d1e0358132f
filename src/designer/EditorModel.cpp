#include "EditorModel.h"

#include "convert/DataTypeCatalog.h"
#include "format/ElementTable.h"
#include "format/FormatDocument.h"

#include <cmath>

namespace kestrio {

namespace {

QString Plain(double value)
{
    return QString::number(value, 'g', 12);
}

bool HasCellCount(int baseCode)
{
    return baseCode == 11 || baseCode == 211 || baseCode == 311 || baseCode == 114 || baseCode == 121;
}

QString FieldCaption(EditorModel::Field field)
{
    switch (field) {
    case EditorModel::X: return QStringLiteral("横向坐标：");
    case EditorModel::Y: return QStringLiteral("纵向坐标：");
    case EditorModel::Width: return QStringLiteral("宽：");
    case EditorModel::Height: return QStringLiteral("高：");
    case EditorModel::Spacing: return QStringLiteral("字间距：");
    case EditorModel::LineSpacing: return QStringLiteral("行间距：");
    case EditorModel::LineWidth: return QStringLiteral("粗细：");
    default: return {};
    }
}

} // namespace

EditorModel EditorModel::Load(const FormatDocument& document, int row)
{
    EditorModel model;
    model.mRow = row;
    const Element element = document.ElementAt(row);
    model.mKind = element.kind;
    Values& v = model.mValues;
    v.label = element.label;
    v.x = Plain(element.x);
    v.y = Plain(element.y);
    v.width = Plain(element.width);
    v.height = Plain(element.height);
    v.spacing = Plain(element.spacing);
    v.lineSpacing = Plain(element.lineSpacing);
    v.lineWidth = Plain(element.fontSize);
    v.alignment = element.alignment;
    v.captionPosition = element.captionPosition;
    v.font = element;
    v.lineStyle = static_cast<int>(element.dataType);
    DecodeDataType(element.dataType, &v.baseCode, &v.cells);
    v.related[0] = DecodeRelation(element.relatedTo);
    v.related[1] = DecodeRelation(element.relatedTo1);
    v.sum[0] = DecodeSum(element.sumTo);
    v.sum[1] = DecodeSum(element.sumTo1);
    return model;
}

void EditorModel::ChooseDataType(int baseCode)
{
    mValues.baseCode = baseCode;
    mValues.cells = HasCellCount(baseCode) ? 11 : 0;
    MarkChanged(DataType);
}

void EditorModel::SetCells(int cells)
{
    mValues.cells = (cells > 99 || cells <= 0) ? 11 : cells;
    MarkChanged(DataType);
}

bool EditorModel::Save(FormatDocument& document, QString* error) const
{
    QList<std::pair<int, Element>> changes;
    const QSet<qint64>& selection = document.Selection();
    for (int row : document.ElementRows()) {
        Element element = document.ElementAt(row);
        const bool edited = row == mRow;
        if (!edited && (element.kind != mKind || !selection.contains(element.id))) continue;
        if (!Apply(element, edited, error)) return false;
        changes.append({row, element});
    }
    document.ChangeElements(changes, QStringLiteral("修改属性"));
    return true;
}

bool EditorModel::ApplyNumber(Field field, const QString& text, double* column, QString* error) const
{
    if (!IsChanged(field)) return true;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        if (error) *error = QStringLiteral("“%1”请输入数字！").arg(mCaptions.value(field, FieldCaption(field)));
        return false;
    }
    *column = value;
    return true;
}

bool EditorModel::Apply(Element& element, bool edited, QString* error) const
{
    const Values& v = mValues;
    if (IsChanged(Label)) element.label = v.label;
    double lineSpacing = element.lineSpacing;
    if (!ApplyNumber(X, v.x, &element.x, error) || !ApplyNumber(Y, v.y, &element.y, error)
        || !ApplyNumber(Width, v.width, &element.width, error)
        || !ApplyNumber(Height, v.height, &element.height, error)
        || !ApplyNumber(Spacing, v.spacing, &element.spacing, error)
        || !ApplyNumber(LineSpacing, v.lineSpacing, &lineSpacing, error))
        return false;
    if (IsChanged(LineSpacing) || IsChanged(Alignment)) {
        // Both live in the L column, so the shown pair is written together.
        element.alignment = v.alignment;
        element.lineSpacing = IsChanged(LineSpacing) ? lineSpacing : v.lineSpacing.trimmed().toDouble();
    }
    // The edited element always takes the window's font; the others only when it was changed,
    // so editing one field of several boxes does not replace their fonts.
    if (edited || IsChanged(Font)) {
        element.fontName = v.font.fontName;
        element.fontSize = v.font.fontSize;
        element.color = v.font.color;
        element.bold = v.font.bold;
        element.italic = v.font.italic;
        element.underline = v.font.underline;
        element.strikeout = v.font.strikeout;
    }
    if (!ApplyNumber(LineWidth, v.lineWidth, &element.fontSize, error)) return false;
    if (IsChanged(CaptionPosition)) element.captionPosition = v.captionPosition;
    if (IsChanged(Sum1)) element.sumTo = EncodeSum(v.sum[0]);
    if (IsChanged(Sum2)) element.sumTo1 = EncodeSum(v.sum[1]);
    if (IsChanged(DataType)) element.dataType = DataTypeCatalog::ComposeCode(v.baseCode, v.cells);
    if (IsChanged(LineStyle)) element.dataType = v.lineStyle;
    if (IsChanged(Related1)) element.relatedTo = EncodeRelation(v.related[0]);
    if (IsChanged(Related2)) element.relatedTo1 = EncodeRelation(v.related[1]);
    return true;
}

double EditorModel::EncodeRelation(const Relation& relation)
{
    const double id = static_cast<double>(relation.id);
    return relation.negative ? -id : id;
}

EditorModel::Relation EditorModel::DecodeRelation(double stored)
{
    Relation relation;
    relation.id = static_cast<qint64>(std::trunc(std::fabs(stored)));
    relation.negative = stored < 0;
    return relation;
}

double EditorModel::EncodeSum(const Relation& sum)
{
    if (sum.id == 0) return 0;
    const double magnitude = static_cast<double>(sum.id) + (sum.negate ? 0.1 : 0.0);
    return sum.negative ? -magnitude : magnitude;
}

EditorModel::Relation EditorModel::DecodeSum(double stored)
{
    Relation sum;
    const double magnitude = std::fabs(stored);
    sum.id = static_cast<qint64>(std::trunc(magnitude));
    sum.negative = stored < 0;
    sum.negate = magnitude - std::trunc(magnitude) > 1e-6;
    return sum;
}

void EditorModel::DecodeDataType(double cash, int* baseCode, int* cells)
{
    const int whole = static_cast<int>(std::trunc(cash));
    if (cash > 0 && cash < 100) {
        *baseCode = 11;
        *cells = whole;
    } else if (cash > 200 && cash < 400) {
        *baseCode = cash > 300 ? 311 : 211;
        *cells = cash > 300 ? whole - 300 : whole - 200; // exactly 300 reads as 211 with 100
    } else if (whole == 114 || whole == 121) {
        *baseCode = whole;
        *cells = static_cast<int>(std::trunc(cash * 100 - whole * 100 + 1e-6));
    } else {
        *baseCode = whole;
        *cells = 0;
    }
}

bool EditorModel::CellCountEnabled(int baseCode)
{
    return HasCellCount(baseCode);
}

bool EditorModel::AlignmentEnabled(int baseCode)
{
    return baseCode != 311 && baseCode != 121 && baseCode != 114 && baseCode != 11;
}

bool EditorModel::LineSpacingEnabled(int baseCode)
{
    return !HasCellCount(baseCode);
}

bool EditorModel::CharSpacingEnabled(int baseCode)
{
    return !HasCellCount(baseCode) || baseCode == 114 || baseCode == 121;
}

QStringList EditorModel::RelationEntries(const FormatDocument& document, int editedRow, QList<qint64>* ids)
{
    QStringList entries{QStringLiteral("000000｜没有相关联输入框")};
    if (ids) *ids = {0};
    const ElementTable& table = document.Table();
    for (int row : document.ElementRows()) {
        if (row == editedRow || table.KindOf(row) != ElementTable::TextBox) continue;
        const qint64 id = table.Id(row);
        entries.append(QStringLiteral("%1｜%2").arg(id, 6, 10, QLatin1Char('0')).arg(table.Text(row, ElementTable::ColLbl)));
        if (ids) ids->append(id);
    }
    return entries;
}

QStringList EditorModel::DataTypeEntries(const std::function<QString(int code)>& customText)
{
    return DataTypeCatalog::Entries(customText ? customText(119) : QString());
}

} // namespace kestrio
