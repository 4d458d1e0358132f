// The layout operations at their edges: the last box a kind may hold, lines inside a sized or
// copied selection, boxes off one edge only, the edge each align mode takes, the largest
// cell count.
#include "designer/EditorModel.h"
#include "convert/DataTypeCatalog.h"
#include "designer/LayoutEditor.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

// A page of 100 × 50 mm on a canvas of 10 000 × 5 000 twips: 100 twips to the millimetre.
class LayoutEdgesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.Reload([](Workspace& ws) {
            ws.widthText = QStringLiteral("100");
            ws.heightText = QStringLiteral("50");
        });
    }
    int Add(int kind, double x, double y, double w, double h)
    {
        return document.AddElement(kind, QStringLiteral("test"), [&](Element& e) { e.x = x, e.y = y, e.width = w, e.height = h; });
    }
    void Fill(int kind, int count)
    {
        document.Reload([&](Workspace& ws) {
            ws = Workspace();
            ws.widthText = QStringLiteral("100");
            ws.heightText = QStringLiteral("50");
            for (int i = 0; i < count; ++i) ws.table.AddElementRow(kind);
        });
    }
    QList<double> Place(int row) const
    {
        const Element e = document.ElementAt(row);
        return {e.x, e.y, e.width, e.height};
    }

    FormatDocument document;
    LayoutEditor editor{document, CanvasFrame{10000, 5000, 100, 1}};
};

TEST_F(LayoutEdgesTest, AKindHoldsUpTo999AndNotOneMore)
{
    QString error;
    Fill(ElementTable::CheckBox, ElementTable::kMaxPerKind - 1);
    EXPECT_GT(editor.AddElement(ElementTable::CheckBox, 0, 0, &error), 0) << error.toStdString();
    EXPECT_EQ(editor.AddElement(ElementTable::CheckBox, 0, 0, &error), -1);

    Fill(ElementTable::TextBox, ElementTable::kMaxPerKind - 2);
    const int source = document.ElementRows().last();
    EXPECT_FALSE(editor.CopyElements(3, source, &error));
    EXPECT_TRUE(editor.CopyElements(2, source, &error)) << error.toStdString();
    EXPECT_EQ(document.ElementRows().size(), ElementTable::kMaxPerKind);

    // A 3 × 2 table rules 4 + 3 lines.
    Fill(ElementTable::Line, ElementTable::kMaxPerKind - 7);
    EXPECT_TRUE(editor.GenerateTable(10, 10, 70, 40, 3, 2, &error)) << error.toStdString();
    EXPECT_FALSE(editor.GenerateTable(10, 10, 70, 40, 1, 1, &error));
    EXPECT_EQ(error, QStringLiteral("每类输入框最多999个！"));
}

TEST_F(LayoutEdgesTest, LinesKeepTheirShapeWhenSizedAndCopied)
{
    const int box = Add(ElementTable::TextBox, 10, 10, 20, 5);
    const int line = Add(ElementTable::Line, 40, 10, 60, 30);
    editor.SetSelected(box, true);
    editor.SetSelected(line, true);
    editor.SizeSelected(300, 200);
    EXPECT_EQ(Place(box), (QList<double>{10, 10, 23, 7}));
    EXPECT_EQ(Place(line), (QList<double>{40, 10, 60, 30}));

    // A grip moves its own end only.
    editor.SetSelected(box, false);
    editor.MoveSelected(100, 100, -1, LayoutEditor::LineGrip::End1);
    EXPECT_EQ(Place(line), (QList<double>{41, 11, 60, 30}));
    editor.MoveSelected(-100, -100, -1, LayoutEditor::LineGrip::End2);
    EXPECT_EQ(Place(line), (QList<double>{41, 11, 59, 29}));
    editor.MoveSelected(-100, -100, -1, LayoutEditor::LineGrip::End1);
    editor.MoveSelected(100, 100, -1, LayoutEditor::LineGrip::End2);
    ASSERT_TRUE(editor.CopyElements(2, -1, nullptr));
    // Both ends 2 mm further up and left per copy.
    EXPECT_EQ(Place(line + 1), (QList<double>{38, 8, 58, 28}));
    EXPECT_EQ(Place(line + 2), (QList<double>{36, 6, 56, 26}));
}

