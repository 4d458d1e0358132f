#include "BillRenderer.h"

#include "convert/Money.h"
#include "format/ElementTable.h"
#include "format/Workspace.h"
#include "seams/Prompter.h"
#include "seams/ScreenInfo.h"

#include <QPointF>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace kestrio {

namespace {

constexpr double K = PrintSurface::TwipsPerMillimetre;

// Whole twips, halves to the even neighbour.
double Whole(double value) { return std::nearbyint(value); }

// Alignment codes of a box's L column.
enum Alignment { Left = 0, Right = 1, Centre = 2 };

const QRegularExpression& Digit()
{
    static const QRegularExpression digit(QStringLiteral("[0-9]"));
    return digit;
}

} // namespace

QStringList PrintCharacters(const QString& text)
{
    QStringList characters;
    characters.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            characters << text.mid(i, 2);
            ++i;
        } else {
            characters << QString(text.at(i));
        }
    }
    return characters;
}

// ---------------------------------------------------------------------------------------
// Fitted font sizes

const QString& FittedFontSizes::ReferenceText()
{
    static const QString text = QStringLiteral("壹贰叁肆伍陆柒捌玖拾佰仟");
    return text;
}

double FittedFontSizes::Fit(PrintSurface& surface, PrintSurface::Font font, double pageWidthMm)
{
    // The name, then the exact bits of the size and the page width and the boldness: a fixed
    // tail, so no two fonts share a key, and nothing is formatted for a lookup.
    QString key = font.name;
    key.reserve(font.name.size() + 9);
    for (const double value : {font.pointSize, pageWidthMm}) {
        char16_t bits[sizeof(double) / sizeof(char16_t)];
        std::memcpy(bits, &value, sizeof value);
        key.append(reinterpret_cast<const QChar*>(bits), std::size(bits));
    }
    key += QChar(font.bold ? u'1' : u'0');
    const auto cached = mSizes.constFind(key);
    if (cached != mSizes.constEnd()) {
        font.pointSize = *cached;
        surface.setFont(font);
        return surface.fontSize();
    }
    ++mSearches;
    double size = font.pointSize;
    if (mFrameWidthTwips > 0) {
        const double screenWidth = mScreen.TextWidthTwips(ReferenceText(), font.name, font.pointSize, font.bold);
        const double target = screenWidth * pageWidthMm / mFrameWidthTwips * K;
        size = Search(surface, font, target);
    } else {
        surface.setFont(font);
        size = surface.fontSize();
    }
    mSizes.insert(key, size);
    font.pointSize = size;
    surface.setFont(font);
    return surface.fontSize();
}

// Coarse steps that halve and turn round each time they pass the target, then tenths of a
// point; the answer is the size in force after the last measurement.
double FittedFontSizes::Search(PrintSurface& surface, PrintSurface::Font font, double target)
{
    auto measure = [&](double size) {
        font.pointSize = size;
        surface.setFont(font);
        return surface.textWidth(ReferenceText());
    };
    double size = 10.5;
    double width = measure(size);
    double step = width > target ? -4 : 10;
    for (int pass = 0; pass < 501; ++pass) {
        if (size + step < 0) step = -size;
        size += step;
        width = measure(size);
        if ((step > 0 && width > target) || (step < 0 && width < target)) step = -step / 2;
        if (std::abs(step) < 0.3) break;
    }
    // Tenths of a point: down to the first size that is no wider than the target, or up to
    // the last one that is still no wider, so that printed text never outgrows its design.
    if (width > target) {
        for (int i = 1; i <= 10; ++i)
            if (measure(size - i * 0.1) <= target) break;
    } else {
        double fitting = size;
        for (int i = 1; i <= 10; ++i) {
            if (measure(size + i * 0.1) > target) {
                measure(fitting);
                break;
            }
            fitting = size + i * 0.1;
        }
    }
    return surface.fontSize();
}

// ---------------------------------------------------------------------------------------
// The renderer

