#include "PictureContent.h"

#include "format/Workspace.h"
#include "print/BillRenderer.h"
#include "print/PainterSurface.h"
#include "seams/Prompter.h"

#include <QFileInfo>
#include <QPainter>

namespace kestrio {

QString PictureContent::EmptyToolTip()
{
    return QStringLiteral("点鼠标右键，在弹出菜单选相应的菜单项，可添加/更改图片或输入条码。");
}

QString PictureContent::BarcodeToolTip(const QString& text) { return QStringLiteral("当前条码：") + text; }

QString PictureContent::BarcodePrompt() { return QStringLiteral("请输入条形码（数字串）："); }

namespace {

QImage BlankBox(QSize size, double dpi)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int dotsPerMetre = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

QImage Stretched(const QImage& picture, QSize size, double dpi)
{
    QImage image = BlankBox(size, dpi);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRect(QPoint(0, 0), image.size()), picture);
    return image;
}

} // namespace

PictureContent::View PictureContent::SetPictureContent(Workspace& ws, int row, const QString& content, QSize size,
                                                       double dpi, double fontSize, Barcode::Standard standard,
                                                       Prompter* prompter)
{
    View view;
    const bool isPicture = content.contains(QLatin1Char('.'));
    view.toolTip = EmptyToolTip();
    ws.SetBoxContent(row, QString());
    if (content.isEmpty()) return view;

    if (isPicture) {
        const QImage picture(content);
        if (!QFileInfo::exists(content) || picture.isNull()) return view; // the box stays empty
        ws.SetBoxContent(row, content);
        view.image = Stretched(picture, size, dpi);
        return view;
    }

    view.image = BlankBox(size, dpi);
    {
        auto surface = PainterSurface::ForImage(view.image);
        const double twipsPerPixel = 1440.0 / dpi;
        BillRenderer::DrawBarcode(*surface, content, 0, 0, view.image.width() * twipsPerPixel,
                                  view.image.height() * twipsPerPixel, fontSize,
                                  ws.table.Text(row, ElementTable::ColFontName), standard, prompter);
        surface->endDocument();
    }
    ws.SetBoxContent(row, content);
    view.toolTip = BarcodeToolTip(content);
    return view;
}

PictureContent::View PictureContent::AskBarcode(Workspace& ws, int row, Prompter& prompter, QSize size, double dpi,
                                                double fontSize, Barcode::Standard standard)
{
    const auto answer = prompter.Input(BarcodePrompt(), ws.GetBoxContent(row));
    const QString text = answer ? answer->trimmed() : QString();
    return SetPictureContent(ws, row, text, size, dpi, fontSize, standard, &prompter);
}

} // namespace kestrio
