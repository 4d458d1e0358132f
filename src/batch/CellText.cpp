#include "CellText.h"

#include <QDateTime>

#include <cmath>
#include <cstdio>

namespace kestrio {

QString CellText::Number(double value)
{
    if (!std::isfinite(value)) return {};
    if (value == 0) return QStringLiteral("0");
    // The 15 significant digits and the exponent, then the point put where it belongs.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(u'e');
    QString digits = text.left(e).remove(u'.');
    const int exponent = text.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);
    QString plain;
    if (exponent < 0) {
        plain = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (exponent + 1 >= digits.size()) {
        plain = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        plain = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return value < 0 ? u'-' + plain : plain;
}

QString CellText::DateSerial(double serial, bool from1904)
{
    const QDate base = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const qint64 seconds = std::llround(serial * 86400.0);
    const QDateTime when = QDateTime(base, QTime(0, 0)).addSecs(seconds);
    if (seconds % 86400 == 0) return when.date().toString(QStringLiteral("yyyy-MM-dd"));
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString CellText::DateTime(const QString& text)
{
    return text.size() == 19 && text.endsWith(QLatin1String(" 00:00:00")) ? text.left(10) : text;
}

bool CellText::IsDateFormat(const QString& code)
{
    bool inQuotes = false;
    bool inBrackets = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character is shown as it is, or is padding
        } else if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == u'[') {
            inBrackets = true;
        } else if (c == u']') {
            inBrackets = false;
        } else if (!inQuotes && !inBrackets && QStringLiteral("ymdhsYMDHS").contains(c)) {
            return true;
        }
    }
    return false;
}

bool CellText::IsBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

} // namespace kestrio
