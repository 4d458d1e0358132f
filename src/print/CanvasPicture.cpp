#include "CanvasPicture.h"

#include "format/Workspace.h"
#include "print/PainterSurface.h"
#include "print/PrintFonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrio {

namespace {

// The frame colour of an unselected box: visible on a scan, lighter than any printed ink.
const QColor kFrameColour(0x70, 0x90, 0xc0);
// Caption beside a box: this far below the box's top, as on the canvas (mm).
constexpr double kCaptionDropMm = 40 / 56.6928;
// A check box's square (mm).
constexpr double kCheckSquareMm = 3.5;

struct Paper {
    double dotsPerMm;
    QRectF Rect(double xMm, double yMm, double wMm, double hMm) const
    {
        return {xMm * dotsPerMm, yMm * dotsPerMm, wMm * dotsPerMm, hMm * dotsPerMm};
    }
};

QRectF BoxRect(const ElementTable& table, int row, const Paper& paper)
{
    const double w = table.KindOf(row) == ElementTable::CheckBox ? kCheckSquareMm : table.Number(row, ElementTable::ColW);
    const double h = table.KindOf(row) == ElementTable::CheckBox ? kCheckSquareMm : table.Number(row, ElementTable::ColH);
    return paper.Rect(table.Number(row, ElementTable::ColX), table.Number(row, ElementTable::ColY), w, h);
}

// The caption sits on the side its label position names: above, left, right or below.
QPointF CaptionAt(const QRectF& box, const QSizeF& text, int dir, double drop)
{
    switch (dir) {
    case 0: return {box.left(), box.top() - text.height()};
    case 1: return {box.left() - text.width(), box.top() + drop};
    case 2: return {box.right(), box.top() + drop};
    default: return {box.left(), box.bottom()};
    }
}

void DrawFrames(QPainter& painter, const ElementTable& table, const Paper& paper, bool captions)
{
    QPen pen(kFrameColour);
    pen.setWidthF(std::max(1.0, paper.dotsPerMm * 0.15));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QFont font(PrintFonts::SansFamily());
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(CanvasPicture::kCaptionPoints / 72 * 25.4 * paper.dotsPerMm))));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    for (int row = ElementTable::kFirstRow; row < table.RowCount(); ++row) {
        const int kind = table.KindOf(row);
        if (kind > ElementTable::PictureBox) continue;
        const QRectF box = BoxRect(table, row, paper);
        painter.drawRect(box);
        const QString caption = table.Text(row, ElementTable::ColLbl);
        if (!captions || caption.isEmpty()) continue;
        const QSizeF size(metrics.horizontalAdvance(caption), metrics.height());
        const QPointF at = CaptionAt(box, size, ElementTable::DirCode(table.Text(row, ElementTable::ColDir)),
                                     kCaptionDropMm * paper.dotsPerMm);
        painter.drawText(QRectF(at, size), Qt::AlignLeft | Qt::AlignTop, caption);
    }
}

} // namespace

QImage CanvasPicture::Draw(const Workspace& source, BillRenderer::Environment environment, const Options& options)
{
    // The canvas shows the format as designed: the page shifts of printing do not apply.
    Workspace ws = source;
    ws.options[1] = 0;
    ws.options[3] = 0;
    ws.backgroundPrint = false;
    ws.setPaper = false;
    environment.installPaperForm = {};
    environment.markOverflow = false;

    const Paper paper{options.dpi / 25.4};
    QImage image(std::max(1, static_cast<int>(std::lround(ws.Width() * paper.dotsPerMm))),
                 std::max(1, static_cast<int>(std::lround(ws.Height() * paper.dotsPerMm))), QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(paper.dotsPerMm * 1000)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(paper.dotsPerMm * 1000)));
    image.fill(Qt::white);
    const bool background = options.background && !environment.background.isNull();
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (background) painter.drawImage(QRectF(0, 0, image.width(), image.height()), environment.background);
        // Over a scan the canvas hides the captions: the printed form names its boxes.
        if (options.frames) DrawFrames(painter, ws.table, paper, !background);
    }
    {
        // The surface is finished before the picture leaves.
        auto surface = PainterSurface::ForImage(image);
        BillRenderer(*surface, environment).RenderBill(ws, 0, 0);
    }
    return image;
}

} // namespace kestrio
