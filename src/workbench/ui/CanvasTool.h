#pragma once

#include "workbench/ui/BillCanvas.h"

class QEvent;
class QMouseEvent;
class QObject;

namespace kestrio {

// What works on the canvas: typing a bill now, the designer's arrow and create tools later.
// The canvas draws the boxes and hands their events to the tool it holds.
class CanvasTool {
public:
    virtual ~CanvasTool() = default;

    // An event on an element's control or caption; true when the tool consumed it.
    virtual bool ElementEvent(BillCanvas::Element& element, QObject* watched, QEvent* event) = 0;
    // A press on the canvas outside the boxes.
    virtual void CanvasMousePress(QMouseEvent* event) = 0;
    // The control's own signals: text typed into a box, a check box clicked.
    virtual void BoxEdited(BillCanvas::Element& element) = 0;
    virtual void CheckBoxClicked(BillCanvas::Element& element, bool checked) = 0;
    // Any other event of the canvas itself (moves, releases, keys); true when consumed.
    virtual bool CanvasEvent(QEvent* event)
    {
        (void)event;
        return false;
    }
};

} // namespace kestrio
