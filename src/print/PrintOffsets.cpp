#include "PrintOffsets.h"

#include "convert/Decimal.h"

#include <QRegularExpression>

#include <cmath>

namespace kestrio {

namespace {

QString HalfWidth(const QString& text)
{
    QString plain = text.trimmed();
    for (QChar& c : plain) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９') c = QChar(u - u'０' + u'0');
        else if (u == u'．' || u == u'。') c = QLatin1Char('.');
        else if (u == u'－') c = QLatin1Char('-');
        else if (u == u'＋') c = QLatin1Char('+');
    }
    return plain;
}

QString Millimetres(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

std::optional<double> PrintOffsets::Parse(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString plain = HalfWidth(text);
    if (plain.isEmpty()) return 0.0;
    if (!number.match(plain).hasMatch()) return std::nullopt;
    return Decimal::FromLeadingNumber(plain).ToDouble();
}

QString PrintOffsets::Normalised(const QString& text)
{
    if (!Parse(text)) return text;
    return Decimal::FromLeadingNumber(HalfWidth(text)).ToPlainText();
}

QString PrintOffsets::Check(const QString& offsetX, const QString& offsetY, double widthMm, double heightMm)
{
    const std::optional<double> x = Parse(offsetX);
    const std::optional<double> y = Parse(offsetY);
    if (!x) return QStringLiteral("左右偏移“%1”不是数字，请输入毫米数，例如 2.5 或 -1。").arg(offsetX);
    if (!y) return QStringLiteral("上下偏移“%1”不是数字，请输入毫米数，例如 2.5 或 -1。").arg(offsetY);
    // An offset as large as the bill itself moves every box off the paper.
    if (std::abs(*x) >= widthMm || std::abs(*y) >= heightMm)
        return QStringLiteral("偏移太大，单据会整个移出纸张：左右偏移须小于 %1 毫米，上下偏移须小于 %2 毫米（正负均可）。")
            .arg(Millimetres(widthMm), Millimetres(heightMm));
    return {};
}

} // namespace kestrio
