#include "MappingExpression.h"

#include "ColumnLetters.h"
#include "SourceRows.h"

namespace kestrio {

MappingExpression::MappingExpression(const QString& expression)
{
    const QString text = Normalized(expression);
    if (text.isEmpty()) return;
    for (const QString& part : text.split(u','))
        mParts.append(ParsePart(part));
}

QString MappingExpression::Normalized(const QString& expression)
{
    QString text = expression;
    text.replace(u'“', u'"').replace(u'”', u'"').replace(u'，', u',');
    text = text.trimmed();
    if (text.startsWith(u',')) text.remove(0, 1);
    if (text.endsWith(u',')) text.chop(1);
    return text;
}

MappingExpression::Part MappingExpression::ParsePart(QString part)
{
    part.remove(u'\r').remove(u'\n');
    part = part.trimmed();
    Part parsed;
    if (part.size() >= 2 && part.startsWith(u'"') && part.endsWith(u'"')) {
        parsed.text = part.mid(1, part.size() - 2);
        return parsed;
    }
    parsed.isColumn = true;
    const qsizetype plus = part.lastIndexOf(u'+');
    if (plus >= 0) {
        parsed.offset = qMax(0, part.mid(plus + 1).trimmed().toInt());
        part = part.left(part.indexOf(u'+')).trimmed();
    }
    parsed.column = ColumnOf(part);
    return parsed;
}

// One or two characters, each worth its distance from "A" plus one (A = 1 … Z = 26), the
// first times 26 plus the second. A digit, an empty part or anything else that comes out at
// 0 or below counts as column A; three characters and more match no column.
int MappingExpression::ColumnOf(const QString& reference)
{
    if (reference.size() > 2) return 0;
    if (const int letters = ColumnLetters::ToNumber(reference); letters > 0) return letters;
    int value = 0;
    for (const QChar c : reference) {
        const char16_t u = c.toUpper().unicode();
        // A character outside ASCII weighs below nothing, as a double-byte character does.
        value = value * 26 + (u < 0x80 ? static_cast<int>(u) - 'A' + 1 : -1);
    }
    return value <= 0 ? 1 : value;
}

int MappingExpression::WidestColumn() const
{
    int widest = 0;
    for (const Part& part : mParts) widest = qMax(widest, part.column);
    return widest;
}

int MappingExpression::MaxOffset() const
{
    int widest = 0;
    for (const Part& part : mParts) widest = qMax(widest, part.offset);
    return widest;
}

QString MappingExpression::Evaluate(const SourceRows& rows, int row) const
{
    QString value;
    for (const Part& part : mParts) {
        if (!part.isColumn) value += part.text;
        else if (part.column > 0) value += rows.Cell(row + part.offset, part.column);
    }
    return value;
}

} // namespace kestrio
