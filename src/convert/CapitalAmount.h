#pragma once

#include <QString>

namespace kestrio {

// Capital (大写) amounts as the banks require them on cheques, and their reading back.
class CapitalAmount {
public:
    static const QString& CapitalDigits(); // "零壹贰叁肆伍陆柒捌玖"
    static bool IsCapitalDigit(QChar c);
    // True when the text, after an optional "-", starts with a capital digit: already converted.
    static bool IsConverted(const QString& text);

    // 1234.5 → 壹仟贰佰叁拾肆元伍角整; `unit` is "元" or "圆". Text already converted is
    // left as it is; amounts of 10 000 000 000 000 yuan or more (beyond the capital
    // positions) give empty text, never Arabic digits.
    static QString ToCapitalAmount(const QString& text, const QString& unit);

    // The amount in fen as capital digits, padded on the left with "零" to `cells`
    // characters (never cut); "-" in front of a negative amount.
    static QString ToCapitalDigits(const QString& text, int cells);

    // The reverse reading of a converted box text for data-type `code` (103, 120, 114.nn,
    // 121.nn) as a plain number; other codes give the text unchanged.
    static QString CapitalToNumber(const QString& text, double code);

private:
    static QString ReadCapitalAmount(const QString& text);
    static QString ReadCapitalDigits(const QString& text, bool wholeYuan);
};

} // namespace kestrio