TEST_F(LayoutEdgesTest, CheckOutsideMovesABoxOnlyAcrossTheEdgesItCrosses)
{
    const struct {
        const char* what;
        QList<double> box, expected;
    } cases[] = {
        {"left", {-1, 20, 10, 5}, {0, 20, 10, 5}},       {"top", {30, -1, 10, 5}, {30, 0, 10, 5}},
        {"right", {95, 20, 10, 5}, {90, 20, 10, 5}},     {"bottom", {30, 48, 10, 5}, {30, 45, 10, 5}},
        {"left and top", {-1, -1, 10, 5}, {0, 3, 10, 5}}, {"inside", {30, 20, 10, 5}, {30, 20, 10, 5}},
    };
    QList<int> rows;
    for (const auto& c : cases) rows << Add(ElementTable::TextBox, c.box[0], c.box[1], c.box[2], c.box[3]);
    SilentProgress progress;
    EXPECT_EQ(editor.CheckOutside(progress), 5);
    for (qsizetype i = 0; i < rows.size(); ++i) EXPECT_EQ(Place(rows[i]), cases[i].expected) << cases[i].what;
}

TEST_F(LayoutEdgesTest, EachAlignModeTakesItsOwnEdge)
{
    const struct {
        int mode;
        double reference;
        QList<double> first, second; // x, y, width, height after aligning
    } cases[] = {
        {LayoutEditor::AlignTop, 5, {10, 5, 20, 5}, {40, 5, 10, 8}},
        {LayoutEditor::AlignLeft, 10, {10, 5, 20, 5}, {10, 12, 10, 8}},
        {LayoutEditor::AlignRight, 50, {30, 5, 20, 5}, {40, 12, 10, 8}},
        {LayoutEditor::AlignBottom, 20, {10, 15, 20, 5}, {40, 12, 10, 8}},
        {LayoutEditor::SameWidth, 20, {10, 5, 20, 5}, {40, 12, 20, 8}},
        {LayoutEditor::SameHeight, 8, {10, 5, 20, 8}, {40, 12, 10, 8}},
    };
    for (const auto& c : cases) {
        SetUp();
        const int first = Add(ElementTable::TextBox, 10, 5, 20, 5);
        const int second = Add(ElementTable::TextBox, 40, 12, 10, 8);
        editor.SetSelected(first, true);
        editor.SetSelected(second, true);
        double mm = -1;
        ASSERT_TRUE(editor.AlignReference(c.mode, &mm));
        EXPECT_EQ(mm, c.reference) << c.mode;
        editor.Align(c.mode, mm);
        EXPECT_EQ(Place(first), c.first) << c.mode;
        EXPECT_EQ(Place(second), c.second) << c.mode;
    }
}

TEST(EditorCells, CountsFrom1To99AreKeptOthersBecome11)
{
    const std::pair<int, int> cases[] = {{1, 1}, {12, 12}, {99, 99}, {100, 11}, {0, 11}, {-5, 11}};
    for (const auto& [typed, kept] : cases) {
        EditorModel model;
        model.SetCells(typed);
        EXPECT_EQ(model.Shown().cells, kept) << typed;
    }
    // The stored code gives the count back at both ends of the range, for every cell code.
    for (int base : {11, 211, 311, 114, 121}) {
        for (int cells : {1, 99}) {
            int readBase = 0, readCells = 0;
            EditorModel::DecodeDataType(DataTypeCatalog::ComposeCode(base, cells), &readBase, &readCells);
            EXPECT_EQ(std::pair(readBase, readCells), std::pair(base, cells)) << base << " with " << cells;
        }
    }
}

} // namespace
} // namespace kestrio