struct BillRenderer::Box {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    double spacing = 0;
    double lineSpacing = 0;
    int alignment = Left;
    int code = 0;
};

BillRenderer::BillRenderer(PrintSurface& surface, Environment environment)
    : mSurface(&surface), mEnv(std::move(environment)), mFontSizes(mEnv.screen, mEnv.frameWidthTwips)
{
}

void BillRenderer::SetSurface(PrintSurface& surface, bool sameResolution)
{
    if (&surface == mSurface) return;
    mSurface = &surface;
    if (!sameResolution) mFontSizes.Clear();
}

int BillRenderer::AmountCellCount(int code)
{
    if (code >= 1 && code <= 99) return code;
    if (code >= 301 && code <= 399) return code - 300;
    return 0;
}

QString BillRenderer::AmountCells(const QString& text, int code)
{
    const int cells = AmountCellCount(code);
    if (cells == 0 || !text.contains(Digit())) return {};
    QString money = Money::FormatMoney(text);
    money.remove(QLatin1Char('.'));
    money.remove(QLatin1Char(','));
    if (money.size() > cells) money = money.right(cells);
    money = money.rightJustified(cells, QLatin1Char(' '));
    if (code > 300) money.replace(QStringLiteral("￥"), QStringLiteral(" "));
    return money;
}

int BillRenderer::AmountOverflowRow(const Workspace& ws)
{
    for (int row = ElementTable::kFirstRow; row < ws.table.RowCount(); ++row) {
        if (ws.table.KindOf(row) != ElementTable::TextBox) continue;
        const int cells = AmountCellCount(static_cast<int>(std::trunc(ws.table.Number(row, ElementTable::ColCash))));
        const QString text = ws.BoxText(row);
        if (cells == 0 || !text.contains(Digit())) continue;
        bool negative = false;
        const QString fen = Money::FenOf(text, &negative);
        // At least three digits are printed (￥0.05 prints 005).
        const qsizetype digits = std::max<qsizetype>(fen.size(), 3) + (negative ? 1 : 0);
        if (digits > cells) return row;
    }
    return -1;
}

BillRenderer::Placement::Placement(const Workspace& ws, double offsetXMm, double offsetYMm, double pageWidthTwips,
                                   double pageHeightTwips)
    : offsetX(offsetXMm * K), offsetY(offsetYMm * K), pageW(pageWidthTwips), pageH(pageHeightTwips),
      formatW(ws.Width() * K), formatH(ws.Height() * K), turned(ws.options[1] != 0), centred(ws.options[3] != 0)
{
}

// A position of the format on the page: minus the (negated) offsets, then the shifts of
// "纵向打印" and "卡纸器两边向中间收缩".
QPointF BillRenderer::Placement::Place(double xMm, double yMm) const
{
    double x = xMm * K - offsetX;
    double y = yMm * K - offsetY;
    if (turned) {
        y += pageH - formatH;
        if (centred) y -= (pageH - formatH) / 2;
    } else if (centred) {
        x -= (pageW - formatW) / 2;
    }
    return {x, y};
}

BillRenderer::Box BillRenderer::MakeBox(const ElementTable& table, int row, const Placement& placement)
{
    Box box;
    const QPointF at = placement.Place(table.Number(row, ElementTable::ColX), table.Number(row, ElementTable::ColY));
    box.x = at.x();
    box.y = at.y();
    box.w = table.Number(row, ElementTable::ColW) * K;
    box.h = table.Number(row, ElementTable::ColH) * K;
    box.spacing = table.Number(row, ElementTable::ColS) * K;
    const double l = table.Number(row, ElementTable::ColL);
    const double magnitude = std::abs(l);
    const int thousands = static_cast<int>(std::floor(magnitude / 1000));
    box.alignment = thousands;
    box.lineSpacing = std::copysign(magnitude - 1000.0 * std::min(thousands, 20), l) * K;
    box.code = static_cast<int>(std::trunc(table.Number(row, ElementTable::ColCash)));
    if (box.code == 114 || box.code == 121) box.alignment = Right;
    return box;
}

