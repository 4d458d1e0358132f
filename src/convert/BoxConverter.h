#pragma once

#include "DateText.h"

#include <QList>
#include <QString>

namespace kestrio {

class Clock;

// What a text box's data-type code (column Cash) does to the text typed into it: the box
// text after leaving the box, the keys it takes, its border, and the values that fill date
// boxes. The whole part of the code selects the type; some families carry a cell count.
class BoxConverter {
public:
    BoxConverter(const Clock& clock, QString customPattern = {})
        : mClock(clock), mDates(clock), mCustomPattern(std::move(customPattern))
    {
    }

    // The whole part of a code, cut toward zero.
    static int WholeCode(double code);
    // Codes above 0 and below 100, or above 200 and below 400, show a single-line border.
    static bool HasBorder(double code);
    // Boxes of codes 1–99 and 105–108 take only digits, "." and Backspace.
    static bool TakesDigitsOnly(double code);
    // 0 (swallow) for any key but "0"–"9", "." and Backspace (8); the full-width "０"–"９"
    // and "．" of a Chinese input method count as digits and point.
    static int DigitKeyFilter(int key);
    // The keys a box of `code` that TakesDigitsOnly lets through: the amount boxes (1–99, 105)
    // also take a minus sign ("-" or the input method's "－") for refunds and negative lines;
    // whether such an amount may print is the bill check's to say.
    static int KeyFilter(double code, int key);

    // The box text after the box of data-type `code` loses the focus. Converting the result
    // again gives the same text.
    QString ConvertBoxText(double code, const QString& text) const;

    // The places of a capital-digit box (114.nn, 121.nn: nn), 0 for other codes.
    static int CapitalCells(double code);
    // The box text of a capital-digit box: the fen (114) or whole yuan (121) as capital
    // digits padded with "零" to its places; text already converted stays.
    static QString CapitalDigitsOf(double code, const QString& text);

    // Six digits: extra digits cut, fewer padded with "0" on the left, none gives "".
    static QString ToPostcode(const QString& text);

    // The value automatic filling puts into a box of `code` whose text is `present`, before
    // it is converted: today's year, month, day or date, the date and time in the custom
    // pattern (code 119), or the present text.
    QString FillValue(double code, const QString& present) const;

    struct Box {
        double code = 0;
        QString text;
    };
    // Fills every box, in order, with ConvertBoxText of its fill value.
    void FillDateBoxes(QList<Box>& boxes) const;

    // Parameter name of a custom pattern: "自定义类型" + the code ("自定义类型119").
    static QString CustomPatternName(int code) { return QStringLiteral("自定义类型") + QString::number(code); }

private:
    const Clock& mClock;
    DateText mDates;
    QString mCustomPattern;
};

} // namespace kestrio
