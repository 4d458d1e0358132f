#include "workbench/ui/DesignerCanvasTool.h"

#include "app/ui/GuiScreenInfo.h"
#include "designer/ui/ArrowTool.h"
#include "format/FormatDocument.h"
#include "workbench/ui/EntryTool.h"

#include <QContextMenuEvent>
#include <QWidget>

namespace kestrio {

bool DesignerCanvasTool::BoxMenuEvent(int row, QWidget* control, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu) return false;
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    // A text box loses its related-box marks, as at any press on it, unless Ctrl alone is held.
    const Qt::KeyboardModifiers keys = menuEvent->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (mDocument.Table().KindOf(row) == ElementTable::TextBox && keys != Qt::ControlModifier) mCanvas.HideRelationColor();
    const QPoint canvasPoint = control == &mCanvas ? menuEvent->pos() : control->mapTo(&mCanvas, menuEvent->pos());
    emit boxMenuRequested(row, canvasPoint, menuEvent->globalPos());
    return true;
}

DesignerCanvasTool::DesignerCanvasTool(FormatDocument& document, BillCanvas& canvas)
    : QObject(&canvas), mDocument(document), mCanvas(canvas), mEntry(canvas.Entry())
{
    mArrow = new ArrowTool(document, canvas,
                           {[&canvas, &document] { return FrameOf(canvas, document); }, [&canvas] { return canvas.Locked(); }});
    // The controls are made anew after these: the selected look follows.
    for (auto signal : {&FormatDocument::selectionChanged, &FormatDocument::tableReset})
        connect(&document, signal, this, &DesignerCanvasTool::ShowSelection, Qt::QueuedConnection);
    for (auto signal : {&FormatDocument::elementAdded, &FormatDocument::elementRemoved})
        connect(&document, signal, this, &DesignerCanvasTool::ShowSelection, Qt::QueuedConnection);
}

CanvasFrame DesignerCanvasTool::FrameOf(const BillCanvas& canvas, const FormatDocument& document)
{
    CanvasFrame frame;
    frame.width = canvas.width() * GuiScreenInfo::TwipsPerPixelX();
    frame.height = canvas.height() * GuiScreenInfo::TwipsPerPixelY();
    frame.pageWidthMm = document.Data().Width() > 0 ? document.Data().Width() : 1;
    return frame;
}

void DesignerCanvasTool::ShowSelection()
{
    const QSet<qint64>& selection = mDocument.Selection();
    for (BillCanvas::Element& element : mCanvas.Elements()) {
        if (!mDocument.Table().IsDataRow(element.row)) continue;
        const bool selected = selection.contains(mDocument.Table().Id(element.row));
        // The standing tip of the boxes, until a zone of the arrow replaces it.
        if ((element.kind == ElementTable::TextBox || element.kind == ElementTable::CheckBox) && element.control->toolTip().isEmpty())
            element.control->setToolTip(QStringLiteral("点击右键可设置、添加、复制或删除输入框。"));
        if (element.kind == ElementTable::TextBox) {
            if (selected != (element.background == BillCanvas::kSelectedBackground))
                mCanvas.SetBoxBackground(element, selected ? BillCanvas::kSelectedBackground : BillCanvas::kPlainBackground);
        } else {
            element.control->setStyleSheet(selected ? QStringLiteral("border: 1px solid #808080;") : QString());
        }
    }
}

bool DesignerCanvasTool::ElementEvent(BillCanvas::Element& element, QObject* watched, QEvent* event)
{
    // The box's own edit menu gives way to the input-box menu.
    if (BoxMenuEvent(element.row, static_cast<QWidget*>(watched), event)) return true;
    if (mArrow->ElementEvent(element.row, element.control, event)) return true;
    return mEntry.ElementEvent(element, watched, event);
}

void DesignerCanvasTool::CanvasMousePress(QMouseEvent* event)
{
    mEntry.CanvasMousePress(event);
    mArrow->CanvasPress(event);
}

void DesignerCanvasTool::BoxEdited(BillCanvas::Element& element)
{
    mEntry.BoxEdited(element);
}

void DesignerCanvasTool::CheckBoxClicked(BillCanvas::Element& element, bool checked)
{
    mEntry.CheckBoxClicked(element, checked);
}

bool DesignerCanvasTool::CanvasEvent(QEvent* event)
{
    // A right click on a line is a right click on that element; elsewhere the canvas menu.
    if (event->type() == QEvent::ContextMenu) {
        const int line = mArrow->LineUnder(static_cast<QContextMenuEvent*>(event)->pos());
        if (line >= 0) return BoxMenuEvent(line, &mCanvas, event);
    }
    return mArrow->CanvasEvent(event) || mEntry.CanvasEvent(event);
}

} // namespace kestrio
