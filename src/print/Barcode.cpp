#include "print/Barcode.h"

#include <cmath>

namespace kestrio {

namespace {

// Bars first (five, left to right), then the four spaces between them; "1" wide.
const char* const kCode39Patterns[40] = {
    "001100100", "100010100", "010010100", "110000100", "001010100", // 0-4
    "101000100", "011000100", "000110100", "100100100", "010100100", // 5-9
    "100010010", "010010010", "110000010", "001010010", "101000010", // A-E
    "011000010", "000110010", "100100010", "010100010", "001100010", // F-J
    "100010001", "010010001", "110000001", "001010001", "101000001", // K-O
    "011000001", "000110001", "100100001", "010100001", "001100001", // P-T
    "100011000", "010011000", "110001000", "001011000", "101001000", // U-Y
    "011001000", "000111000", "000000111", "000001110", "001101000", // Z - % $ *
};

const char* const kEanRCodes[10] = {
    "1110010", "1100110", "1101100", "1000010", "1011100",
    "1001110", "1010000", "1000100", "1001000", "1110100",
};

// 1: L code, 0: G code, for the six left digits, by the first digit.
const char* const kEanParity[10] = {
    "111111", "110100", "110010", "110001", "101100",
    "100110", "100011", "101010", "101001", "100101",
};

// Nearest whole number, halves to the even neighbour.
double RoundEven(double value)
{
    return std::nearbyint(value);
}

QString EanCode(int digit, QChar kind)
{
    const QString r = QString::fromLatin1(kEanRCodes[digit]);
    if (kind == QLatin1Char('R'))
        return r;
    QString out;
    out.reserve(7);
    if (kind == QLatin1Char('G')) {
        for (qsizetype i = r.size() - 1; i >= 0; --i)
            out += r.at(i);
    } else {
        for (QChar c : r)
            out += c == QLatin1Char('1') ? QLatin1Char('0') : QLatin1Char('1');
    }
    return out;
}

} // namespace

Barcode::Standard Barcode::ParseStandard(const QString& parameterText)
{
    bool ok = false;
    const int value = parameterText.trimmed().toInt(&ok);
    return ok && value != 0 ? Standard::Ean13 : Standard::Code39;
}

QString Barcode::FrameCode39(const QString& text)
{
    if (text.isEmpty())
        return QString();
    QString framed = text.toUpper();
    const QChar star = QLatin1Char('*');
    if (framed.front() != star)
        framed.prepend(star);
    if (framed.back() != star)
        framed.append(star);
    return framed;
}

int Barcode::Code39Index(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'Z')
        return 10 + (u - u'A');
    switch (u) {
    case u'-': return 36;
    case u'%': return 37;
    case u'$': return 38;
    case u'*': return 39;
    default: return -1;
    }
}

QString Barcode::Code39Pattern(int index)
{
    return QString::fromLatin1(kCode39Patterns[index]);
}

QString Barcode::Code39InvalidMessage()
{
    return QStringLiteral("要打印的条形码字符串中包含无效字符！当前版本只支持字符0-9,A-Z,-,%,$和*");
}

int Barcode::MeasureCode39(const QString& text, int narrow)
{
    const QString framed = FrameCode39(text);
    const int wide = narrow * 3;
    int x = 0;
    for (QChar c : framed) {
        const int index = Code39Index(c);
        if (index < 0)
            break;
        const QString pattern = Code39Pattern(index);
        for (int j = 0; j < 5; ++j) {
            x += pattern.at(j) == QLatin1Char('1') ? wide : narrow;
            if (j < 4)
                x += pattern.at(5 + j) == QLatin1Char('1') ? wide : narrow;
        }
        x += narrow; // gap to the next character
    }
    return x;
}

int Barcode::FitCode39Narrow(const QString& text, int available)
{
    if (text.isEmpty() || available <= 0)
        return 0;
    int n = 5;
    for (int i = 0; i < 10; ++i) {
        n *= 2;
        if (MeasureCode39(text, n) >= available)
            break;
    }
    for (; n > 0; --n) {
        if (MeasureCode39(text, n) <= available)
            return n;
    }
    return 0;
}

