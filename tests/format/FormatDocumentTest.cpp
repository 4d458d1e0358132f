#include "format/ElementCommands.h"
#include "format/FormatDocument.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QList<RowCells> AllRows(const FormatDocument& document)
{
    QList<RowCells> rows;
    for (int row = 0; row < document.Table().RowCount(); ++row) rows << RowCells::Read(document.Table().grid(), row);
    return rows;
}

class FormatDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            for (int kind : {ElementTable::TextBox, ElementTable::CheckBox, ElementTable::TextBox}) {
                const int row = ws.table.AddElementRow(kind);
                ws.table.SetText(row, ElementTable::ColLbl, QStringLiteral("框%1").arg(row));
                ws.table.SetText(row, ElementTable::ColX, QStringLiteral("10.50"));
                ws.table.SetText(row, ElementTable::ColL, QStringLiteral("-1003"));
            }
        });
    }

    FormatDocument document;
};

TEST_F(FormatDocumentTest, ElementReadsAndWritesTheTypedColumns)
{
    Element e = document.ElementAt(2);
    EXPECT_EQ(e.label, QStringLiteral("框2"));
    EXPECT_EQ(e.x, 10.5);
    EXPECT_EQ(e.alignment, 1);
    EXPECT_EQ(e.lineSpacing, -3);
    e.alignment = 2;
    e.lineSpacing = 4;
    e.bold = true;
    document.ChangeElement(2, e, QStringLiteral("改"));
    EXPECT_EQ(document.Table().Text(2, ElementTable::ColL), QStringLiteral("2004"));
    EXPECT_EQ(document.Table().Text(2, ElementTable::ColX), QStringLiteral("10.50")); // untouched text kept
    EXPECT_EQ(document.ElementAt(2), e);
}

TEST_F(FormatDocumentTest, EachKindOfChangeIsAnnouncedAndUndoneExactly)
{
    const QList<RowCells> original = AllRows(document);
    QSignalSpy changed(&document, &FormatDocument::elementChanged);
    QSignalSpy added(&document, &FormatDocument::elementAdded);
    QSignalSpy removed(&document, &FormatDocument::elementRemoved);
    QSignalSpy modified(&document, &FormatDocument::modifiedChanged);

    Element moved = document.ElementAt(3);
    moved.x += 5;
    document.ChangeElement(3, moved, QStringLiteral("移动"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(document.IsModified());
    ASSERT_EQ(modified.count(), 1);
    EXPECT_TRUE(modified.at(0).at(0).toBool());

    const int row = document.AddElement(ElementTable::Line, QStringLiteral("添加"), [](Element& e) { e.width = 30; });
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(document.ElementAt(row).width, 30);
    EXPECT_LT(document.ElementAt(row).id, 0);

    document.RemoveRows({2, 4}, QStringLiteral("删除"));
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(document.ElementRows().size(), 2);

    while (document.UndoStack().canUndo()) document.UndoStack().undo();
    EXPECT_EQ(AllRows(document), original);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(FormatDocumentTest, StepsOfOneDragMergeIntoOneUndo)
{
    const RowCells before = RowCells::Read(document.Table().grid(), 2);
    for (int step = 1; step <= 5; ++step) {
        Element e = document.ElementAt(2);
        e.x += 1;
        document.ChangeElement(2, e, QStringLiteral("移动"), 7);
    }
    EXPECT_EQ(document.ElementAt(2).x, 15.5);
    EXPECT_EQ(document.UndoStack().count(), 1);
    document.UndoStack().undo();
    EXPECT_EQ(RowCells::Read(document.Table().grid(), 2), before);
}

TEST_F(FormatDocumentTest, ReloadDropsHistoryAndSelection)
{
    document.SetSelection({document.Table().Id(2)});
    document.RemoveRows({2}, QStringLiteral("删除"));
    EXPECT_TRUE(document.Selection().isEmpty()); // a removed element is no longer selected
    document.SetSelection({document.Table().Id(2)});
    QSignalSpy reset(&document, &FormatDocument::tableReset);
    document.Reload([](Workspace& ws) { ws.table.Clear(); });
    EXPECT_EQ(reset.count(), 1);
    EXPECT_FALSE(document.UndoStack().canUndo());
    EXPECT_TRUE(document.Selection().isEmpty());
}

} // namespace
} // namespace kestrio
