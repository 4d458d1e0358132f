#include "designer/ui/LayoutCommands.h"

#include "designer/LayoutEditor.h"
#include "designer/ui/TableGeneratorDialog.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"
#include "seams/Prompter.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>

namespace kestrio {

LayoutCommands::LayoutCommands(FormatDocument& document, Prompter& prompter, Progress& progress,
                               std::function<CanvasFrame()> frame, QWidget* window)
    : QObject(window), mDocument(document), mPrompter(prompter), mProgress(progress), mFrame(std::move(frame)),
      mWindow(window)
{
    mChooseKind = [this](const QString& title, const QStringList& choices) -> std::optional<int> {
        bool ok = false;
        const QString chosen = QInputDialog::getItem(mWindow, title, title, choices, 0, false, &ok);
        if (!ok || !choices.contains(chosen)) return std::nullopt;
        return static_cast<int>(choices.indexOf(chosen));
    };
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

QString LayoutCommands::KindChoiceTitle()
{
    return QStringLiteral("请选择要添加的输入框类型");
}

QStringList LayoutCommands::KindChoices()
{
    return {QStringLiteral("0｜文本框"), QStringLiteral("1｜可选框"), QStringLiteral("2｜图像框"), QStringLiteral("3｜线条"),
            QStringLiteral("4｜标签")};
}

int LayoutCommands::AddElementAt(int x, int y)
{
    const QStringList choices = KindChoices();
    const std::optional<int> chosen = mChooseKind(KindChoiceTitle(), choices);
    if (!chosen || *chosen < 0 || *chosen >= choices.size()) return -1;
    // The number before "｜" is the kind.
    const int kind = choices.at(*chosen).section(QChar(0xFF5C), 0, 0).toInt();
    QString error;
    const int row = LayoutEditor(mDocument, mFrame()).AddElement(kind, x, y, &error);
    if (row < 0) mPrompter.Message(error, Prompter::Icon::Warning);
    return row;
}

void LayoutCommands::CopyElements(int currentRow)
{
    const auto answer = mPrompter.Input(QStringLiteral("请输入要复制输入框个数："), QStringLiteral("1"));
    if (!answer) return;
    // Text that is no number copies nothing.
    const int times = answer->trimmed().toInt();
    QString error;
    if (!LayoutEditor(mDocument, mFrame()).CopyElements(times, currentRow, &error))
        mPrompter.Message(error, Prompter::Icon::Warning);
}

void LayoutCommands::DeleteSelected(int currentRow)
{
    if (!mPrompter.Ask(QStringLiteral("您确定要删除选定的输入框和当前输入框？"))) return;
    LayoutEditor(mDocument, mFrame()).DeleteSelected(currentRow);
}

bool LayoutCommands::DeleteRows(int first, int last)
{
    if (mDocument.ElementRows().isEmpty()) return false;
    if (!mPrompter.Ask(LayoutEditor::DeleteRowsQuestion(first, last))) return false;
    const int step = mDocument.UndoStack().index();
    LayoutEditor(mDocument, mFrame()).DeleteRows(first, last);
    return mDocument.UndoStack().index() != step;
}

} // namespace kestrio
