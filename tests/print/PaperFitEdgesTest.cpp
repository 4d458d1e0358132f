// Each edge of the paper on its own: a box falls off the edge it crosses and only that one,
// whether an offset, a smaller paper or the printer's margin takes it there.
#include "TestBoxes.h"
#include "format/Workspace.h"
#include "print/PaperFit.h"

#include <gtest/gtest.h>

namespace kestrio {
namespace {

TEST(PaperFitEdges, ABoxFallsOffTheEdgeItCrosses)
{
    // A 240 × 80 mm cheque with a box 1 mm from each edge.
    Workspace ws;
    ws.widthText = QStringLiteral("240");
    ws.heightText = QStringLiteral("80");
    const int left = test::AddTestBox(ws, ElementTable::TextBox, 1, 40, 20, 5);
    const int right = test::AddTestBox(ws, ElementTable::TextBox, 219, 40, 20, 5);
    const int top = test::AddTestBox(ws, ElementTable::TextBox, 100, 1, 20, 5);
    const int bottom = test::AddTestBox(ws, ElementTable::TextBox, 100, 74, 20, 5);
    for (int row : {left, right, top, bottom}) ws.SetBoxText(row, QStringLiteral("内容"));
    const QSizeF cheque(240, 80);
    const struct {
        const char* what;
        QSizeF page;
        double offsetX, offsetY;
        QMarginsF unprintable;
        QList<int> outside;
    } cases[] = {
        {"on its own paper", cheque, 0, 0, {}, {}},
        {"moved left", cheque, -2, 0, {}, {left}},
        {"moved right", cheque, 2, 0, {}, {right}},
        {"moved up", cheque, 0, -2, {}, {top}},
        {"moved down", cheque, 0, 2, {}, {bottom}},
        {"a shorter paper", QSizeF(240, 78), 0, 0, {}, {bottom}},
        {"a narrower paper", QSizeF(238, 80), 0, 0, {}, {right}},
        {"a bottom margin", cheque, 0, 0, QMarginsF(0, 0, 0, 2), {bottom}},
        {"a top margin", cheque, 0, 0, QMarginsF(0, 2, 0, 0), {top}},
        {"a left margin", cheque, 0, 0, QMarginsF(2, 0, 0, 0), {left}},
        {"a right margin", cheque, 0, 0, QMarginsF(0, 0, 2, 0), {right}},
        {"margins the boxes touch", cheque, 0, 0, QMarginsF(1, 1, 1, 1), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaperFit::RowsOutside(ws, c.offsetX, c.offsetY, c.page, c.unprintable), c.outside) << c.what;
}

} // namespace
} // namespace kestrio
