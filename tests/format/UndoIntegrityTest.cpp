// The edit history stays true to the table: saved IDs reach the steps inside a macro, a merged
// drag redoes to where it ended, and a change that changes nothing is no step.
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

class UndoIntegrityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            for (int i = 0; i < 2; ++i) {
                const int row = ws.table.AddElementRow(ElementTable::TextBox);
                ws.table.SetText(row, ElementTable::ColId, QString::number(100 + row));
                ws.table.SetText(row, ElementTable::ColX, QStringLiteral("10"));
            }
        });
    }
    void MoveTo(int row, double x, int mergeKey)
    {
        Element e = document.ElementAt(row);
        e.x = x;
        document.ChangeElement(row, e, QStringLiteral("移动"), mergeKey);
    }
    double X(int row) const { return document.ElementAt(row).x; }

    FormatDocument document;
};

TEST_F(UndoIntegrityTest, SavedIdsReachTheStepsInsideAMacro)
{
    const int steps = document.UndoStack().count();
    document.UndoStack().beginMacro(QStringLiteral("复制输入框"));
    const int first = document.AddElement(ElementTable::TextBox, QStringLiteral("复制"));
    const int second = document.AddElement(ElementTable::TextBox, QStringLiteral("复制"));
    MoveTo(second, 33, -1);
    document.UndoStack().endMacro();
    ASSERT_EQ(document.UndoStack().count(), steps + 1);

    // The save writes the IDs in place, then the history is told.
    QHash<qint64, qint64> newIds;
    for (int row : {first, second}) {
        newIds.insert(document.Table().Id(row), 500 + row);
        document.Data().table.SetText(row, ElementTable::ColId, QString::number(500 + row));
    }
    document.SavedWithIds(newIds);
    document.UndoStack().undo();
    document.UndoStack().redo();
    EXPECT_EQ(document.Table().Id(first), 500 + first);
    EXPECT_EQ(document.Table().Id(second), 500 + second);
    EXPECT_EQ(X(second), 33);
}

TEST_F(UndoIntegrityTest, AMergedDragRedoesToWhereItEnded)
{
    const int a = ElementTable::kFirstRow, b = a + 1;
    const int steps = document.UndoStack().count();
    for (double x : {11.0, 12.0, 13.0}) MoveTo(a, x, 7);
    MoveTo(b, 20, 7); // a second box joins the same drag
    EXPECT_EQ(document.UndoStack().count(), steps + 1);
    document.UndoStack().undo();
    EXPECT_EQ(X(a), 10);
    EXPECT_EQ(X(b), 10);
    document.UndoStack().redo();
    EXPECT_EQ(X(a), 13);
    EXPECT_EQ(X(b), 20);
    MoveTo(a, 14, 8); // another key: a step of its own
    EXPECT_EQ(document.UndoStack().count(), steps + 2);
}

TEST_F(UndoIntegrityTest, AChangeThatChangesNothingIsNoStep)
{
    const int row = ElementTable::kFirstRow;
    const int steps = document.UndoStack().count();
    document.ChangeElement(row, document.ElementAt(row), QStringLiteral("修改属性"));
    MoveTo(row, 10.0, -1);
    document.ChangeElements({}, QStringLiteral("修改属性"));
    EXPECT_EQ(document.UndoStack().count(), steps);
    EXPECT_FALSE(document.IsModified());
    MoveTo(row, 10.5, -1);
    EXPECT_EQ(document.UndoStack().count(), steps + 1);
    EXPECT_TRUE(document.IsModified());
}

} // namespace
} // namespace kestrio