QString BillRenderer::PrintedContent(const Workspace& ws, int row)
{
    switch (ws.table.KindOf(row)) {
    case ElementTable::TextBox:
    case ElementTable::PictureBox: return ws.BoxText(row);
    case ElementTable::CheckBox: return ws.BoxText(row).isEmpty() ? QString() : QStringLiteral("√");
    case ElementTable::Label: return ws.table.Text(row, ElementTable::ColLbl);
    default: return {};
    }
}

std::optional<QRectF> BillRenderer::InkArea(const Workspace& ws, int row, const Placement& placement)
{
    const ElementTable& table = ws.table;
    const int kind = table.KindOf(row);
    if (kind < ElementTable::TextBox || kind > ElementTable::Label) return std::nullopt;
    if (kind == ElementTable::Line) {
        const QPointF from = placement.Place(table.Number(row, ElementTable::ColX), table.Number(row, ElementTable::ColY));
        const QPointF to = placement.Place(table.Number(row, ElementTable::ColW), table.Number(row, ElementTable::ColH));
        return QRectF(from, to).normalized();
    }
    const QString content = PrintedContent(ws, row);
    if (content.isEmpty()) return std::nullopt;
    const int code = static_cast<int>(std::trunc(table.Number(row, ElementTable::ColCash)));
    if (kind == ElementTable::TextBox && AmountCellCount(code) > 0 && AmountCells(content, code).isEmpty())
        return std::nullopt;
    const Box box = MakeBox(table, row, placement);
    return QRectF(box.x, box.y, box.w, box.h);
}

bool BillRenderer::RenderBill(const Workspace& ws, double offsetXMm, double offsetYMm)
{
    if (ws.setPaper && mEnv.installPaperForm) mEnv.installPaperForm(ws.Width(), ws.Height());

    const bool turned = ws.options[1] != 0; // 纵向打印
    if (!mSurface->setOrientation(turned ? PrintSurface::Orientation::Landscape : PrintSurface::Orientation::Portrait))
        return false;
    mSurface->setUnit(PrintSurface::Unit::Twips);
    const Placement placement(ws, offsetXMm, offsetYMm, mSurface->pageWidth(), mSurface->pageHeight());

    if (ws.backgroundPrint && !mEnv.background.isNull()) {
        const QPointF at = placement.Place(0, 0);
        if (!mSurface->drawPicture(mEnv.background, at.x(), at.y(), placement.formatW, placement.formatH))
            return false;
    }
    mSurface->setTransparentText(true);

    const ElementTable& table = ws.table;
    for (int kind = ElementTable::TextBox; kind <= ElementTable::Label; ++kind) {
        for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
            if (table.KindOf(row) != kind) continue;
            if (mEnv.drawsRow && !mEnv.drawsRow(row)) continue;
            if (!DrawBox(ws, row, MakeBox(table, row, placement))) return false;
        }
    }
    return true;
}

