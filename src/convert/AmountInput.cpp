#include "AmountInput.h"

#include "BoxConverter.h"
#include "CapitalAmount.h"
#include "DataType.h"
#include "Decimal.h"
#include "Money.h"

#include <QRegularExpression>

#include <algorithm>

namespace kestrio {

namespace {

// Whole yuan of 14 digits and more have no capital position left (10 000 000 000 000).
constexpr int kMaxWholeDigits = 13;

} // namespace

QString AmountInput::FormatMessage()
{
    return QStringLiteral("金额格式不正确！");
}

QString AmountInput::CellsMessage()
{
    return QStringLiteral("金额超出对格金额框的格数，无法打印！");
}

QString AmountInput::RangeMessage()
{
    return QStringLiteral("金额过大：不能达到10万亿元！");
}

QString AmountInput::FenMessage()
{
    return QStringLiteral("金额只能精确到分！");
}

bool AmountInput::IsAmountCode(double code)
{
    const int w = BoxConverter::WholeCode(code);
    return (w >= 1 && w <= 99) || (w >= 301 && w <= 399) || w == 104 || w == 105 || w == 117 || w == 118 ||
           DataType::IsCapitalAmount(code);
}

int AmountInput::MoneyCells(int wholeCode)
{
    if (wholeCode >= 1 && wholeCode <= 99) return wholeCode;
    if (wholeCode >= 301 && wholeCode <= 399) return wholeCode - 300;
    return 0;
}

int AmountInput::MoneyCellsNeeded(const QString& text)
{
    bool negative = false;
    const QString fen = Money::FenOf(text, &negative);
    return static_cast<int>(std::max<qsizetype>(fen.size(), 3)) + (negative ? 1 : 0);
}

// A sign before or after the currency sign, plain digits or digits grouped by "," in threes,
// one point, "元" or "圆" at the end; at least one digit.
bool AmountInput::ReadsAsNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^-?[￥$]?-?(?:\\d+|\\d{1,3}(?:,\\d{3})+)?(?:\\.\\d*)?[元圆]?$"));
    static const QRegularExpression digit(QStringLiteral("\\d"));
    return number.match(text).hasMatch() && text.contains(digit) && text.count(QLatin1Char('-')) <= 1;
}

QString AmountInput::Refusal(double code, const QString& text)
{
    // The usual typed amount reads as a number as it is; only its size can be refused.
    if (const auto wholeDigits = IsAmountCode(code) ? Money::PlainWholeDigits(text) : std::nullopt) {
        if (HasSubFen(text)) return FenMessage();
        const QString cells = CellsRefusal(code, text);
        if (!cells.isEmpty()) return cells;
        return *wholeDigits > kMaxWholeDigits ? RangeMessage() : QString();
    }
    const QString typed = Money::AsciiAmountText(text).trimmed();
    if (typed.isEmpty() || !IsAmountCode(code)) return {};
    if (DataType::IsCapitalAmount(code) && CapitalAmount::IsConverted(typed)) return {};
    if (!ReadsAsNumber(typed)) return FormatMessage();
    if (HasSubFen(typed)) return FenMessage();
    // The box's own cells first: they name the more telling limit.
    const QString cells = CellsRefusal(code, typed);
    if (!cells.isEmpty()) return cells;
    const Decimal amount = Money::ParseAmountExact(typed);
    return amount.WholeDigits().size() > kMaxWholeDigits ? RangeMessage() : QString();
}

bool AmountInput::HasSubFen(const QString& text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return false;
    for (qsizetype i = point + 3; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) return true;
        if (c != QLatin1Char('0')) break;
    }
    return false;
}

QString AmountInput::CellsRefusal(double code, const QString& text)
{
    const int w = BoxConverter::WholeCode(code);
    const int moneyCells = MoneyCells(w);
    if (moneyCells > 0) return MoneyCellsNeeded(text) > moneyCells ? CellsMessage() : QString();
    const int capitalCells = BoxConverter::CapitalCells(code);
    if (capitalCells <= 0) return {};
    // The places a capital-digit box prints: exactly what leaving the box would write there.
    const QString digits = BoxConverter::CapitalDigitsOf(code, text);
    return digits.size() > capitalCells ? CellsMessage() : QString();
}

} // namespace kestrio
