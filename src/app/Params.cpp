#include "Params.h"

#include "storage/DbOperate.h"
#include "storage/SqlQuote.h"

#include <QRegularExpression>
#include <cmath>

namespace kestrio {

namespace {

// The numeric value at the start of a text, read leniently: "12abc" is 12, text
// without a number is 0.
double LeadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?"));
    const auto match = number.match(text);
    return match.hasMatch() ? match.captured(0).trimmed().toDouble() : 0.0;
}

int NearestWhole(double value)
{
    return static_cast<int>(std::nearbyint(value)); // halves to the even neighbour
}

} // namespace

QString Params::GetParam(const QString& name)
{
    return mDb.FieldWhere(QStringLiteral("参数"), QStringLiteral("Var=") + SqlQuote(name), QStringLiteral("Con"));
}

void Params::SetParam(const QString& name, const QString& value)
{
    Recordset query = mDb.OpenQuery(QStringLiteral("SELECT * FROM 参数 WHERE Var=") + SqlQuote(name));
    if (!query.IsOpen()) return;
    if (query.Eof()) query.AddNew();
    query.SetValue(QStringLiteral("Var"), name);
    query.SetValue(QStringLiteral("Con"), value);
    query.Update();
    mDb.CloseQuery(query);
}

void Params::SaveWindowPlace(const QString& key, const QRect& placeTwips, int screenWidthTwips)
{
    const QString name = WindowPlaceName(key);
    const QString value = placeTwips.width() >= screenWidthTwips
                              ? QStringLiteral("0;0;0;0")
                              : QStringLiteral("%1;%2;%3;%4")
                                    .arg(placeTwips.left())
                                    .arg(placeTwips.top())
                                    .arg(placeTwips.width())
                                    .arg(placeTwips.height());
    mDb.ExecuteSql(QStringLiteral("DELETE * FROM 参数 WHERE Var=") + SqlQuote(name));
    mDb.ExecuteSql(QStringLiteral("INSERT INTO 参数(Var,Con) VALUES(") + SqlQuote(name) + QLatin1Char(',') +
                   SqlQuote(value) + QLatin1Char(')'));
}

Params::WindowPlace Params::RestoreWindowPlace(const QString& key, int screenWidthTwips, int screenHeightTwips)
{
    return ParseWindowPlace(GetParam(WindowPlaceName(key)), screenWidthTwips, screenHeightTwips);
}

Params::WindowPlace Params::ParseWindowPlace(const QString& value, int screenWidthTwips, int screenHeightTwips)
{
    WindowPlace place;
    const QStringList parts = value.split(QLatin1Char(';'));
    if (value.isEmpty() || parts.size() < 4) return place;
    const int a = NearestWhole(LeadingNumber(parts[0]));
    const int b = NearestWhole(LeadingNumber(parts[1]));
    const int c = NearestWhole(LeadingNumber(parts[2]));
    const int e = NearestWhole(LeadingNumber(parts[3]));
    place.move = a < screenWidthTwips && b < screenHeightTwips && b + e > 0 && a + c > 0;
    place.left = a;
    place.top = b;
    place.resize = c > 0 && e > 0;
    place.width = c;
    place.height = e;
    return place;
}

QStringList Params::LoadKeywordList(const QString& name)
{
    QStringList entries;
    for (const QString& part : GetParam(name).split(QStringLiteral("||")))
        if (!part.isEmpty()) entries << part;
    return entries;
}

void Params::SaveKeywordList(const QString& name, const QString& editText, const QStringList& entries)
{
    QString joined = editText;
    for (const QString& entry : entries)
        if (entry != editText) joined += QStringLiteral("||") + entry;
    if (joined.startsWith(QStringLiteral("||"))) joined.remove(0, 2);
    SetParam(name, joined);
}

} // namespace kestrio