bool BillRenderer::DrawBox(const Workspace& ws, int row, const Box& box)
{
    const ElementTable& table = ws.table;
    const int kind = table.KindOf(row);
    if (kind == ElementTable::Line) {
        double x2 = table.Number(row, ElementTable::ColW) * K + (box.x - table.Number(row, ElementTable::ColX) * K);
        double y2 = table.Number(row, ElementTable::ColH) * K + (box.y - table.Number(row, ElementTable::ColY) * K);
        const int width = static_cast<int>(std::lround(table.Number(row, ElementTable::ColFontSize)));
        const int style = static_cast<int>(table.Number(row, ElementTable::ColCash)) - 1;
        quint32 colour = static_cast<quint32>(table.Color(row));
        if (mEnv.lineColour) colour = mEnv.lineColour(row, colour);
        return mSurface->drawLine(box.x, box.y, x2, y2, width, PrintSurface::LineStyle(style), colour);
    }

    const QString content = PrintedContent(ws, row);
    if (content.isEmpty()) return true;

    const PrintSurface::Font font = BoxFont(table, row);
    const double boxFontSize = font.pointSize;
    if (!SetBoxFont(ws, row)) return false;
    mSurface->setTextColor(static_cast<quint32>(table.Color(row)));

    if (kind == ElementTable::PictureBox) {
        if (content.contains(QLatin1Char('.'))) return DrawPictureFile(content, box);
        return DrawBarcode(*mSurface, content, box.x, box.y, box.w, box.h, boxFontSize <= 2 ? 0 : mSurface->fontSize(),
                           font.name, mEnv.barcodeStandard, mEnv.prompter);
    }

    const int code = box.code;
    if (AmountCellCount(code) > 0) {
        const QString cells = AmountCells(content, code);
        if (cells.isEmpty()) return true;
        return DrawCharacterCells(cells, box.x, box.y, box.w, AmountCellCount(code), Left);
    }
    if (code >= 201 && code <= 299) return DrawCharacterCells(content, box.x, box.y, box.w, code - 200, box.alignment);
    if (code == 109) return DrawCharacterCells(content, box.x, box.y, box.w, 6, box.alignment);
    bool overflows = false;
    if (!DrawTextBlock(content, box, true, &overflows)) return false;
    // A label's text is the design's own; only what was typed is marked.
    if (overflows && mEnv.markOverflow && kind == ElementTable::TextBox) return MarkBox(box);
    return true;
}

PrintSurface::Font BillRenderer::BoxFont(const ElementTable& table, int row)
{
    PrintSurface::Font font;
    font.name = table.Text(row, ElementTable::ColFontName);
    font.pointSize = table.Number(row, ElementTable::ColFontSize);
    font.bold = table.Number(row, ElementTable::ColBold) != 0;
    font.italic = table.Number(row, ElementTable::ColItalic) != 0;
    font.underline = table.Number(row, ElementTable::ColUnderline) != 0;
    font.strikeOut = table.Number(row, ElementTable::ColStrikethru) != 0;
    return font;
}

// A check box prints at its own size; every other box at the size that keeps its design width.
bool BillRenderer::SetBoxFont(const Workspace& ws, int row)
{
    const PrintSurface::Font font = BoxFont(ws.table, row);
    if (ws.table.KindOf(row) == ElementTable::CheckBox) return mSurface->setFont(font);
    mFontSizes.Fit(*mSurface, font, ws.Width());
    return true;
}

// A red frame round the box, for the preview of text that runs past its box.
bool BillRenderer::MarkBox(const Box& box)
{
    constexpr quint32 red = 0x0000FF;
    const double right = box.x + box.w;
    const double bottom = box.y + box.h;
    return mSurface->drawLine(box.x, box.y, right, box.y, 2, Qt::SolidLine, red) &&
           mSurface->drawLine(right, box.y, right, bottom, 2, Qt::SolidLine, red) &&
           mSurface->drawLine(right, bottom, box.x, bottom, 2, Qt::SolidLine, red) &&
           mSurface->drawLine(box.x, bottom, box.x, box.y, 2, Qt::SolidLine, red);
}

bool BillRenderer::IsTextBlock(int code)
{
    return AmountCellCount(code) == 0 && !(code >= 201 && code <= 299) && code != 109;
}

QList<int> BillRenderer::OverflowingRows(const Workspace& ws)
{
    QList<int> rows;
    const ElementTable& table = ws.table;
    const Placement placement(ws, 0, 0, ws.Width() * K, ws.Height() * K);
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
        if (table.KindOf(row) != ElementTable::TextBox) continue;
        const QString content = PrintedContent(ws, row);
        const Box box = MakeBox(table, row, placement);
        if (content.isEmpty() || !IsTextBlock(box.code)) continue;
        SetBoxFont(ws, row);
        bool overflows = false;
        DrawTextBlock(content, box, false, &overflows);
        if (overflows) rows << row;
    }
    return rows;
}

