#pragma once

#include <QString>
#include <QVariant>

namespace kestrio {

// The column types the program distinguishes, as the Jet engine named them.
enum class FieldType { Unknown, Text, Memo, Short, Long, Single, Double, Currency, YesNo, Date };

// The type of a column from its declaration in the engine ("SINGLE", "TEXT(255) COLLATE NOCASE", …).
FieldType FieldTypeFromDeclaration(const QString& declaration);

// A stored value as text: whole numbers in decimal, floating-point numbers in their shortest
// plain form (1234.5, not 1.2345e+03), null as an empty text. Single-precision columns are
// written with the digits a single holds (7 significant).
QString VariantText(const QVariant& value, FieldType type = FieldType::Unknown);

// `value` converted for storing into a column of `type`: "True"/"√" into 1 for Yes/No,
// numeric texts into numbers for numeric columns, numbers into their text for text columns.
QVariant ValueForColumn(const QVariant& value, FieldType type);

} // namespace kestrio
