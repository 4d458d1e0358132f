#include "designer/EditorModel.h"
#include "format/ElementTable.h"
#include "format/FormatDocument.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrio {
namespace {

// Three text boxes with IDs 5, 6, 7 and different fonts, then a check box with ID 8.
class EditorModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            const QStringList fonts{QStringLiteral("宋体"), QStringLiteral("黑体"), QStringLiteral("楷体")};
            for (int i = 0; i < 4; ++i) {
                const int row = ws.table.AddElementRow(i < 3 ? ElementTable::TextBox : ElementTable::CheckBox);
                ws.table.SetText(row, ElementTable::ColId, QString::number(5 + i));
                ws.table.SetText(row, ElementTable::ColLbl, QStringLiteral("框%1").arg(5 + i));
                ws.table.SetText(row, ElementTable::ColFontName, fonts.value(i, fonts[0]));
                ws.table.SetText(row, ElementTable::ColW, QStringLiteral("12"));
            }
        });
        document.SetSelection({5, 6, 7, 8});
    }

    Element Saved(const std::function<void(EditorModel&)>& edit, int row = 2)
    {
        EditorModel model = EditorModel::Load(document, row);
        edit(model);
        QString error;
        EXPECT_TRUE(model.Save(document, &error)) << error.toStdString();
        return document.ElementAt(row);
    }

    FormatDocument document;
};

TEST_F(EditorModelTest, WidthOnlyReachesEverySelectedBoxAndKeepsTheirFonts)
{
    Saved([](EditorModel& m) {
        m.Edit().width = QStringLiteral("30");
        m.MarkChanged(EditorModel::Width);
    });
    for (int row = 2; row < 5; ++row) EXPECT_EQ(document.ElementAt(row).width, 30) << row;
    EXPECT_EQ(document.ElementAt(3).fontName, QStringLiteral("黑体"));
    EXPECT_EQ(document.ElementAt(4).fontName, QStringLiteral("楷体"));
    EXPECT_EQ(document.ElementAt(5).width, 12); // the check box is another kind
    EXPECT_EQ(document.UndoStack().count(), 1);
    document.UndoStack().undo();
    EXPECT_EQ(document.ElementAt(3).width, 12);
}

TEST_F(EditorModelTest, ChangedFontReachesTheOtherSelectedBoxes)
{
    Saved([](EditorModel& m) {
        m.Edit().font.fontName = QStringLiteral("仿宋");
        m.MarkChanged(EditorModel::Font);
    });
    EXPECT_EQ(document.ElementAt(4).fontName, QStringLiteral("仿宋"));
}

TEST_F(EditorModelTest, ColumnsStoredFromTheWindowsChoices)
{
    struct Case {
        const char* what;
        std::function<void(EditorModel&)> edit;
        std::function<double(const Element&)> column;
        double stored;
    };
    const Case cases[] = {
        {"114 with 8", [](EditorModel& m) { m.ChooseDataType(114); m.SetCells(8); }, [](const Element& e) { return e.dataType; }, 114.08},
        {"new 114", [](EditorModel& m) { m.ChooseDataType(114); }, [](const Element& e) { return e.dataType; }, 114.11},
        {"311 with 12", [](EditorModel& m) { m.ChooseDataType(311); m.SetCells(12); }, [](const Element& e) { return e.dataType; }, 312},
        {"011 120 cells", [](EditorModel& m) { m.ChooseDataType(11); m.SetCells(120); }, [](const Element& e) { return e.dataType; }, 11},
        {"103", [](EditorModel& m) { m.ChooseDataType(103); m.SetCells(5); }, [](const Element& e) { return e.dataType; }, 103},
        {"centre 4", [](EditorModel& m) { m.Edit().alignment = 2; m.Edit().lineSpacing = QStringLiteral("4");
                                            m.MarkChanged(EditorModel::Alignment); m.MarkChanged(EditorModel::LineSpacing); },
         [](const Element& e) { return Element::PackAlignment(e.alignment, e.lineSpacing); }, 2004},
        {"right -3", [](EditorModel& m) { m.Edit().alignment = 1; m.Edit().lineSpacing = QStringLiteral("-3");
                                            m.MarkChanged(EditorModel::Alignment); m.MarkChanged(EditorModel::LineSpacing); },
         [](const Element& e) { return Element::PackAlignment(e.alignment, e.lineSpacing); }, -1003},
        {"multiply negated into 7", [](EditorModel& m) { m.Edit().sum[0] = {7, true, true}; m.MarkChanged(EditorModel::Sum1); },
         [](const Element& e) { return e.sumTo; }, -7.1},
        {"negate without a box", [](EditorModel& m) { m.Edit().sum[1] = {0, true, true}; m.MarkChanged(EditorModel::Sum2); },
         [](const Element& e) { return e.sumTo1; }, 0},
        {"related to 5", [](EditorModel& m) { m.Edit().related[0] = {5, true, false}; m.MarkChanged(EditorModel::Related1); },
         [](const Element& e) { return e.relatedTo; }, -5},
        {"same as 6", [](EditorModel& m) { m.Edit().related[1] = {6, false, false}; m.MarkChanged(EditorModel::Related2); },
         [](const Element& e) { return e.relatedTo1; }, 6},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_NEAR(c.column(Saved(c.edit, 3)), c.stored, 1e-9) << c.what;
    }
}

