#pragma once

#include "print/PrintDestination.h"

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace kestrio {

class AppContext;
class Workspace;

// The main window's print commands: "打印当前单据", "打印预览" and "打印页边距", and the print
// ticks and offsets kept with the format as soon as they change.
class PrintCommands {
public:
    struct Window {
        QWidget* widget;
        // The box being typed in is left and the option boxes are read into the workspace.
        std::function<void()> syncOptions;
        // Tells the user when no format is open.
        std::function<bool()> hasFormat;
        // The canvas frame's width in twips (fitted font sizes).
        std::function<double()> frameWidthTwips;
        // A bill was stored as history.
        std::function<void()> billStored;
    };

    PrintCommands(AppContext& app, Workspace& ws, Window window);

    // The printer is asked for, the bill printed and kept as history.
    bool PrintCurrentBill();
    // Where printing goes (tests: a recording); by default the printer chosen in the dialog.
    void SetDestinationFactory(std::function<std::unique_ptr<PrintDestination>()> factory);
    void PrintPreview();
    bool RenderPreview(QPrinter& printer);
    void EditMargins();
    void StorePrintSettings();

private:
    std::unique_ptr<PrintDestination> MakeDestination();

    AppContext& mApp;
    Workspace& mWs;
    Window mWindow;
    std::function<std::unique_ptr<PrintDestination>()> mMakeDestination;
};

} // namespace kestrio
