#include "StatResult.h"

namespace kestrio {

QString StatResult::MonthText(int index) const
{
    return months.value(index).month.toString(QStringLiteral("yyyy-MM"));
}

QString StatResult::TotalText(StatTotal total, bool asMoney)
{
    const bool negative = total < 0;
    StatTotal rest = negative ? -total : total;
    QString digits;
    do {
        digits.prepend(QChar(static_cast<char16_t>(u'0' + static_cast<int>(rest % 10))));
        rest /= 10;
    } while (rest > 0);
    if (asMoney) {
        digits = digits.rightJustified(3, QLatin1Char('0'));
        digits.insert(digits.size() - 2, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

QString StatResult::ValueText(int index) const
{
    return TotalText(months.value(index).value, sums);
}

double StatResult::Value(int index) const
{
    const double value = static_cast<double>(months.value(index).value);
    return sums ? value / 100.0 : value;
}

QString StatResult::ValueCaption() const
{
    return sums ? QStringLiteral("金额") : QStringLiteral("单据数");
}

QString StatResult::LeftOutNote() const
{
    if (leftOut <= 0) return {};
    return QStringLiteral("有%1张单据的日期无法识别，未计入统计。").arg(leftOut);
}

Grid StatResult::ToGrid() const
{
    Grid grid;
    grid.SetSize(1 + static_cast<int>(months.size()), 3);
    grid.SetFixed(1, 1);
    grid.SetText(0, 0, QStringLiteral("序号"));
    grid.SetText(0, 1, QStringLiteral("日期"));
    grid.SetText(0, 2, ValueCaption());
    grid.SetColumnWidth(0, 600);
    grid.SetColumnWidth(1, 1200);
    grid.SetColumnWidth(2, 2000);
    for (int i = 0; i < months.size(); ++i) {
        grid.SetText(i + 1, 0, QString::number(i + 1));
        grid.SetText(i + 1, 1, MonthText(i));
        grid.SetText(i + 1, 2, ValueText(i));
    }
    return grid;
}

} // namespace kestrio
