// The designer's arrow on the real canvas: a box dragged by its move corner is one undo step.
#include "TestApp.h"
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"
#include "format/FormatStore.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/DesignerCanvasTool.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrio {
namespace {

QList<RowCells> AllRows(const FormatDocument& document)
{
    QList<RowCells> rows;
    for (int row = 0; row < document.Table().RowCount(); ++row) rows << RowCells::Read(document.Table().grid(), row);
    return rows;
}

void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST(DesignerCanvasToolTest, DraggingABoxByItsCornerMovesItAsOneStep)
{
    test::TestApp app;
    ASSERT_TRUE(app.Open());
    FormatDocument document;
    document.Reload([&](Workspace& ws) {
        FormatStore(app.app->DbOp(), app.app->Indicator(), app.app->Screen()).LoadFormat(ws, QStringLiteral("送货单"));
    });
    QWidget host;
    host.resize(1240, 540);
    auto* frame = new QFrame(&host);
    frame->setGeometry(0, 0, 1200, 500);
    auto* canvas = new BillCanvas(*app.app, document, frame);
    auto* tool = new DesignerCanvasTool(document, *canvas);
    canvas->SetTool(tool);
    canvas->FitPage();
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    int row = -1;
    for (int r : document.ElementRows())
        if (document.Table().KindOf(r) == ElementTable::TextBox) row = row < 0 ? r : row;
    ASSERT_GT(row, 0);
    QWidget* box = canvas->Control(canvas->ElementIndexOfRow(row));
    ASSERT_NE(box, nullptr);
    const QList<RowCells> before = AllRows(document);
    const double x = document.ElementAt(row).x;
    const int steps = document.UndoStack().count();

    Send(box, QEvent::MouseMove, {2, 2}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(box->cursor().shape(), Qt::SizeAllCursor);
    Send(box, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
    Send(box, QEvent::MouseMove, {22, 2}, Qt::NoButton, Qt::LeftButton);
    Send(box, QEvent::MouseMove, {22, 2}, Qt::NoButton, Qt::LeftButton);
    Send(box, QEvent::MouseButtonRelease, {22, 2}, Qt::LeftButton, Qt::NoButton);

    EXPECT_GT(document.ElementAt(row).x, x);
    EXPECT_EQ(document.UndoStack().count(), steps + 1);
    document.UndoStack().undo();
    EXPECT_EQ(AllRows(document), before);
}

} // namespace
} // namespace kestrio
