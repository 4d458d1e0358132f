#pragma once

#include "designer/CanvasFrame.h"
#include "designer/LayoutGeometry.h"
#include "designer/LayoutEditor.h"

#include <QObject>
#include <QPoint>

#include <functional>

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QRubberBand;
class QWidget;

namespace kestrio {

class FormatDocument;

// The designer's arrow on the canvas: the rubber band (in steps of more than 100 twips, Ctrl
// adding to the selection), Ctrl+click on a box, the move corner and the size corner of
// each box and the ends and body of each line with their pointer shapes and tooltips,
// dragging past 12 twips (one undo step per drag), arrows / Shift+arrows / Ctrl+arrows. A
// box is also dragged by any point of its body, and every selected element is sized by the
// handles of its selection frame. Pressing an element that is not selected, without Ctrl,
// selects only it. A locked format takes none of it. Whatever the arrow does not take
// (typing into a box) is left to the caller. All distances are twips of the window.
class ArrowTool final : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<CanvasFrame()> frame;
        std::function<bool()> locked;
    };
    ArrowTool(FormatDocument& document, QWidget& canvas, Hooks hooks);

    // An event of the control of the element in table row `row`; true when the arrow took it.
    bool ElementEvent(int row, QWidget* control, QEvent* event);
    // A press on the canvas outside the boxes.
    bool CanvasPress(QMouseEvent* event);
    // Moves, releases and keys of the canvas.
    bool CanvasEvent(QEvent* event);
    // Arrows, Shift+arrows and Ctrl+arrows for the selection; false for other keys.
    bool Key(QKeyEvent* event);
    // The table row of the line at this point of the canvas (pixels); −1 when none.
    int LineUnder(QPoint pixels) const;
    // The handle of a selected element at this point of the canvas (twips); its row in `row`.
    Handle HandleAt(QPoint canvasTwips, int* row) const;

private:
    QPoint ToTwips(QPoint pixels) const;
    LayoutEditor Editor() const { return LayoutEditor(mDocument, mHooks.frame()); }
    void Hover(int row, QPoint twips, const Element& element);
    void Drag(int row, QPoint twips, bool box);
    // A drag whose points are canvas twips: a handle or a line.
    void DragOnCanvas(QPoint canvasTwips);
    // Starts a drag: one undo step from here to the release.
    void StartDrag();
    // The handle under a canvas point sets the pointer of `widget`; false when none is.
    bool HoverHandle(QWidget* widget, QPoint canvasTwips);
    QPoint CanvasTwips(const QWidget* control, QPoint pixels) const;
    bool PressHandle(QPoint canvasTwips);
    // The first line whose zone holds the canvas point; its row or −1.
    int LineAt(QPoint twips, Zone* zone) const;
    void SetPointer(QWidget* widget, Zone zone, const QString& tip);
    void UpdateBand(QPoint twips, bool keep);

    FormatDocument& mDocument;
    QWidget& mCanvas;
    Hooks mHooks;
    QRubberBand* mBand = nullptr;
    bool mBanding = false;
    QPoint mBandStart;
    QPoint mBandCorner;
    // What the pointer shape says a left drag does, the grab point and the line under it.
    Zone mZone = Zone::None;
    QPoint mGrab;
    int mCurrentLine = -1;
    bool mDragging = false;
    int mDragKey = 0;
    // The handle under the pointer (or being dragged) and its element's row.
    Handle mHandle = Handle::None;
    int mHandleRow = -1;
    // A drag in canvas twips (handles, lines) rather than relative to a box.
    bool mOnCanvas = false;
    // A left press on the body of a box: it becomes a move once the mouse goes past 12 twips.
    int mBodyRow = -1;
    bool mBodyDrag = false;
};

} // namespace kestrio