// The longest prefix of characters[start..], of at least one character, whose width plus the
// spacing between its characters fits `w`. The sum of the single widths finds the place; the
// whole prefix is then measured on both sides of it, so the answer is the one a measurement of
// every longer prefix would give, and a long text is broken in time proportional to its length.
qsizetype BillRenderer::FittingCount(const QString& paragraph, const QList<qsizetype>& starts,
                                     const QList<double>& widths, qsizetype start, double w, double spacing) const
{
    const qsizetype rest = widths.size() - start;
    auto fits = [&](qsizetype count) {
        const QString prefix = paragraph.mid(starts.at(start), starts.at(start + count) - starts.at(start));
        return mSurface->textWidth(prefix) + spacing * double(count - 1) <= w;
    };
    qsizetype count = 1;
    double sum = widths.at(start);
    while (count < rest && sum + widths.at(start + count) + spacing * double(count) <= w) {
        sum += widths.at(start + count);
        ++count;
    }
    while (count < rest && fits(count + 1)) ++count;
    while (count > 1 && !fits(count)) --count;
    return count;
}

bool BillRenderer::DrawTextBlock(const QString& text, const Box& box, bool draw, bool* overflows)
{
    *overflows = false;
    if (text.isEmpty()) return true;
    const double lineHeight = mSurface->textHeight(QStringLiteral("钟"));
    const double x = box.x;
    const double w = box.w;
    const double spacing = box.spacing;
    double lineY = Whole(box.y);
    int lines = 0;
    // A line counts as inside the box while its upper half is; the first line always is.
    auto advance = [&] {
        if (lines > 0 && lineY + lineHeight / 2 > box.y + box.h) *overflows = true;
        ++lines;
        lineY = Whole(lineY + lineHeight + box.lineSpacing + 1);
    };
    const QStringList paragraphs = text.split(QStringLiteral("\r\n"));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) { // an empty line
            advance();
            continue;
        }
        // Where each printed character starts in the paragraph (a surrogate pair stays whole).
        QList<qsizetype> starts;
        QList<double> widths;
        starts.reserve(paragraph.size() + 1);
        for (qsizetype i = 0; i < paragraph.size(); ++i) {
            starts << i;
            if (paragraph.at(i).isHighSurrogate() && i + 1 < paragraph.size() && paragraph.at(i + 1).isLowSurrogate())
                ++i;
        }
        starts << paragraph.size();
        widths.reserve(starts.size() - 1);
        for (qsizetype c = 0; c + 1 < starts.size(); ++c)
            widths << mSurface->textWidth(paragraph.mid(starts.at(c), starts.at(c + 1) - starts.at(c)));

        qsizetype start = 0;
        while (start < widths.size()) {
            const qsizetype take = FittingCount(paragraph, starts, widths, start, w, spacing);
            if (draw) {
                const QString line = paragraph.mid(starts.at(start), starts.at(start + take) - starts.at(start));
                const double lineWidth = mSurface->textWidth(line) + spacing * double(take);
                double lineX = x;
                if (box.alignment == Right) lineX = x + w - lineWidth - 1;
                else if (box.alignment == Centre) lineX = x + (w - lineWidth - 1) / 2;
                lineX = Whole(lineX);
                QStringList characters;
                QList<double> xs;
                characters.reserve(take);
                xs.reserve(take);
                for (qsizetype c = start; c < start + take; ++c) {
                    characters << paragraph.mid(starts.at(c), starts.at(c + 1) - starts.at(c));
                    xs << lineX;
                    lineX += widths.at(c) + spacing;
                }
                if (!mSurface->drawTextRun(characters, xs, lineY)) return false;
            }
            start += take;
            advance();
        }
    }
    return true;
}

