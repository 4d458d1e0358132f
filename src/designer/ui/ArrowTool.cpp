#include "designer/ui/ArrowTool.h"

#include "app/ui/GuiScreenInfo.h"
#include "format/FormatDocument.h"

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

bool ArrowTool::ElementEvent(int row, QWidget* control, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) return Key(static_cast<QKeyEvent*>(event));
    const bool mouse = event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress
        || event->type() == QEvent::MouseButtonRelease;
    if (!mouse || !mDocument.Table().IsDataRow(row)) return false;
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    const QPoint point = ToTwips(mouseEvent->position().toPoint());
    if (mHooks.locked()) {
        control->setCursor(Qt::ArrowCursor);
        mDragging = false;
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        if (mDragging && (mouseEvent->buttons() & Qt::LeftButton)) {
            Drag(row, point, true);
            return true;
        }
        if (mouseEvent->buttons() == Qt::NoButton) {
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
        if (mZone != Zone::Move && mZone != Zone::Size) return false;
        mDragging = true;
        ++mDragKey;
        return true;
    default:
        if (!mDragging) return false;
        mDragging = false;
        return true;
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
    if (mCurrentLine >= 0 && mZone != Zone::None && mZone != Zone::Type) {
        if (mZone == Zone::LineBody) Editor().SetSelected(mCurrentLine, !Editor().IsSelected(mCurrentLine));
        mDragging = true;
        ++mDragKey;
        mGrab = point;
        return true;
    }
    mCanvas.setToolTip(QStringLiteral("按住鼠标左键并拖动鼠标可以选中需要修改的输入框。"));
    mBanding = true;
    mBandStart = mBandCorner = point;
    if (!CtrlAlone(event->modifiers())) Editor().SelectByBand(LayoutGeometry::Band(point.x(), point.y(), point.x(), point.y()), false);
    return true;
}

void ArrowTool::UpdateBand(QPoint point, bool keep)
{
    mBandCorner = point;
    const UnitRect band = LayoutGeometry::Band(mBandStart.x(), mBandStart.y(), point.x(), point.y());
    const double tx = GuiScreenInfo::TwipsPerPixelX(), ty = GuiScreenInfo::TwipsPerPixelY();
    mBand->setGeometry(QRect(static_cast<int>(band.left / tx), static_cast<int>(band.top / ty),
                             static_cast<int>(band.width / tx) + 1, static_cast<int>(band.height / ty) + 1));
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
        mBand->hide();
        mCanvas.setCursor(Qt::ArrowCursor);
        mCanvas.setToolTip(QStringLiteral("箭头键->移动位置，Shift+箭头键->改变控件大小，Ctrl+箭头键->改变字体大小！"));
        return true;
    }
    if (mouseEvent->buttons() & Qt::LeftButton) {
        if (mDragging && mCurrentLine >= 0) Drag(mCurrentLine, point, false);
        else if (mBanding && LayoutGeometry::BandFollows(mBandCorner.x(), mBandCorner.y(), point.x(), point.y(), kBandStep))
            UpdateBand(point, CtrlAlone(mouseEvent->modifiers()));
        return true;
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