TEST_F(EditorModelTest, StoredColumnsReadBackAsTheWindowShowsThem)
{
    struct Case {
        double cash;
        int baseCode;
        int cells;
    };
    const Case cases[] = {{114.08, 114, 8}, {312, 311, 12}, {212, 211, 12}, {300, 211, 100}, {11, 11, 11},
                          {121.05, 121, 5}, {103, 103, 0}, {0, 0, 0}, {450, 450, 0}};
    for (const Case& c : cases) {
        int baseCode = -1, cells = -1;
        EditorModel::DecodeDataType(c.cash, &baseCode, &cells);
        EXPECT_EQ(baseCode, c.baseCode) << c.cash;
        EXPECT_EQ(cells, c.cells) << c.cash;
    }
    const EditorModel::Relation sum = EditorModel::DecodeSum(-7.1);
    EXPECT_EQ(sum.id, 7);
    EXPECT_TRUE(sum.negative && sum.negate);
}

TEST_F(EditorModelTest, EnablingRulesFollowTheDataType)
{
    EXPECT_TRUE(EditorModel::CellCountEnabled(311));
    EXPECT_FALSE(EditorModel::CellCountEnabled(103));
    EXPECT_TRUE(EditorModel::AlignmentEnabled(211));
    EXPECT_FALSE(EditorModel::AlignmentEnabled(11));
    EXPECT_FALSE(EditorModel::LineSpacingEnabled(114));
    EXPECT_TRUE(EditorModel::CharSpacingEnabled(114));
    EXPECT_FALSE(EditorModel::CharSpacingEnabled(211));
    EXPECT_TRUE(EditorModel::CharSpacingEnabled(0));
}

TEST_F(EditorModelTest, RelationListLeavesOutTheEditedBoxAndOtherKinds)
{
    QList<qint64> ids;
    const QStringList entries = EditorModel::RelationEntries(document, 3, &ids);
    EXPECT_EQ(entries, (QStringList{QStringLiteral("000000｜没有相关联输入框"), QStringLiteral("000005｜框5"),
                                    QStringLiteral("000007｜框7")}));
    EXPECT_EQ(ids, (QList<qint64>{0, 5, 7}));
}

TEST_F(EditorModelTest, CustomEntryShowsItsStoredText)
{
    const QStringList entries = EditorModel::DataTypeEntries([](int code) {
        return code == 119 ? QStringLiteral("YYYY/MM/DD") : QString();
    });
    EXPECT_TRUE(entries.contains(QStringLiteral("119｜自定义日期：YYYY/MM/DD")));
    EXPECT_EQ(entries.first(), QStringLiteral("000｜普通文本"));
    EXPECT_EQ(EditorModel::CustomTypeKey(119), QStringLiteral("自定义类型119"));
}

TEST_F(EditorModelTest, NonNumberIsRefusedAndNothingIsWritten)
{
    EditorModel model = EditorModel::Load(document, 2);
    model.Edit().x = QStringLiteral("40");
    model.MarkChanged(EditorModel::X);
    model.Edit().width = QStringLiteral("3O");
    model.MarkChanged(EditorModel::Width);
    QString error;
    EXPECT_FALSE(model.Save(document, &error));
    EXPECT_EQ(error, QStringLiteral("“宽：”请输入数字！"));
    EXPECT_EQ(document.ElementAt(2).width, 12);
    EXPECT_EQ(document.ElementAt(2).x, 0);
    EXPECT_EQ(document.UndoStack().count(), 0);

    // A window that shows the column under another caption has the refusal name it.
    model.SetFieldCaption(EditorModel::Width, QStringLiteral("终点X："));
    EXPECT_FALSE(model.Save(document, &error));
    EXPECT_EQ(error, QStringLiteral("“终点X：”请输入数字！"));
}

} // namespace
} // namespace kestrio
