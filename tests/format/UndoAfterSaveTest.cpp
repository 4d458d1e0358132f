// Saving keeps the edit history: the steps are made to name the IDs the save handed out.
#include "TestApp.h"
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"
#include "format/FormatStore.h"
#include "storage/SqlQuote.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

const QString kFormat = QStringLiteral("送货单");

class UndoAfterSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mApp.Open());
        document.Reload([&](Workspace& ws) { Store().LoadFormat(ws, kFormat); });
        ASSERT_FALSE(document.ElementRows().isEmpty());
    }

    FormatStore Store() { return {mApp.app->DbOp(), mApp.progress, mApp.screen}; }
    bool Save()
    {
        return document.Save([this](Workspace& ws) { return Store().SaveFormat(ws); });
    }
    // The element IDs the database holds for the format, in ID order.
    QList<qint64> StoredIds()
    {
        QList<qint64> ids;
        Recordset q = mApp.app->DbOp().OpenQuery(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=") + SqlQuote(kFormat) +
                                                 QStringLiteral(" AND (LBL IS NULL OR LBL<>") + SqlQuote(FormatStore::WholeFormatLabel()) +
                                                 QStringLiteral(") ORDER BY ID"));
        for (; !q.Eof(); q.MoveNext()) ids << q.Value(QStringLiteral("ID")).toLongLong();
        return ids;
    }
    QList<qint64> TableIds() const
    {
        QList<qint64> ids;
        for (int row : document.ElementRows()) ids << document.Table().Id(row);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    test::TestApp mApp;
    FormatDocument document;
};

TEST_F(UndoAfterSaveTest, AnAddedElementIsUndoneAndRedoneWithItsSavedId)
{
    const int rowsBefore = document.Table().RowCount();
    const int row = document.AddElement(ElementTable::TextBox, QStringLiteral("添加"));
    ASSERT_LT(document.Table().Id(row), 0);
    document.SetSelection({document.Table().Id(row)});
    ASSERT_TRUE(Save());
    const qint64 saved = document.Table().Id(row);
    ASSERT_GT(saved, 0);
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.Selection(), QSet<qint64>{saved});

    ASSERT_TRUE(document.UndoStack().canUndo());
    document.UndoStack().undo();
    EXPECT_EQ(document.Table().RowCount(), rowsBefore);
    EXPECT_TRUE(document.IsModified());
    document.UndoStack().redo();
    ASSERT_EQ(document.Table().RowCount(), rowsBefore + 1);
    EXPECT_EQ(document.Table().Id(row), saved);
    // Saved again, the element is the stored row, not a second copy of it.
    ASSERT_TRUE(Save());
    EXPECT_EQ(StoredIds(), TableIds());
}

TEST_F(UndoAfterSaveTest, AReferenceBetweenNewElementsFollowsTheSave)
{
    const int first = document.AddElement(ElementTable::TextBox, QStringLiteral("添加"));
    const qint64 temporary = document.Table().Id(first);
    const int second = document.AddElement(ElementTable::TextBox, QStringLiteral("添加"),
                                           [&](Element& e) { e.relatedTo = static_cast<double>(temporary); });
    ASSERT_TRUE(Save());
    const qint64 saved = document.Table().Id(first);
    ASSERT_GT(saved, 0);
    document.UndoStack().undo();
    document.UndoStack().redo();
    EXPECT_EQ(document.Table().Number(second, ElementTable::ColRCtl), static_cast<double>(saved));
}

TEST_F(UndoAfterSaveTest, AMoveUndoneAfterTheSaveIsStoredByTheNextSave)
{
    const int row = document.ElementRows().first();
    const RowCells original = RowCells::Read(document.Table().grid(), row);
    Element moved = document.ElementAt(row);
    moved.x += 7;
    document.ChangeElement(row, moved, QStringLiteral("移动"));
    ASSERT_TRUE(Save());
    document.UndoStack().undo();
    EXPECT_EQ(RowCells::Read(document.Table().grid(), row), original);
    ASSERT_TRUE(Save());
    FormatDocument reloaded;
    reloaded.Reload([&](Workspace& ws) { Store().LoadFormat(ws, kFormat); });
    EXPECT_EQ(reloaded.ElementAt(row).x, document.ElementAt(row).x);
}

TEST_F(UndoAfterSaveTest, AfterSavingUnderAnotherNameUndoKeepsTheNewFormatsIds)
{
    const int row = document.ElementRows().first();
    const qint64 oldId = document.Table().Id(row);
    Element moved = document.ElementAt(row);
    moved.y += 3;
    document.ChangeElement(row, moved, QStringLiteral("移动"));
    ASSERT_TRUE(document.Save([this](Workspace& ws) {
        return Store().SaveFormatAs(ws, QStringLiteral("送货单二"), mApp.prompter, mApp.Folder(), {}, false);
    }));
    const qint64 newId = document.Table().Id(row);
    ASSERT_NE(newId, oldId);
    document.UndoStack().undo();
    EXPECT_EQ(document.Table().Id(row), newId);
    EXPECT_EQ(document.ElementAt(row).y, moved.y - 3);
}

} // namespace
} // namespace kestrio
