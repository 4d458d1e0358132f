#pragma once

#include "designer/CanvasFrame.h"
#include "workbench/ui/CanvasTool.h"

#include <QObject>
#include <QPoint>

namespace kestrio {

class ArrowTool;
class EntryTool;
class FormatDocument;

// The canvas of the main window designs and takes typing at once: each event is offered to
// the designer's arrow first and, when the arrow leaves it, to the entry tool. It also shows
// the selection: selected text boxes grey, other selected kinds framed.
class DesignerCanvasTool final : public QObject, public CanvasTool {
    Q_OBJECT

public:
    DesignerCanvasTool(FormatDocument& document, BillCanvas& canvas);

    bool ElementEvent(BillCanvas::Element& element, QObject* watched, QEvent* event) override;
    void CanvasMousePress(QMouseEvent* event) override;
    void BoxEdited(BillCanvas::Element& element) override;
    void CheckBoxClicked(BillCanvas::Element& element, bool checked) override;
    bool CanvasEvent(QEvent* event) override;

    ArrowTool& Arrow() { return *mArrow; }
    // The canvas in twips of the window, at the page width of the document.
    static CanvasFrame FrameOf(const BillCanvas& canvas, const FormatDocument& document);

signals:
    // A right click on the element in table row `row` (a box, or a line on the canvas) at
    // `canvasPoint` (pixels of the canvas): its menu is wanted at `globalPoint`.
    void boxMenuRequested(int row, QPoint canvasPoint, QPoint globalPoint);

private:
    void ShowSelection();
    bool BoxMenuEvent(int row, QWidget* control, QEvent* event);

    FormatDocument& mDocument;
    BillCanvas& mCanvas;
    EntryTool& mEntry;
    ArrowTool* mArrow;
};

} // namespace kestrio
