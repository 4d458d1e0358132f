#pragma once

#include "designer/CanvasFrame.h"

#include <QObject>

#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace kestrio {

class FormatDocument;
class Progress;
class Prompter;

// The designer's menu commands on the open format: undo and redo, align and same size,
// "检查凭据外内容框" and "生成表格", and those of the context menus and the element table
// page: adding a box of a chosen kind, copying, deleting. Each asks its question first and
// is then one undo step. The canvas frame comes from the window each time, since the scale
// follows the canvas width.
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

    // The kinds offered when adding ("0｜文本框" … "4｜标签") under their title.
    static QString KindChoiceTitle();
    static QStringList KindChoices();
    // Asks for one of the choices; its index, or nullopt when cancelled. By default a list
    // window over the main window.
    using KindChooser = std::function<std::optional<int>(const QString& title, const QStringList& choices)>;
    void SetKindChooser(KindChooser chooser) { mChooseKind = std::move(chooser); }
    // A box of the kind the user chooses at the canvas point (x, y); its row, or −1 when
    // cancelled or refused (the reason was shown).
    int AddElementAt(int x, int y);
    // Asks how many copies of the selection and the element in `currentRow` to make.
    void CopyElements(int currentRow);
    // Asks, then removes the selection and the element in `currentRow`.
    void DeleteSelected(int currentRow);
    // Asks about element-table rows `first` … `last` (either order), then removes them; false
    // when nothing was removed.
    bool DeleteRows(int first, int last);

private:
    bool AskValue(int mode, double* mm);

    FormatDocument& mDocument;
    Prompter& mPrompter;
    Progress& mProgress;
    std::function<CanvasFrame()> mFrame;
    QWidget* mWindow;
    KindChooser mChooseKind;
};

} // namespace kestrio
