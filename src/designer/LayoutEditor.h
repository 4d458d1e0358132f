#pragma once

#include "CanvasFrame.h"
#include "LayoutGeometry.h"
#include "format/Element.h"

#include <QList>
#include <QString>

#include <utility>

namespace kestrio {

class FormatDocument;
class Progress;

// Every layout operation of the designer as a function of the open format document and the
// canvas: selecting, moving, sizing, font sizes, adding, copying, deleting, aligning, pulling
// boxes back onto the page and ruling tables. Each writes the element table at once, in
// millimetres, through the document, so each is one undoable step. Distances are canvas
// units (see CanvasFrame).
class LayoutEditor {
public:
    // Which ends of a line a move takes: the grip the pointer shows.
    enum class LineGrip { Both, End1, End2 };
    // Align modes: edges, then one width or one height.
    enum AlignMode { AlignTop = 0, AlignLeft, AlignRight, AlignBottom, SameWidth, SameHeight };

    LayoutEditor(FormatDocument& document, const CanvasFrame& frame);
    void SetFrame(const CanvasFrame& frame) { mFrame = frame; }
    const CanvasFrame& Frame() const { return mFrame; }

    UnitRect BoxOf(const Element& element) const;
    UnitLine LineOf(const Element& element) const;

    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    // Without `keep`, elements that meet the band become the selection; with it they are
    // added to it.
    void SelectByBand(const UnitRect& band, bool keep);

    // The move step (or size step) for every selected element and the element in
    // `currentRow`; steps with the same `mergeKey` (≥ 0) make one undo step (a drag).
    void MoveSelected(int dx, int dy, int currentRow = -1, LineGrip grip = LineGrip::Both, int mergeKey = -1);
    void SizeSelected(int dx, int dy, int currentRow = -1, int mergeKey = -1);
    // A box handle of the selection frame dragged by (dx, dy): every selected box and the box
    // in `currentRow` has the handle's edges moved, clamped to the canvas. Check boxes and
    // lines keep their size.
    void DragHandleSelected(Handle handle, int dx, int dy, int currentRow = -1, int mergeKey = -1);
    // Only the element in `row` is selected.
    void SelectOnly(int row);
    // The font size (a line's width) of every selected element by `delta` points, never
    // below 1 point.
    void ChangeFontSize(double delta);

    // A new element of `kind` with its default look; moved to (x, y) when either is not 0.
    // Returns its row, or −1 with the reason in `error`.
    int AddElement(int kind, int x, int y, QString* error);
    // `times` copies of every selected element and of `currentRow`, each 200 twips further
    // up and left, captions numbered on; the copies become the selection.
    bool CopyElements(int times, int currentRow, QString* error);
    // Removes the selected elements and `currentRow`.
    void DeleteSelected(int currentRow);
    // The question asked before deleting table rows `first` … `last` (either order).
    static QString DeleteRowsQuestion(int first, int last);
    void DeleteRows(int first, int last);

    // The reference of `mode` over the selected elements it takes, in millimetres to two
    // decimals; false when none is selected.
    bool AlignReference(int mode, double* mm) const;
    // Every selected element the mode takes to `mm`, clamped to the canvas.
    void Align(int mode, double mm, const QString& step = {});

    // Lines, boxes and labels outside the canvas are brought back onto it; the number of
    // elements moved.
    int CheckOutside(Progress& progress);

    // A table of `rows` × `cols` cells ruled with lines from corner (x0, y0) to (x1, y1), mm.
    bool GenerateTable(double x0, double y0, double x1, double y1, int rows, int cols, QString* error);

    // The move and size steps of one element, clamped to the canvas.
    Element Moved(const Element& element, int dx, int dy, LineGrip grip) const;
    Element Sized(const Element& element, int dx, int dy) const;
    Element HandleDragged(const Element& element, Handle handle, int dx, int dy) const;
    Element AtBox(const Element& element, const UnitRect& before, const UnitRect& after) const;

private:
    QList<int> TargetRows(int currentRow) const;
    int CountOf(int kind) const;
    // Room for `more` elements of the kind; false with "每类输入框最多999个！" otherwise.
    bool HasRoomFor(int kind, int more, QString* error) const;
    void SetUpNew(Element& element, int kind) const;

    FormatDocument& mDocument;
    CanvasFrame mFrame;
};

} // namespace kestrio
