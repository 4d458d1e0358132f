#include "designer/LayoutEditor.h"
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

// A page of 100 × 50 mm on a canvas of 10 000 × 5 000 twips: 100 twips to the millimetre.
class LayoutEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            ws.widthText = QStringLiteral("100");
            ws.heightText = QStringLiteral("50");
        });
    }

    int Add(int kind, double x, double y, double w, double h, const QString& label = {})
    {
        return document.AddElement(kind, QStringLiteral("test"), [&](Element& e) {
            e.x = x, e.y = y, e.width = w, e.height = h, e.label = label, e.fontSize = 9;
        });
    }
    void Select(std::initializer_list<int> rows)
    {
        for (int row : rows) editor.SetSelected(row, true);
    }
    Element At(int row) const { return document.ElementAt(row); }
    QList<RowCells> AllRows() const
    {
        QList<RowCells> rows;
        for (int row = 0; row < document.Table().RowCount(); ++row) rows << RowCells::Read(document.Table().grid(), row);
        return rows;
    }

    FormatDocument document;
    LayoutEditor editor{document, CanvasFrame{10000, 5000, 100, 1}};
};

TEST_F(LayoutEditorTest, MoveAndSizeStepsClampEachBox)
{
    const int a = Add(ElementTable::TextBox, 2, 10, 20, 5);
    const int b = Add(ElementTable::TextBox, 30, 10, 20, 5);
    const int check = Add(ElementTable::CheckBox, 90, 10, 2, 2);
    const int wide = Add(ElementTable::TextBox, 5, 5, 120, 5);
    Select({a, b});
    editor.MoveSelected(-1000, 0);
    EXPECT_EQ(At(a).x, 0); // clamped independently: the spacing changes
    EXPECT_EQ(At(b).x, 20);
    editor.SetSelected(b, false);
    editor.MoveSelected(0, 0, wide); // wider than the canvas: left stays at 0, not negative
    EXPECT_EQ(At(wide).x, 0);
    Select({check});
    editor.SizeSelected(10, 0);
    EXPECT_EQ(At(check).width, 2);
    EXPECT_EQ(At(a).width, 20.1);
    editor.SizeSelected(100000, 0);
    EXPECT_EQ(At(a).width, 100);
    EXPECT_EQ(At(a).height, 5);
}

TEST_F(LayoutEditorTest, FontSizeStepsStopAtOnePoint)
{
    const int row = Add(ElementTable::TextBox, 2, 10, 20, 5);
    Select({row});
    editor.ChangeFontSize(-0.5);
    EXPECT_EQ(At(row).fontSize, 8.5);
    for (int i = 0; i < 30; ++i) editor.ChangeFontSize(-0.5);
    EXPECT_EQ(At(row).fontSize, 1);
}

TEST_F(LayoutEditorTest, CopiesNumberTheirCaptionsAndBecomeTheSelection)
{
    const int source = Add(ElementTable::TextBox, 30, 20, 10, 5, QStringLiteral("No.9"));
    Select({source});
    ASSERT_TRUE(editor.CopyElements(0, -1, nullptr));
    EXPECT_TRUE(document.Selection().isEmpty());
    EXPECT_EQ(document.ElementRows().size(), 1);

    Select({source});
    const QList<RowCells> before = AllRows();
    ASSERT_TRUE(editor.CopyElements(3, -1, nullptr));
    ASSERT_EQ(document.ElementRows().size(), 4);
    for (int j = 1; j <= 3; ++j) {
        const Element copy = At(source + j);
        EXPECT_EQ(copy.label, QStringLiteral("No.%1").arg(9 + j));
        EXPECT_EQ(copy.x, 30 - 2 * j);
        EXPECT_EQ(copy.y, 20 - 2 * j);
        EXPECT_TRUE(editor.IsSelected(source + j));
    }
    EXPECT_FALSE(editor.IsSelected(source));
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(), before);
}

TEST_F(LayoutEditorTest, AlignTakesOnlyTheKindsOfItsMode)
{
    const int text = Add(ElementTable::TextBox, 10, 5, 20, 5);
    const int check = Add(ElementTable::CheckBox, 12, 15, 3, 3);
    const int line = Add(ElementTable::Line, 40, 10, 60, 10);
    double mm = 0;
    EXPECT_FALSE(editor.AlignReference(LayoutEditor::AlignLeft, &mm));
    Select({text, check, line});
    ASSERT_TRUE(editor.AlignReference(LayoutEditor::AlignLeft, &mm));
    EXPECT_EQ(mm, 10);
    const QList<RowCells> before = AllRows();
    editor.Align(LayoutEditor::AlignLeft, mm);
    EXPECT_EQ(At(check).x, 10);
    EXPECT_EQ(At(line).x, 40);
    editor.Align(LayoutEditor::SameWidth, 25);
    EXPECT_EQ(At(text).width, 25);
    EXPECT_EQ(At(check).width, 3);
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(), before);
}

