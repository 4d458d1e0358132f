#include "designer/ui/LabelPositionPreview.h"

#include <QPainter>

namespace kestrio {

LabelPositionPreview::LabelPositionPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(sizeHint());
}

void LabelPositionPreview::SetPosition(int position)
{
    mPosition = position;
    update();
}

void LabelPositionPreview::SetCaption(const QString& caption)
{
    mCaption = caption;
    update();
}

QString LabelPositionPreview::Caption() const
{
    return mCaption.trimmed().isEmpty() ? QStringLiteral("标签") : mCaption;
}

QRect LabelPositionPreview::SampleRect() const
{
    const QSize box(width() / 3, height() / 4);
    return QRect(QPoint((width() - box.width()) / 2, (height() - box.height()) / 2), box);
}

QRect LabelPositionPreview::CaptionRect() const
{
    const QRect box = SampleRect();
    const QSize text = fontMetrics().size(Qt::TextSingleLine, Caption()) + QSize(4, 0);
    switch (mPosition) {
    case 0: return QRect(QPoint(box.left(), box.top() - text.height()), text);
    case 2: return QRect(QPoint(box.right() + 1, box.top()), text);
    case 3: return QRect(QPoint(box.left(), box.bottom() + 1), text);
    default: return QRect(QPoint(box.left() - text.width(), box.top()), text);
    }
}

void LabelPositionPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect box = SampleRect();
    painter.setPen(palette().text().color());
    painter.drawRect(box);
    painter.drawText(box, Qt::AlignCenter, QStringLiteral("示例"));
    painter.setPen(Qt::blue);
    painter.drawText(CaptionRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Caption());
}

} // namespace kestrio
