#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace kestrio {

class Clock;

// Dates in boxes: year, month and day in capital or Arabic digits, whole dates in a pattern,
// and the recognition of what people type as a date.
class DateText {
public:
    enum Part { Year = 0, Month = 1, Day = 2 };

    explicit DateText(const Clock& clock) : mClock(clock) {}

    // 2024 → 贰零贰肆; month 3 → 叁, 1 → 零壹, 10 → 零壹拾; day 3 → 零叁, 15 → 壹拾伍, 20 →
    // 零贰拾. Text that does not start with a digit or is out of range stays as typed.
    static QString ToCapitalDatePart(const QString& text, Part part);
    // Capital or Arabic digits to a plain number in range, else today's year, month or day.
    QString ToArabicDatePart(const QString& text, Part part) const;
    // The number a year, month or day box says in capital or Arabic digits (贰零贰肆, 零壹拾,
    // 拾伍, 03); nothing when it says no number in range (years 1000–5000).
    static std::optional<int> ReadDatePart(const QString& text, Part part);

    // A recognisable date (and time) formatted with `pattern` ("YYYY年MM月DD日"); empty text
    // for anything that is no date.
    QString FormatDateAs(const QString& text, const QString& pattern) const;

    // 2024-3-5, 2024/03/05, 2024.3.5, 20240305, 2024年3月5日, 3-5 and 3月5日 (this year),
    // each optionally followed by a time (9:30, 09:30:15).
    std::optional<QDateTime> Recognize(const QString& text) const;
    // The date of a text that names its year (the forms above less 3-5 and 3月5日), so that
    // a stored date is never read into the present year.
    static std::optional<QDate> RecognizeWithYear(const QString& text);

    // Formats with the stored date patterns' letters, case-insensitive: yyyy, yy,
    // m/mm (month, or minutes right after an hour), mmm/mmmm, d/dd, ddd/dddd, h/hh, n/nn, s/ss;
    // every other character is written as it stands.
    static QString FormatWithPattern(const QDateTime& value, const QString& pattern);

private:
    static std::optional<QDateTime> Match(const QString& text, int yearWithoutOne);

    const Clock& mClock;
};

} // namespace kestrio