TEST_F(LayoutEditorTest, DeletingAndItsQuestionAndUndo)
{
    for (int i = 0; i < 5; ++i) Add(ElementTable::TextBox, i, 1, 5, 5);
    EXPECT_EQ(LayoutEditor::DeleteRowsQuestion(5, 3), QStringLiteral("您确定要删除第2行至第4行对应的输入框？"));
    const QList<RowCells> before = AllRows();
    editor.DeleteRows(3, 5);
    ASSERT_EQ(document.ElementRows().size(), 2);
    EXPECT_EQ(At(3).x, 4);
    Select({2});
    editor.DeleteSelected(3);
    EXPECT_TRUE(document.ElementRows().isEmpty());
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(), before);
}

TEST_F(LayoutEditorTest, ADragIsOneStepAndUndoesExactly)
{
    const int row = Add(ElementTable::TextBox, 10.123, 10, 20, 5);
    const QList<RowCells> before = AllRows();
    const int steps = document.UndoStack().count();
    for (int i = 0; i < 5; ++i) editor.MoveSelected(13, 13, row, LayoutEditor::LineGrip::Both, 7);
    EXPECT_EQ(document.UndoStack().count(), steps + 1);
    EXPECT_EQ(At(row).width, 20); // the size is not rewritten by a move
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(), before);
}

TEST_F(LayoutEditorTest, CheckOutsidePullsBoxesAndLinesBack)
{
    const int box = Add(ElementTable::TextBox, -0.5, -0.8, 10, 5);
    const int low = Add(ElementTable::Label, 95, 48, 10, 5);
    const int line = Add(ElementTable::Line, -5, 10, 120, 60);
    const int inside = Add(ElementTable::TextBox, 5, 5, 10, 5);
    SilentProgress progress;
    EXPECT_EQ(editor.CheckOutside(progress), 3);
    EXPECT_EQ(At(box).x, 0);
    EXPECT_EQ(At(box).y, 3);
    EXPECT_EQ(At(low).x, 90);
    EXPECT_EQ(At(low).y, 45);
    EXPECT_EQ(At(line).x, 0);
    EXPECT_EQ(At(line).width, 100);
    EXPECT_EQ(At(line).height, 50);
    EXPECT_EQ(At(inside).x, 5);
}

TEST_F(LayoutEditorTest, TablesAndTheLimitsOfAdding)
{
    QString error;
    EXPECT_FALSE(editor.GenerateTable(10, 10, 70, 40, 0, 2, &error));
    EXPECT_EQ(error, QStringLiteral("行数和列数必须大于0！"));
    ASSERT_TRUE(editor.GenerateTable(10, 10, 70, 40, 3, 2, &error));
    const QList<int> rows = document.ElementRows();
    ASSERT_EQ(rows.size(), 7);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(At(rows[i]).y, 10 + 10 * i);
        EXPECT_EQ(At(rows[i]).height, 10 + 10 * i);
        EXPECT_EQ(At(rows[i]).width, 70);
    }
    EXPECT_EQ(At(rows[5]).x, 40);
    EXPECT_EQ(At(rows[5]).height, 40);

    const int added = editor.AddElement(ElementTable::TextBox, 9950, 3000, &error);
    EXPECT_DOUBLE_EQ(At(added).x, 100 - At(added).width); // clamped to the right edge
    EXPECT_EQ(At(added).y, 30);
    document.Reload([](Workspace& ws) {
        for (int i = 0; i < ElementTable::kMaxPerKind; ++i) ws.table.AddElementRow(ElementTable::CheckBox);
    });
    const int count = document.Table().RowCount();
    EXPECT_EQ(editor.AddElement(ElementTable::CheckBox, 0, 0, &error), -1);
    EXPECT_EQ(error, QStringLiteral("每类输入框最多999个！"));
    EXPECT_EQ(document.Table().RowCount(), count);
    EXPECT_GT(editor.AddElement(ElementTable::TextBox, 0, 0, &error), 0);
}

} // namespace
} // namespace kestrio
