// The main window's designer parts: the input-box and canvas menus, deleting rows on the
// element table page, and the list of formats beside the canvas.
#include "workbench/ui/MainWindow.h"

#include "app/AppContext.h"
#include "app/ui/WidgetPlace.h"
#include "designer/ui/LayoutCommands.h"
#include "designer/ui/PropertyWindows.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/BoxMenu.h"
#include "workbench/ui/DesignerCanvasTool.h"
#include "workbench/ui/ElementTablePage.h"
#include "workbench/ui/EntryTool.h"
#include "workbench/ui/FormatListPanel.h"

#include <QAction>
#include <QMenu>

namespace kestrio {

void MainWindow::BuildDesignerParts()
{
    const auto locked = [this] { return mCanvas->Locked(); };
    BoxMenu::Hooks hooks;
    hooks.editProperties = [this](int row) { EditElementProperties(row); };
    hooks.locked = locked;
    mBoxMenu = new BoxMenu(mDocument, *mCanvas, *mLayoutCommands, *mBillMenu, hooks);
    connect(mDesignTool, &DesignerCanvasTool::boxMenuRequested, mBoxMenu, &BoxMenu::Show);
    connect(mElementGrid, &ElementTablePage::rowActivated, this, &MainWindow::EditElementProperties);
    mElementGrid->SetRowDeleter([this](int first, int last) { return mLayoutCommands->DeleteRows(first, last); }, locked);

    mFormatPanel = new FormatListPanel(mApp, this);
    addDockWidget(Qt::RightDockWidgetArea, mFormatPanel);
    mFormatPanel->hide();
    connect(mFormatPanel, &FormatListPanel::formatChosen, this, [this](const QString& name) { ChooseFormat(name, false); });
    connect(mFormatPanel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) ShowFormatPanel();
    });
    QAction* toggle = mFormatPanel->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mFormatList"));
    if (auto* formatMenu = findChild<QMenu*>(QStringLiteral("mFormat"))) formatMenu->addAction(toggle);
    centralWidget()->installEventFilter(this);
}

void MainWindow::EditElementProperties(int row)
{
    const int kind = mWorkspace.table.KindOf(row);
    QList<int> edited{row};
    for (qint64 id : mDocument.Selection()) {
        const int selected = mWorkspace.table.RowOfId(id);
        if (selected >= 0 && selected != row && mWorkspace.table.KindOf(selected) == kind) edited << selected;
    }
    kestrio::EditElementProperties(mApp, mDocument, row, this);
    // However the window closed, every box it edited shows its content converted by its
    // present data type, as if each had been left.
    for (int box : edited)
        if (!mCanvas->Entry().LeaveBox(box)) break;
}

void MainWindow::ShowFormatPanel()
{
    if (mFormatPanel && mFormatPanel->isVisible()) mFormatPanel->ShowFormats(CurrentFormat());
}

// The frame as the whole window lays it out stays the measure of fonts and line widths (and
// of printing); a docked format list narrows the panes, and the page is fitted again whenever
// the list comes or goes.
void MainWindow::RelayOut()
{
    const QRect place = WidgetPlace::PlaceTwips(*this);
    LayOut(place.width(), place.height());
    // Not hidden rather than visible: the panes are resized while the list is being shown.
    const bool panel = mFormatPanel && !mFormatPanel->isHidden() && !mFormatPanel->isFloating();
    mCanvas->SetReferenceWidth(panel ? mCanvasFrame->width() : 0);
    if (panel) LayOut(std::min(place.width(), WidgetPlace::ToTwipsX(centralWidget()->width())), place.height());
    if (panel == mPanelLaidOut) return;
    mPanelLaidOut = panel;
    PlaceDesignedCanvas();
    ApplyCanvasOptions();
}

} // namespace kestrio
