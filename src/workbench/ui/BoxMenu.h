#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QMenu;

namespace kestrio {

class BillCanvas;
class BillMenu;
class FormatDocument;
class LayoutCommands;

// The input-box menu "m_CtlSet" of a right click on a box (or a line): "设置内容框", the
// box's text to and from the clipboard ("复制文本", "粘贴文本": text boxes and fixed labels),
// adding a box of a chosen kind at the click point, copying and deleting the box with the
// selection, and for a picture box its picture and barcode. A locked format offers none of
// the layout changes.
class BoxMenu final : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        // "设置内容框": the property window of the element in this table row.
        std::function<void(int row)> editProperties;
        std::function<bool()> locked;
    };
    BoxMenu(FormatDocument& document, BillCanvas& canvas, LayoutCommands& commands, BillMenu& billMenu, Hooks hooks);

    // The menu for the element in table row `row`, right-clicked at `canvasPoint` (pixels of
    // the canvas), shown at `globalPoint` until closed.
    void Show(int row, QPoint canvasPoint, QPoint globalPoint);
    // The same menu, filled but not shown (the caller owns it).
    QMenu* Build(int row, QPoint canvasPoint, QWidget* parent);

    void CopyText(int row);
    void PasteText(int row);

private:
    FormatDocument& mDocument;
    BillCanvas& mCanvas;
    LayoutCommands& mCommands;
    BillMenu& mBillMenu;
    Hooks mHooks;
};

} // namespace kestrio
