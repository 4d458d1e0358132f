#pragma once

#include "designer/CanvasFrame.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace kestrio {

class FormatDocument;
class Progress;
class Prompter;

// The designer's menu commands on the open format: undo and redo, align and same size,
// "检查凭据外内容框" and "生成表格". The canvas frame comes from the window each time, since
// the scale follows the canvas width.
class LayoutCommands final : public QObject {
    Q_OBJECT

public:
    LayoutCommands(FormatDocument& document, Prompter& prompter, Progress& progress,
                   std::function<CanvasFrame()> frame, QWidget* window);

    // "撤销" and "重做" with the name of their step, Ctrl+Z and Ctrl+Y (and Ctrl+Shift+Z).
    void AddUndoItems(QMenu* menu);
    // Modes as LayoutEditor::AlignMode; asks for the value in millimetres.
    void Align(int mode);
    // Same height, then same width, as one step.
    void SameSize();
    void CheckOutside();
    void GenerateTable();

private:
    bool AskValue(int mode, double* mm);

    FormatDocument& mDocument;
    Prompter& mPrompter;
    Progress& mProgress;
    std::function<CanvasFrame()> mFrame;
    QWidget* mWindow;
};

} // namespace kestrio
