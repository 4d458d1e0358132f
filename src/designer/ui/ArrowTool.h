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
// locked format takes none of it. Whatever the arrow does not take (typing into a box) is
// left to the caller. All distances are twips of the window.
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

private:
    QPoint ToTwips(QPoint pixels) const;
    LayoutEditor Editor() const { return LayoutEditor(mDocument, mHooks.frame()); }
    void Hover(int row, QPoint twips, const Element& element);
    void Drag(int row, QPoint twips, bool box);
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
};

} // namespace kestrio