Barcode::Symbol Barcode::LayoutCode39(const QString& text, int narrow, int height, bool showText,
                                      double textHeight)
{
    Symbol symbol;
    symbol.text = FrameCode39(text);
    if (symbol.text.isEmpty() || narrow <= 0)
        return symbol;
    const int wide = narrow * 3;
    const double barHeight = showText ? height - textHeight : height;
    int x = 0;
    for (QChar c : symbol.text) {
        const int index = Code39Index(c);
        if (index < 0) {
            symbol.rejected = true;
            break;
        }
        if (showText)
            symbol.captions.append({QString(c), double(x), barHeight});
        const QString pattern = Code39Pattern(index);
        for (int j = 0; j < 5; ++j) {
            const int w = pattern.at(j) == QLatin1Char('1') ? wide : narrow;
            symbol.bars.append({double(x), double(w), barHeight});
            x += w;
            if (j < 4)
                x += pattern.at(5 + j) == QLatin1Char('1') ? wide : narrow;
        }
        x += narrow;
    }
    return symbol;
}

int Barcode::Ean13CheckDigit(const QString& twelveDigits)
{
    int sum = 0;
    int weight = 3;
    for (qsizetype i = twelveDigits.size() - 1; i >= 0; --i) {
        sum += (twelveDigits.at(i).unicode() - u'0') * weight;
        weight = weight == 3 ? 1 : 3;
    }
    return sum % 10 == 0 ? 0 : 10 - sum % 10;
}

QString Barcode::EncodeEan13(QString& text)
{
    QString digits;
    for (QChar c : text.left(13)) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digits += c;
    }
    if (digits.size() < 12)
        digits = QString(12 - digits.size(), QLatin1Char('0')) + digits;
    digits.truncate(12);
    digits += QChar(u'0' + Ean13CheckDigit(digits));
    text = digits;

    auto digitAt = [&digits](int i) { return digits.at(i).unicode() - u'0'; };
    const QString parity = QString::fromLatin1(kEanParity[digitAt(0)]);
    QString bits = QStringLiteral("101");
    for (int i = 1; i <= 6; ++i)
        bits += EanCode(digitAt(i), parity.at(i - 1) == QLatin1Char('1') ? QLatin1Char('L')
                                                                          : QLatin1Char('G'));
    bits += QStringLiteral("01010");
    for (int i = 7; i <= 12; ++i)
        bits += EanCode(digitAt(i), QLatin1Char('R'));
    bits += QStringLiteral("101");
    return bits;
}

Barcode::Symbol Barcode::LayoutEan13(const QString& text, int width, int height, int fontSize,
                                     bool showText, const TextMetrics& metrics)
{
    Symbol symbol;
    if (text.isEmpty())
        return symbol;
    symbol.text = text;
    const QString bits = EncodeEan13(symbol.text);

    const double module = (width - metrics.nineWidth - 15) / 95.0;
    const double h = fontSize > 0 && showText ? height - metrics.textHeight : double(height);

    // Runs of equal bits: ones as 10 + length, zeros as their length.
    QVector<int> runs;
    for (qsizetype i = 0; i < bits.size();) {
        qsizetype j = i;
        while (j < bits.size() && bits.at(j) == bits.at(i))
            ++j;
        const int length = int(j - i);
        runs.append(bits.at(i) == QLatin1Char('1') ? 10 + length : length);
        i = j;
    }
    const int last = int(runs.size()) - 1;

    if (fontSize >= 2)
        symbol.captions.append({symbol.text.left(1), 0.0, h});

    const double start = metrics.nineWidth + 15;
    double x = start;
    for (int r = 0; r <= last; ++r) {
        const int k = runs.at(r) > 10 ? runs.at(r) - 10 : runs.at(r);
        if (runs.at(r) > 10) {
            const bool guard = r <= 2 || r == 28 || r == 30 || r >= last - 2;
            const double bottom = guard ? h + metrics.textHeight / 2 : h - 30;
            symbol.bars.append({x, module * k, bottom});
        }
        x = RoundEven(x + module * k);
    }

    if (fontSize >= 2) {
        const double step = (width - metrics.nineWidth - 15 - 9 * module) / 12;
        double position = start + 3 * module + (step - metrics.zeroWidth) / 2;
        for (int i = 1; i <= 12; ++i) {
            symbol.captions.append({symbol.text.mid(i, 1), position, h});
            position += step;
            if (i == 6)
                position += 3 * module;
        }
    }
    return symbol;
}

} // namespace kestrio
