// The designer's asking commands: each question answered both ways, each change one undo step.
#include "ScriptedPrompter.h"
#include "designer/ui/LayoutCommands.h"
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

// A page of 100 × 50 mm on a canvas of 10 000 × 5 000 twips, with five text boxes.
class LayoutCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            ws.widthText = QStringLiteral("100");
            ws.heightText = QStringLiteral("50");
            for (int i = 0; i < 5; ++i) {
                const int row = ws.table.AddElementRow(ElementTable::TextBox);
                ws.table.SetText(row, ElementTable::ColLbl, QStringLiteral("No.%1").arg(i + 1));
                ws.table.SetText(row, ElementTable::ColX, QStringLiteral("50"));
                ws.table.SetText(row, ElementTable::ColY, QStringLiteral("%1").arg(10 + 5 * i));
                ws.table.SetText(row, ElementTable::ColW, QStringLiteral("10"));
                ws.table.SetText(row, ElementTable::ColH, QStringLiteral("4"));
            }
        });
        commands.SetKindChooser([this](const QString& title, const QStringList& choices) {
            chooserTitle = title;
            chooserChoices = choices;
            return chosenKind;
        });
    }
    QList<RowCells> AllRows() const
    {
        QList<RowCells> rows;
        for (int row = 0; row < document.Table().RowCount(); ++row) rows << RowCells::Read(document.Table().grid(), row);
        return rows;
    }

    FormatDocument document;
    ScriptedPrompter prompter;
    SilentProgress progress;
    LayoutCommands commands{document, prompter, progress, [] { return CanvasFrame{10000, 5000, 100, 1}; }, nullptr};
    std::optional<int> chosenKind;
    QString chooserTitle;
    QStringList chooserChoices;
};

TEST_F(LayoutCommandsTest, DeletingRowsAsksAboutTheRowsAsNumberedAndIsOneStep)
{
    const QList<RowCells> before = AllRows();
    struct Case { bool answer; int rowsLeft; };
    for (const Case c : {Case{false, 5}, Case{true, 2}}) {
        prompter.shown.clear();
        prompter.QueueAsk(c.answer);
        EXPECT_EQ(commands.DeleteRows(5, 3), c.answer);
        EXPECT_EQ(prompter.shown, QStringList{QStringLiteral("您确定要删除第2行至第4行对应的输入框？")});
        EXPECT_EQ(document.ElementRows().size(), c.rowsLeft);
    }
    EXPECT_EQ(document.ElementAt(3).label, QStringLiteral("No.5"));
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(), before);
}

TEST_F(LayoutCommandsTest, AddingAtThePointTakesTheChosenKindAndCancelChangesNothing)
{
    const int rows = document.Table().RowCount();
    EXPECT_EQ(commands.AddElementAt(3000, 2000), -1); // cancelled
    EXPECT_EQ(chooserTitle, QStringLiteral("请选择要添加的输入框类型"));
    ASSERT_EQ(chooserChoices.size(), 5);
    EXPECT_EQ(chooserChoices.first(), QStringLiteral("0｜文本框"));
    EXPECT_EQ(chooserChoices.last(), QStringLiteral("4｜标签"));
    EXPECT_EQ(document.Table().RowCount(), rows);
    EXPECT_FALSE(document.UndoStack().canUndo());

    chosenKind = 4;
    const int row = commands.AddElementAt(3000, 2000);
    ASSERT_EQ(row, rows);
    EXPECT_EQ(document.Table().KindOf(row), ElementTable::Label);
    EXPECT_EQ(document.ElementAt(row).x, 30);
    EXPECT_EQ(document.ElementAt(row).y, 20);
    document.UndoStack().undo();
    EXPECT_EQ(document.Table().RowCount(), rows);
}

TEST_F(LayoutCommandsTest, CopyingAsksForTheCount)
{
    struct Case { std::optional<QString> answer; int added; };
    const Case cases[] = {{std::nullopt, 0}, {QStringLiteral("两个"), 0}, {QStringLiteral(" 2 "), 2}};
    for (const Case& c : cases) {
        const int rows = document.Table().RowCount();
        prompter.presets.clear();
        prompter.QueueInput(c.answer);
        commands.CopyElements(2);
        EXPECT_EQ(prompter.presets, QStringList{QStringLiteral("1")});
        EXPECT_EQ(document.Table().RowCount(), rows + c.added);
    }
    EXPECT_EQ(document.ElementAt(document.Table().RowCount() - 1).label, QStringLiteral("No.3"));
    document.UndoStack().undo(); // both copies are one step
    EXPECT_EQ(document.ElementRows().size(), 5);
}

} // namespace
} // namespace kestrio
