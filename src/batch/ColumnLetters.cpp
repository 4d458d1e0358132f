#include "ColumnLetters.h"

namespace kestrio {

namespace {
constexpr int kLetters = 26;
constexpr int kLastColumn = kLetters * kLetters + kLetters; // "ZZ"

int LetterValue(QChar letter)
{
    const char16_t c = letter.toUpper().unicode();
    return c >= u'A' && c <= u'Z' ? c - u'A' + 1 : 0;
}
} // namespace

QString ColumnLetters::FromNumber(int number)
{
    if (number < 1 || number > kLastColumn) return {};
    auto letter = [](int value) { return QChar(u'A' + value - 1); };
    if (number <= kLetters) return QString(letter(number));
    const int first = (number - 1) / kLetters;
    return QString(letter(first)) + letter(number - kLetters * first);
}

int ColumnLetters::ToNumber(const QString& letters)
{
    if (letters.isEmpty() || letters.size() > 2) return 0;
    int number = 0;
    for (QChar c : letters) {
        const int value = LetterValue(c);
        if (value == 0) return 0;
        number = number * kLetters + value;
    }
    return number;
}

} // namespace kestrio
