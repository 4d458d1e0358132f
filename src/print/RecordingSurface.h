#pragma once

#include "print/PrintSurface.h"

#include <QStringList>

namespace kestrio {

// A print surface that draws nothing and writes down every call, one line each, with all
// positions converted to twips, e.g. `drawText(1133.856,566.928,"￥")`. Text extents follow a
// fixed model so that layouts can be checked to the twip:
//   width  = Σ per character (1 for a full-width character, 0.5 otherwise) × point size × 20
//   height = lines × point size × 20 × 1.2
class RecordingSurface final : public PrintSurface {
public:
    static constexpr double NarrowFactor = 0.5;
    static constexpr double HeightFactor = 1.2;

    // The paper in portrait, in twips; landscape swaps the two.
    explicit RecordingSurface(double paperWidth = 240 * TwipsPerMillimetre,
                              double paperHeight = 80 * TwipsPerMillimetre,
                              QString printerName = QStringLiteral("Recording"));

    const QStringList& calls() const { return mCalls; }
    void clearCalls() { mCalls.clear(); }
    // The next calls of this operation (e.g. "drawText") fail with the message.
    void failOperation(const QString& operation, const QString& message);

    double pageWidth() const override;
    double pageHeight() const override;
    bool setOrientation(Orientation orientation) override;
    Orientation orientation() const override { return mOrientation; }
    void setUnit(Unit unit) override;
    Unit unit() const override { return mUnit; }
    bool setFont(const Font& font) override;
    Font font() const override { return mFont; }
    void setTextColor(quint32 bgr) override;
    quint32 textColor() const override { return mTextColor; }
    double textWidth(const QString& text) const override;
    double textHeight(const QString& text) const override;
    void setPosition(double x, double y) override;
    double positionX() const override { return mPositionX; }
    double positionY() const override { return mPositionY; }
    bool drawText(const QString& text) override;
    void setTransparentText(bool transparent) override;
    bool drawLine(double x1, double y1, double x2, double y2, int widthPixels, Qt::PenStyle style,
                  quint32 bgr) override;
    bool fillRectangle(double x, double y, double width, double height, quint32 bgr) override;
    bool drawPicture(const QImage& picture, double x, double y, double width, double height) override;
    bool newPage() override;
    bool endDocument() override;
    QString printerName() const override { return mPrinterName; }
    QString lastError() const override { return mLastError; }

    // A number as the log writes it: up to 12 significant digits, no trailing zeros.
    static QString Number(double value);

private:
    double toTwips(double value) const;
    bool record(const QString& operation, const QStringList& arguments);

    double mPaperWidth;
    double mPaperHeight;
    QString mPrinterName;
    QStringList mCalls;
    QString mFailingOperation;
    QString mFailingMessage;
    Orientation mOrientation = Orientation::Portrait;
    Unit mUnit = Unit::Twips;
    Font mFont;
    quint32 mTextColor = 0;
    double mPositionX = 0;
    double mPositionY = 0;
    QString mLastError;
};

} // namespace kestrio
