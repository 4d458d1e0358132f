#include "FieldType.h"

#include <QDate>
#include <QDateTime>
#include <cmath>
#include <optional>

namespace kestrio {

FieldType FieldTypeFromDeclaration(const QString& declaration)
{
    const QString base = declaration.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char('('), 0, 0).toUpper();
    if (base.isEmpty()) return FieldType::Unknown;
    if (base == QLatin1String("TEXT") || base == QLatin1String("VARCHAR") || base == QLatin1String("CHAR"))
        return FieldType::Text;
    if (base == QLatin1String("LONGTEXT") || base == QLatin1String("MEMO")) return FieldType::Memo;
    if (base == QLatin1String("SHORT") || base == QLatin1String("SMALLINT")) return FieldType::Short;
    if (base == QLatin1String("LONG") || base == QLatin1String("INTEGER") || base == QLatin1String("INT"))
        return FieldType::Long;
    if (base == QLatin1String("SINGLE")) return FieldType::Single;
    if (base == QLatin1String("DOUBLE") || base == QLatin1String("REAL") || base == QLatin1String("FLOAT"))
        return FieldType::Double;
    if (base == QLatin1String("CURRENCY")) return FieldType::Currency;
    if (base == QLatin1String("YESNO")) return FieldType::YesNo;
    if (base == QLatin1String("DATE")) return FieldType::Date;
    return FieldType::Unknown;
}

namespace {

QString DoubleText(double value, int significant)
{
    if (std::isnan(value) || std::isinf(value)) return QString::number(value);
    if (value == std::floor(value) && std::fabs(value) < 1e15) return QString::number(static_cast<qint64>(value));
    QString text = QString::number(value, 'f', qMax(0, significant - 1 - static_cast<int>(std::floor(std::log10(std::fabs(value))))));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    return text;
}

std::optional<double> ReadNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok) return value;
    return std::nullopt;
}

QVariant YesNoValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? 1 : 0;
    const QString text = value.toString().trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0"))
        return 0;
    if (const auto number = ReadNumber(text)) return *number != 0 ? 1 : 0;
    return 1; // "True", "√", "Yes" and any other mark
}

QVariant NumberValue(const QVariant& value, bool whole)
{
    if (value.isNull()) return value;
    std::optional<double> number;
    if (value.typeId() == QMetaType::Bool) number = value.toBool() ? -1.0 : 0.0;
    else if (value.typeId() == QMetaType::QString) number = ReadNumber(value.toString());
    else if (value.canConvert<double>()) number = value.toDouble();
    if (!number) return value.toString().trimmed().isEmpty() ? QVariant() : value;
    // Whole-number columns round halves to the even neighbour, as stored files expect.
    if (whole) return static_cast<qint64>(std::nearbyint(*number));
    return *number;
}

} // namespace

QString VariantText(const QVariant& value, FieldType type)
{
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::Double:
        return DoubleText(value.toDouble(), type == FieldType::Single ? 7 : 15);
    case QMetaType::Float:
        return DoubleText(value.toDouble(), 7);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

QVariant ValueForColumn(const QVariant& value, FieldType type)
{
    switch (type) {
    case FieldType::YesNo:
        return YesNoValue(value);
    case FieldType::Short:
    case FieldType::Long:
        return NumberValue(value, true);
    case FieldType::Single:
    case FieldType::Double:
    case FieldType::Currency:
        return NumberValue(value, false);
    case FieldType::Text:
    case FieldType::Memo:
        return value.isNull() ? value : QVariant(VariantText(value));
    case FieldType::Date:
        return value.isNull() ? value : QVariant(VariantText(value));
    case FieldType::Unknown:
        break;
    }
    return value;
}

} // namespace kestrio
