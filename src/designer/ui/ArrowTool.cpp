#include "designer/ui/ArrowTool.h"

#include "app/ui/GuiScreenInfo.h"
#include "format/FormatDocument.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWidget>

#include <cmath>

namespace kestrio {

namespace {

constexpr int kCorner = 100; // the move and size corners of a box
constexpr int kBandStep = 100;
constexpr int kDragThreshold = 12;
constexpr int kKeyStep = 10;
constexpr int kLineReach = 30;
// Drags are told apart by their merge keys; keyboard steps never merge.
constexpr int kFirstDragKey = 1000;

QString ZoneTip(Zone zone)
{
    switch (zone) {
    case Zone::Move: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可移动本输入框位置。");
    case Zone::Size: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可改变本输入框大小。");
    case Zone::Type: return QStringLiteral("提示：点击鼠标左键,可以输入内容。");
    case Zone::LineEnd1:
    case Zone::LineEnd2:
    case Zone::LineBody: return QStringLiteral("提示：按住鼠标左键(别松开),拖动鼠标,即可拖动本线条。");
    default: return {};
    }
}

Qt::CursorShape ZoneCursor(Zone zone)
{
    switch (zone) {
    case Zone::Move:
    case Zone::LineEnd1: return Qt::SizeAllCursor;
    case Zone::Size:
    case Zone::LineEnd2: return Qt::SizeFDiagCursor;
    case Zone::Type: return Qt::IBeamCursor;
    case Zone::LineBody: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
    }
}

LayoutEditor::LineGrip GripOf(Zone zone)
{
    if (zone == Zone::LineEnd1) return LayoutEditor::LineGrip::End1;
    if (zone == Zone::LineEnd2) return LayoutEditor::LineGrip::End2;
    return LayoutEditor::LineGrip::Both;
}

bool CtrlAlone(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

} // namespace

ArrowTool::ArrowTool(FormatDocument& document, QWidget& canvas, Hooks hooks)
    : QObject(&canvas), mDocument(document), mCanvas(canvas), mHooks(std::move(hooks))
{
    mCanvas.setMouseTracking(true);
    mCanvas.setFocusPolicy(Qt::ClickFocus);
    mCanvas.setToolTip(QStringLiteral("点击右键，可添加输入框或清空输入框内容。"));
    mBand = new QRubberBand(QRubberBand::Rectangle, &mCanvas);
    mBand->setObjectName(QStringLiteral("SelectionBand"));
}

QPoint ArrowTool::ToTwips(QPoint pixels) const
{
    return {static_cast<int>(std::lround(pixels.x() * GuiScreenInfo::TwipsPerPixelX())),
            static_cast<int>(std::lround(pixels.y() * GuiScreenInfo::TwipsPerPixelY()))};
}

void ArrowTool::SetPointer(QWidget* widget, Zone zone, const QString& tip)
{
    widget->setCursor(ZoneCursor(zone));
    if (!tip.isEmpty()) widget->setToolTip(tip);
}

namespace {

Qt::CursorShape HandleCursor(Handle handle)
{
    switch (handle) {
    case Handle::TopLeft:
    case Handle::BottomRight: return Qt::SizeFDiagCursor;
    case Handle::TopRight:
    case Handle::BottomLeft: return Qt::SizeBDiagCursor;
    case Handle::Top:
    case Handle::Bottom: return Qt::SizeVerCursor;
    case Handle::Left:
    case Handle::Right: return Qt::SizeHorCursor;
    case Handle::End1: return Qt::SizeAllCursor;
    case Handle::End2: return Qt::SizeFDiagCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

QPoint ArrowTool::CanvasTwips(const QWidget* control, QPoint pixels) const
{
    return ToTwips(control == &mCanvas ? pixels : control->mapTo(&mCanvas, pixels));
}

Handle ArrowTool::HandleAt(QPoint point, int* row) const
{
    *row = -1;
    if (mDocument.Selection().isEmpty()) return Handle::None;
    const LayoutEditor editor = Editor();
    const int reach = editor.Frame().Twips(LayoutGeometry::kHandleReach);
    for (int r : mDocument.ElementRows()) {
        if (!editor.IsSelected(r)) continue;
        const Element element = mDocument.ElementAt(r);
        Handle handle = Handle::None;
        if (element.kind == ElementTable::Line) handle = LayoutGeometry::LineHandleAt(point.x(), point.y(), editor.LineOf(element), reach);
        else if (element.kind != ElementTable::CheckBox) handle = LayoutGeometry::BoxHandleAt(point.x(), point.y(), editor.BoxOf(element), reach);
        if (handle != Handle::None) {
            *row = r;
            return handle;
        }
    }
    return Handle::None;
}

bool ArrowTool::HoverHandle(QWidget* widget, QPoint point)
{
    mHandle = HandleAt(point, &mHandleRow);
    if (mHandle == Handle::None) return false;
    widget->setCursor(HandleCursor(mHandle));
    widget->setToolTip(ZoneTip(mHandle == Handle::End1 || mHandle == Handle::End2 ? Zone::LineBody : Zone::Size));
    mGrab = point;
    return true;
}

void ArrowTool::StartDrag()
{
    mDragging = true;
    ++mDragKey;
}

bool ArrowTool::PressHandle(QPoint point)
{
    if (mHandle == Handle::None || mHandleRow < 0) return false;
    mOnCanvas = true;
    mGrab = point;
    if (mHandle == Handle::End1 || mHandle == Handle::End2) {
        mCurrentLine = mHandleRow;
        mZone = mHandle == Handle::End1 ? Zone::LineEnd1 : Zone::LineEnd2;
    }
    StartDrag();
    return true;
}

void ArrowTool::DragOnCanvas(QPoint point)
{
    if (mHandle != Handle::None && mHandle != Handle::End1 && mHandle != Handle::End2) {
        const int dx = point.x() - mGrab.x(), dy = point.y() - mGrab.y();
        if (!LayoutGeometry::DragSteps(dx, dy, kDragThreshold)) return;
        Editor().DragHandleSelected(mHandle, dx, dy, mHandleRow, kFirstDragKey + mDragKey % 1000000);
        mGrab = point;
        return;
    }
    if (mCurrentLine >= 0) Drag(mCurrentLine, point, false);
}

bool ArrowTool::ElementEvent(int row, QWidget* control, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) return Key(static_cast<QKeyEvent*>(event));
    const bool mouse = event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress
        || event->type() == QEvent::MouseButtonRelease;
    if (!mouse || !mDocument.Table().IsDataRow(row)) return false;
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    const QPoint pixels = mouseEvent->position().toPoint();
    const QPoint point = ToTwips(pixels);
    if (mHooks.locked()) {
        control->setCursor(Qt::ArrowCursor);
        mDragging = mBodyDrag = false;
        mBodyRow = -1;
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        if (mDragging && (mouseEvent->buttons() & Qt::LeftButton)) {
            if (mOnCanvas) DragOnCanvas(CanvasTwips(control, pixels));
            else Drag(row, point, true);
            return true;
        }
        if (mBodyRow == row && (mouseEvent->buttons() & Qt::LeftButton)) {
            // A press on the body becomes a move once the mouse goes far enough.
            if (!LayoutGeometry::DragSteps(point.x() - mGrab.x(), point.y() - mGrab.y(), kDragThreshold)) return true;
            if (!Editor().IsSelected(row)) Editor().SelectOnly(row);
            if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setDown(false);
            mZone = Zone::Move;
            mBodyDrag = true;
            mOnCanvas = false;
            StartDrag();
            control->setCursor(ZoneCursor(Zone::Move));
            Drag(row, point, true);
            return true;
        }
        if (mouseEvent->buttons() == Qt::NoButton) {
            if (HoverHandle(control, CanvasTwips(control, pixels))) return false;
            const Element element = mDocument.ElementAt(row);
            const UnitRect box = Editor().BoxOf(element);
            mZone = LayoutGeometry::BoxZone(point.x(), point.y(), box.width, box.height, element.kind, kCorner);
            SetPointer(control, mZone, ZoneTip(mZone));
            mGrab = point;
        }
        return false;
    case QEvent::MouseButtonPress:
        if (mouseEvent->button() != Qt::LeftButton) return false;
        if (CtrlAlone(mouseEvent->modifiers())) {
            Editor().SetSelected(row, !Editor().IsSelected(row));
            return true;
        }
        mOnCanvas = false;
        mBodyDrag = false;
        mBodyRow = -1;
        if (PressHandle(CanvasTwips(control, pixels))) return true;
        if (mZone != Zone::Move && mZone != Zone::Size) {
            // The body: typing, a tick, or a move once the mouse travels.
            mBodyRow = row;
            mGrab = point;
            const int kind = mDocument.Table().KindOf(row);
            if (kind != ElementTable::TextBox && !Editor().IsSelected(row)) Editor().SelectOnly(row);
            // A text box takes the press for its caret and a check box for its tick; a label
            // or a picture has no use for it, and keeps the mouse for the drag.
            return kind == ElementTable::Label || kind == ElementTable::PictureBox;
        }
        if (!Editor().IsSelected(row)) Editor().SelectOnly(row);
        StartDrag();
        return true;
    default: {
        const bool bodyDrag = mBodyDrag;
        mBodyRow = -1;
        mBodyDrag = false;
        if (!mDragging) return false;
        mDragging = false;
        mOnCanvas = false;
        // The control had the press, so it has the release too (a tick that was dragged was
        // let go of above and does not toggle).
        return !bodyDrag;
    }
    }
}

void ArrowTool::Drag(int row, QPoint point, bool box)
{
    const int dx = point.x() - mGrab.x(), dy = point.y() - mGrab.y();
    if (!LayoutGeometry::DragSteps(dx, dy, kDragThreshold)) return;
    const int key = kFirstDragKey + mDragKey % 1000000;
    if (mZone == Zone::Size) Editor().SizeSelected(dx, dy, row, key);
    else Editor().MoveSelected(dx, dy, row, GripOf(mZone), key);
    // A box travels under the mouse, so its grab point stays; a size or a line follows it.
    if (!box || mZone == Zone::Size) mGrab = point;
}

int ArrowTool::LineAt(QPoint point, Zone* zone) const
{
    const LayoutEditor editor = Editor();
    const double lineFactor = mHooks.frame().unitsPerTwip;
    for (int row : mDocument.ElementRows()) {
        const Element element = mDocument.ElementAt(row);
        if (element.kind != ElementTable::Line) continue;
        const int width = static_cast<int>(std::lround(element.fontSize * 15 * lineFactor));
        *zone = LayoutGeometry::LineZone(point.x(), point.y(), editor.LineOf(element), width, kLineReach);
        if (*zone != Zone::None) return row;
    }
    *zone = Zone::None;
    return -1;
}

int ArrowTool::LineUnder(QPoint pixels) const
{
    Zone zone = Zone::None;
    return LineAt(ToTwips(pixels), &zone);
}

bool ArrowTool::CanvasPress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || mHooks.locked()) return false;
    const QPoint point = ToTwips(event->position().toPoint());
    const bool ctrl = CtrlAlone(event->modifiers());
    mOnCanvas = true;
    if (!ctrl && PressHandle(point)) return true;
    if (mCurrentLine >= 0 && mZone != Zone::None && mZone != Zone::Type) {
        // Ctrl toggles the line; a plain press on a line not selected selects only it.
        if (ctrl) Editor().SetSelected(mCurrentLine, !Editor().IsSelected(mCurrentLine));
        else if (!Editor().IsSelected(mCurrentLine)) Editor().SelectOnly(mCurrentLine);
        mHandle = Handle::None;
        StartDrag();
        mGrab = point;
        return true;
    }
    mCanvas.setToolTip(QStringLiteral("按住鼠标左键并拖动鼠标可以选中需要修改的输入框。"));
    mBanding = true;
    mBandStart = mBandCorner = point;
    if (!ctrl) Editor().SelectByBand(LayoutGeometry::Band(point.x(), point.y(), point.x(), point.y()), false);
    return true;
}

void ArrowTool::UpdateBand(QPoint point, bool keep)
{
    mBandCorner = point;
    const UnitRect band = LayoutGeometry::Band(mBandStart.x(), mBandStart.y(), point.x(), point.y());
    const double tx = GuiScreenInfo::TwipsPerPixelX(), ty = GuiScreenInfo::TwipsPerPixelY();
    mBand->setGeometry(QRect(static_cast<int>(band.left / tx), static_cast<int>(band.top / ty),
                             static_cast<int>(band.width / tx) + 1, static_cast<int>(band.height / ty) + 1));
    mBand->raise();
    mBand->show();
    Editor().SelectByBand(band, keep);
}

bool ArrowTool::CanvasEvent(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) return Key(static_cast<QKeyEvent*>(event));
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease) return false;
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    const QPoint point = ToTwips(mouseEvent->position().toPoint());
    if (mHooks.locked()) {
        mCanvas.setCursor(Qt::ArrowCursor);
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (!mBanding && !mDragging) return false;
        mBanding = mDragging = false;
        mOnCanvas = false;
        mBand->hide();
        mCanvas.setCursor(Qt::ArrowCursor);
        mCanvas.setToolTip(QStringLiteral("箭头键->移动位置，Shift+箭头键->改变控件大小，Ctrl+箭头键->改变字体大小！"));
        return true;
    }
    if (mouseEvent->buttons() & Qt::LeftButton) {
        if (mDragging) DragOnCanvas(point);
        else if (mBanding && LayoutGeometry::BandFollows(mBandCorner.x(), mBandCorner.y(), point.x(), point.y(), kBandStep))
            UpdateBand(point, CtrlAlone(mouseEvent->modifiers()));
        return true;
    }
    if (HoverHandle(&mCanvas, point)) {
        mCurrentLine = -1;
        mZone = Zone::None;
        return false;
    }
    Zone zone = Zone::None;
    mCurrentLine = LineAt(point, &zone);
    mZone = zone;
    SetPointer(&mCanvas, zone, ZoneTip(zone));
    if (zone != Zone::None) mGrab = point;
    return false;
}

bool ArrowTool::Key(QKeyEvent* event)
{
    if (mDocument.Selection().isEmpty()) return false;
    int dx = 0, dy = 0;
    switch (event->key()) {
    case Qt::Key_Left: dx = -kKeyStep; break;
    case Qt::Key_Right: dx = kKeyStep; break;
    case Qt::Key_Up: dy = -kKeyStep; break;
    case Qt::Key_Down: dy = kKeyStep; break;
    default: return false;
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    LayoutEditor edit = Editor();
    if (modifiers == Qt::NoModifier) edit.MoveSelected(dx, dy);
    else if (modifiers == Qt::ShiftModifier) edit.SizeSelected(dx, dy);
    else if (modifiers == Qt::ControlModifier) edit.ChangeFontSize(dx + dy > 0 ? 0.5 : -0.5);
    else return false;
    return true;
}

} // namespace kestrio
