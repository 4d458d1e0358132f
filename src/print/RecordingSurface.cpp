#include "RecordingSurface.h"

#include <algorithm>

namespace kestrio {

namespace {

QString Quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString StyleName(Qt::PenStyle style)
{
    switch (style) {
    case Qt::DashLine: return QStringLiteral("dash");
    case Qt::DotLine: return QStringLiteral("dot");
    case Qt::DashDotLine: return QStringLiteral("dashdot");
    case Qt::DashDotDotLine: return QStringLiteral("dashdotdot");
    case Qt::NoPen: return QStringLiteral("none");
    default: return QStringLiteral("solid");
    }
}

QString Hex(quint32 value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 6, 16, QLatin1Char('0')).toUpper();
}

bool FullWidth(QChar c)
{
    return c.unicode() >= 0x2E80 || c.isSurrogate();
}

} // namespace

RecordingSurface::RecordingSurface(double paperWidth, double paperHeight, QString printerName)
    : mPaperWidth(paperWidth), mPaperHeight(paperHeight), mPrinterName(std::move(printerName))
{
}

void RecordingSurface::failOperation(const QString& operation, const QString& message)
{
    mFailingOperation = operation;
    mFailingMessage = message;
}

QString RecordingSurface::Number(double value)
{
    if (value == 0) return QStringLiteral("0"); // no "-0"
    return QString::number(value, 'g', 12);
}

double RecordingSurface::toTwips(double value) const
{
    return mUnit == Unit::Millimetres ? value * TwipsPerMillimetre : value;
}

bool RecordingSurface::record(const QString& operation, const QStringList& arguments)
{
    mCalls << operation + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
    if (!mFailingOperation.isEmpty() && operation == mFailingOperation) {
        mLastError = mFailingMessage;
        return false;
    }
    return true;
}

double RecordingSurface::pageWidth() const
{
    return mOrientation == Orientation::Landscape ? mPaperHeight : mPaperWidth;
}

double RecordingSurface::pageHeight() const
{
    return mOrientation == Orientation::Landscape ? mPaperWidth : mPaperHeight;
}

bool RecordingSurface::setOrientation(Orientation orientation)
{
    mOrientation = orientation;
    return record(QStringLiteral("setOrientation"),
                  {orientation == Orientation::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait")});
}

void RecordingSurface::setUnit(Unit unit)
{
    mUnit = unit;
    record(QStringLiteral("setUnit"), {unit == Unit::Millimetres ? QStringLiteral("mm") : QStringLiteral("twips")});
}

bool RecordingSurface::setFont(const Font& font)
{
    mFont = font;
    mFont.pointSize = std::max(1.0, font.pointSize); // the smallest size this device holds
    QStringList flags;
    if (font.bold) flags << QStringLiteral("bold");
    if (font.italic) flags << QStringLiteral("italic");
    if (font.underline) flags << QStringLiteral("underline");
    if (font.strikeOut) flags << QStringLiteral("strikeout");
    return record(QStringLiteral("setFont"),
                  {Quoted(font.name), Number(mFont.pointSize), flags.join(QLatin1Char('+'))});
}

void RecordingSurface::setTextColor(quint32 bgr)
{
    mTextColor = bgr;
    record(QStringLiteral("setTextColor"), {Hex(bgr)});
}

double RecordingSurface::textWidth(const QString& text) const
{
    double units = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isLowSurrogate()) continue; // counted with its high half
        units += FullWidth(c) ? 1.0 : NarrowFactor;
    }
    const double twips = units * mFont.pointSize * 20;
    return mUnit == Unit::Millimetres ? twips / TwipsPerMillimetre : twips;
}

double RecordingSurface::textHeight(const QString& text) const
{
    const double lines = double(text.count(QLatin1Char('\n')) + 1);
    const double twips = lines * mFont.pointSize * 20 * HeightFactor;
    return mUnit == Unit::Millimetres ? twips / TwipsPerMillimetre : twips;
}

void RecordingSurface::setPosition(double x, double y)
{
    mPositionX = x;
    mPositionY = y;
}

bool RecordingSurface::drawText(const QString& text)
{
    const bool ok = record(QStringLiteral("drawText"),
                           {Number(toTwips(mPositionX)), Number(toTwips(mPositionY)), Quoted(text)});
    mPositionX += textWidth(text);
    return ok;
}

void RecordingSurface::setTransparentText(bool transparent)
{
    record(QStringLiteral("setTransparentText"), {transparent ? QStringLiteral("true") : QStringLiteral("false")});
}

bool RecordingSurface::drawLine(double x1, double y1, double x2, double y2, int widthPixels, Qt::PenStyle style,
                                quint32 bgr)
{
    return record(QStringLiteral("drawLine"),
                  {Number(toTwips(x1)), Number(toTwips(y1)), Number(toTwips(x2)), Number(toTwips(y2)),
                   QString::number(widthPixels), StyleName(style), Hex(bgr)});
}

bool RecordingSurface::fillRectangle(double x, double y, double width, double height, quint32 bgr)
{
    return record(QStringLiteral("fillRectangle"), {Number(toTwips(x)), Number(toTwips(y)), Number(toTwips(width)),
                                                    Number(toTwips(height)), QString::number(bgr)});
}

bool RecordingSurface::drawPicture(const QImage& picture, double x, double y, double width, double height)
{
    if (picture.isNull()) {
        record(QStringLiteral("drawPicture"), {QStringLiteral("null")});
        mLastError = QStringLiteral("图片无法绘制");
        return false;
    }
    return record(QStringLiteral("drawPicture"),
                  {QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()), Number(toTwips(x)),
                   Number(toTwips(y)), Number(toTwips(width)), Number(toTwips(height))});
}

bool RecordingSurface::newPage()
{
    return record(QStringLiteral("newPage"), {});
}

bool RecordingSurface::endDocument()
{
    return record(QStringLiteral("endDocument"), {});
}

} // namespace kestrio