bool BillRenderer::DrawCharacterCells(const QString& text, double x, double y, double w, int cells, int alignment)
{
    if (cells <= 0 || text.isEmpty()) return true;
    const double g = w / cells;
    QStringList characters = PrintCharacters(text);
    const int length = int(characters.size());
    if (length < cells) {
        int pad = 0;
        if (alignment == Right) pad = cells - length;
        else if (alignment == Centre) pad = (cells - length) / 2;
        for (int i = 0; i < pad; ++i) characters.prepend(QStringLiteral(" "));
    } else if (length > cells) {
        if (alignment == Right) x -= (length - cells) * g;
        else if (alignment == Centre) x -= ((length - cells) / 2) * g;
    }
    QStringList drawn;
    QList<double> xs;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QString& character = characters.at(i);
        if (character == QLatin1String(" ")) continue; // an empty cell
        drawn << character;
        xs << x + g * double(i) + (g - mSurface->textWidth(character)) / 2;
    }
    return mSurface->drawTextRun(drawn, xs, y);
}

bool BillRenderer::DrawPictureFile(const QString& path, const Box& box)
{
    const QImage picture(path);
    if (picture.isNull()) return true; // a picture that cannot be read leaves its box empty
    return mSurface->drawPicture(picture, box.x, box.y, box.w, box.h);
}

bool BillRenderer::DrawBarcode(PrintSurface& surface, const QString& text, double left, double top, double width,
                               double height, double fontSize, const QString& fontName, Barcode::Standard standard,
                               Prompter* prompter)
{
    left = Whole(left);
    top = Whole(top);
    const int w = static_cast<int>(Whole(width));
    const int h = static_cast<int>(Whole(height));
    const bool showText = fontSize > 0;
    PrintSurface::Font font;
    font.pointSize = fontSize;
    Barcode::Symbol symbol;
    if (standard == Barcode::Standard::Code39) {
        font.name = fontName;
        if (showText && !surface.setFont(font)) return false;
        const int narrow = Barcode::FitCode39Narrow(text, w);
        const double textHeight = showText ? surface.textHeight(Barcode::FrameCode39(text)) : 0;
        symbol = Barcode::LayoutCode39(text, narrow, h, showText, textHeight);
    } else {
        font.name = QStringLiteral("宋体");
        if (!surface.setFont(font)) return false;
        Barcode::TextMetrics metrics;
        metrics.textHeight = surface.textHeight(QStringLiteral("0"));
        metrics.nineWidth = surface.textWidth(QStringLiteral("9"));
        metrics.zeroWidth = surface.textWidth(QStringLiteral("0"));
        symbol = Barcode::LayoutEan13(text, w, h, static_cast<int>(std::lround(fontSize)), showText, metrics);
    }
    for (const Barcode::Bar& bar : symbol.bars)
        if (!surface.fillRectangle(left + bar.x, top, bar.width, bar.height, 0)) return false;
    surface.setTextColor(0);
    for (const Barcode::Caption& caption : symbol.captions) {
        surface.setPosition(left + caption.x, top + caption.y);
        if (!surface.drawText(caption.text)) return false;
    }
    if (symbol.rejected && prompter) prompter->Message(Barcode::Code39InvalidMessage(), Prompter::Icon::Warning);
    return true;
}

bool BillRenderer::DrawRulerGrid()
{
    mSurface->setUnit(PrintSurface::Unit::Twips);
    const int widthMm = static_cast<int>(std::nearbyint(mSurface->pageWidth() / K));
    const int heightMm = static_cast<int>(std::nearbyint(mSurface->pageHeight() / K));
    auto line = [&](int at, double x1, double y1, double x2, double y2) {
        const bool major = at % 10 == 0;
        return mSurface->drawLine(x1, y1, x2, y2, major ? 2 : 1, Qt::SolidLine, major ? 0 : 0x333333);
    };
    for (int x = 0; x <= widthMm - 2; x += 2)
        if (!line(x, x * K, 0, x * K, heightMm * K)) return false;
    for (int y = 0; y <= heightMm - 2; y += 2)
        if (!line(y, 0, y * K, widthMm * K, y * K)) return false;
    return true;
}

} // namespace kestrio
