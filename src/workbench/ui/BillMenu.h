#pragma once

#include <QObject>
#include <QString>

#include <QSet>

#include <functional>

class QMenu;
class QPoint;
class QSize;

namespace kestrio {

class AppContext;
class BillCanvas;
class Workspace;

// The canvas's context menu "单据菜单" and its commands: dates, clearing, save and print and
// continue, the background picture, and for a picture box its picture and barcode.
class BillMenu final : public QObject {
    Q_OBJECT

public:
    struct Window {
        std::function<bool()> hasFormat;
        std::function<bool()> syncOptions;
        std::function<QString()> currentFormat;
        std::function<bool()> printCurrentBill;
        // A bill was stored as history under this record number (0: none), printed or not.
        std::function<void(qint64 record, bool printed)> billStored;
        // The background was imported (true: show it) or cleared.
        std::function<void(bool imported)> backgroundChanged;
        // "添加输入框" at this canvas point (pixels of the canvas); absent: not offered.
        std::function<void(QPoint at)> addElementAt;
        // A locked format offers no layout changes.
        std::function<bool()> locked;
        // The table rows of the boxes selected in the designer (none: every box).
        std::function<QSet<int>()> selectedRows;
    };

    BillMenu(AppContext& app, Workspace& ws, BillCanvas& canvas, Window window);

    // A command by its menu item's name ("mAutoGetDate", "mClearCtl", "mSaveContinue",
    // "mPrintContinue", "mModiBackgroundPic", "mClearBackPic").
    bool Run(const QString& name);
    // "添加/更改图片" and "输入条码" for the picture box in table row `row`.
    void AddPictureItems(QMenu& menu, int row);

private:
    void Show(const QPoint& at);
    void ChoosePicture(int row);
    void EnterBarcode(int row);
    void ShowPicture(int row, const std::function<void(QSize, double, double)>& put);

    AppContext& mApp;
    Workspace& mWs;
    BillCanvas& mCanvas;
    Window mWindow;
};

} // namespace kestrio
