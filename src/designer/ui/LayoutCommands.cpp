#include "designer/ui/LayoutCommands.h"

#include "designer/LayoutEditor.h"
#include "designer/ui/TableGeneratorDialog.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QAction>
#include <QMenu>

namespace kestrio {

LayoutCommands::LayoutCommands(FormatDocument& document, Prompter& prompter, Progress& progress,
                               std::function<CanvasFrame()> frame, QWidget* window)
    : QObject(window), mDocument(document), mPrompter(prompter), mProgress(progress), mFrame(std::move(frame)),
      mWindow(window)
{
}

void LayoutCommands::AddUndoItems(QMenu* menu)
{
    QAction* undo = mDocument.UndoStack().createUndoAction(menu, QStringLiteral("撤销"));
    undo->setObjectName(QStringLiteral("mUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = mDocument.UndoStack().createRedoAction(menu, QStringLiteral("重做"));
    redo->setObjectName(QStringLiteral("mRedo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    menu->addAction(undo);
    menu->addAction(redo);
}

bool LayoutCommands::AskValue(int mode, double* mm)
{
    LayoutEditor editor(mDocument, mFrame());
    if (!editor.AlignReference(mode, mm)) {
        mPrompter.Message(QStringLiteral("请先选定多个输入框，再操作此功能！"), Prompter::Icon::Information);
        return false;
    }
    const auto answer = mPrompter.Input(QStringLiteral("请输入设定值(毫米)："), QString::number(*mm));
    if (!answer || answer->trimmed().isEmpty()) return false;
    // Text that is no number counts as 0 mm.
    *mm = answer->trimmed().toDouble();
    return true;
}

void LayoutCommands::Align(int mode)
{
    double mm = 0;
    if (AskValue(mode, &mm)) LayoutEditor(mDocument, mFrame()).Align(mode, mm);
}

// Both values are asked first, so that a cancelled second question leaves nothing half done.
void LayoutCommands::SameSize()
{
    double height = 0, width = 0;
    if (!AskValue(LayoutEditor::SameHeight, &height) || !AskValue(LayoutEditor::SameWidth, &width)) return;
    LayoutEditor editor(mDocument, mFrame());
    mDocument.UndoStack().beginMacro(QStringLiteral("统一尺寸"));
    editor.Align(LayoutEditor::SameHeight, height);
    editor.Align(LayoutEditor::SameWidth, width);
    mDocument.UndoStack().endMacro();
}

void LayoutCommands::CheckOutside()
{
    LayoutEditor(mDocument, mFrame()).CheckOutside(mProgress);
}

void LayoutCommands::GenerateTable()
{
    TableGeneratorDialog window(
        mPrompter,
        [this](const TableGeneratorDialog::Table& t) {
            QString error;
            LayoutEditor(mDocument, mFrame()).GenerateTable(t.x0, t.y0, t.x1, t.y1, t.rows, t.cols, &error);
            return error;
        },
        mWindow);
    window.exec();
}

} // namespace kestrio
