// The canvas by hand: what it shows is what prints, and every kind of box is dragged by its
// body and sized by the handles of its selection frame, through the real event routing.
#include "TestApp.h"
#include "format/DemoFormats.h"
#include "format/ElementCommands.h"
#include "format/FormatDocument.h"
#include "format/FormatStore.h"
#include "print/BillRenderer.h"
#include "print/PainterSurface.h"
#include "startup/EditFormatCommand.h"
#include "workbench/ui/BillCanvas.h"
#include "workbench/ui/DesignerCanvasTool.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace kestrio {
namespace {

constexpr int kFrameWidth = 1200;
const QString kHandMade = QStringLiteral("手工存款单");

// A format laid out with the layout command: every kind, a tall text box, amount cells and a
// generated table of lines.
bool MakeHandMadeFormat(AppContext& app)
{
    QStringList args{kHandMade};
    args << QStringLiteral(
                "--page 190,90"
                " --add text --label 户名 --at 12,8 --size 60,6"
                " --add text --label 摘要 --at 12,18 --size 50,22"
                " --add text --label 金额 --at 100,8 --size 66,7 --set-box 金额 type=011 cells=11"
                " --add check --label 现金 --at 100,20"
                " --add picture --label 图章 --at 140,40 --size 30,20"
                " --add label --label 存款凭条 --at 80,30 --size 40,8"
                " --table 10,50,120,80,3,2")
                .split(u' ');
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    return EditFormatCommand::Run(app, args, outStream, errStream) == 0;
}

// A text as long as it takes to break a few times in its box.
QString SampleText(const Workspace& ws, int row)
{
    const int code = static_cast<int>(ws.table.Number(row, ElementTable::ColCash));
    if (BillRenderer::AmountCellCount(code) > 0 || code == 104 || code == 105) return QStringLiteral("1234.56");
    QString text;
    const double width = ws.table.Number(row, ElementTable::ColW);
    while (text.size() < width / 2) text += QStringLiteral("单据样本Ab12");
    return text;
}

class CanvasByHandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mTest.Open());
        ASSERT_TRUE(MakeHandMadeFormat(*mTest.app));
    }

    BillCanvas& Show(const QString& name)
    {
        AppContext& app = *mTest.app;
        mDocument.Reload([&](Workspace& ws) { FormatStore(app.DbOp(), app.Indicator(), app.Screen()).LoadFormat(ws, name); });
        mHost = std::make_unique<QWidget>();
        mHost->resize(kFrameWidth + 40, 700);
        auto* frame = new QFrame(mHost.get());
        frame->setGeometry(0, 0, kFrameWidth, 660);
        mCanvas = new BillCanvas(app, mDocument, frame);
        mCanvas->SetTool(new DesignerCanvasTool(mDocument, *mCanvas));
        mCanvas->FitPage();
        mHost->show();
        QApplication::setActiveWindow(mHost.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(mHost.get()));
        return *mCanvas;
    }

    int Row(const QString& label) const
    {
        for (int row : mDocument.ElementRows())
            if (mDocument.Table().Text(row, ElementTable::ColLbl) == label) return row;
        return -1;
    }
    int FirstOfKind(int kind) const
    {
        for (int row : mDocument.ElementRows())
            if (mDocument.Table().KindOf(row) == kind) return row;
        return -1;
    }
    QWidget* Control(int row) const { return mCanvas->Control(mCanvas->ElementIndexOfRow(row)); }
    QList<RowCells> AllRows() const
    {
        QList<RowCells> rows;
        for (int row = 0; row < mDocument.Table().RowCount(); ++row) rows << RowCells::Read(mDocument.Table().grid(), row);
        return rows;
    }
    // A left drag through the window system, so the events go wherever the toolkit sends them.
    void DragOnScreen(QPoint from, QPoint to)
    {
        QWindow* window = mHost->windowHandle();
        const QPoint a = mCanvas->mapTo(mHost.get(), from), b = mCanvas->mapTo(mHost.get(), to);
        QTest::mouseMove(window, a);
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, a);
        for (int step = 1; step <= 4; ++step) QTest::mouseMove(window, a + (b - a) * step / 4);
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, b);
        QApplication::processEvents();
    }

    test::TestApp mTest;
    FormatDocument mDocument;
    std::unique_ptr<QWidget> mHost;
    BillCanvas* mCanvas = nullptr;
};

// ---------------------------------------------------------------------------------------
// What the canvas shows is what prints

// The bounding box of the ink (anything not white) inside `region`; empty when there is none.
QRect InkIn(const QImage& image, const QRect& region)
{
    QRect ink;
    const QRect area = region & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = line[x];
            if (std::min({qRed(p), qGreen(p), qBlue(p)}) < 235) ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

TEST_F(CanvasByHandTest, TheCanvasAtFitShowsEveryTextAndLineWhereThePaperHasIt)
{
    QStringList formats = DemoFormats::Names();
    formats << kHandMade;
    for (const QString& name : formats) {
        SCOPED_TRACE(name.toStdString());
        BillCanvas& canvas = Show(name);
        Workspace& ws = mDocument.Data();
        canvas.setFocus(); // no box is being typed in
        QApplication::processEvents();

        // The bill through the print surface at a printer's resolution, brought to the canvas's.
        const double dpi = 600;
        QImage paper(static_cast<int>(std::ceil(ws.Width() / 25.4 * dpi)), static_cast<int>(std::ceil(ws.Height() / 25.4 * dpi)),
                     QImage::Format_ARGB32);
        paper.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
        paper.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
        paper.fill(Qt::white);
        {
            auto surface = PainterSurface::ForImage(paper);
            BillRenderer::Environment env{mTest.app->Screen(), canvas.ReferenceWidth() * 15.0, Barcode::Standard::Code39,
                                          QImage(), nullptr, {}};
            // Tick boxes and pictures are controls of their own on the canvas.
            env.drawsRow = [&ws](int row) {
                return ws.table.KindOf(row) != ElementTable::CheckBox && ws.table.KindOf(row) != ElementTable::PictureBox;
            };
            BillRenderer renderer(*surface, env);
            // Texts that break in their boxes and end inside them, so no box's text lies in
            // its neighbour's place.
            for (int row : mDocument.ElementRows())
                if (ws.table.KindOf(row) == ElementTable::TextBox) ws.SetBoxText(row, SampleText(ws, row));
            for (QList<int> over = renderer.OverflowingRows(ws); !over.isEmpty(); over = renderer.OverflowingRows(ws))
                for (int row : over) ws.SetBoxText(row, ws.BoxText(row).chopped(1));
            ASSERT_TRUE(renderer.RenderBill(ws, 0, 0));
            ASSERT_TRUE(surface->endDocument());
        }
        canvas.RefreshFromWorkspace();
        canvas.SetShowFrames(false);

        // The canvas as it paints itself (its ink layer over the controls).
        QImage screen(canvas.size(), QImage::Format_ARGB32);
        screen.fill(Qt::white);
        QWidget* ink = canvas.findChild<QWidget*>(QStringLiteral("PG_ink"));
        ASSERT_NE(ink, nullptr);
        ink->render(&screen, QPoint(), QRegion(), QWidget::DrawChildren);

        const QImage printed = paper.scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (qEnvironmentVariableIsSet("KESTRIO_INK_DUMP")) {
            screen.save(QStringLiteral("/tmp/ink_screen_%1.png").arg(name));
            printed.save(QStringLiteral("/tmp/ink_paper_%1.png").arg(name));
        }

        const double k = canvas.Scale(); // pixels per millimetre
        const int tolerance = static_cast<int>(std::floor(0.5 * k));
        int compared = 0;
        for (int row : mDocument.ElementRows()) {
            const int kind = ws.table.KindOf(row);
            if (kind == ElementTable::CheckBox || kind == ElementTable::PictureBox) continue;
            const double x = ws.table.Number(row, ElementTable::ColX), y = ws.table.Number(row, ElementTable::ColY);
            const double w = ws.table.Number(row, ElementTable::ColW), h = ws.table.Number(row, ElementTable::ColH);
            const QRectF mm = kind == ElementTable::Line ? QRectF(QPointF(x, y), QPointF(w, h)).normalized() : QRectF(x, y, w, h);
            const QRect region = QRectF(mm.x() * k, mm.y() * k, mm.width() * k, mm.height() * k)
                                     .toAlignedRect()
                                     .adjusted(-2 * tolerance, -2 * tolerance, 2 * tolerance, 2 * tolerance);
            const QRect onScreen = InkIn(screen, region), onPaper = InkIn(printed, region);
            const std::string what = ws.table.Text(row, ElementTable::ColLbl).toStdString();
            ASSERT_EQ(onScreen.isEmpty(), onPaper.isEmpty()) << what;
            if (onScreen.isEmpty()) continue;
            ++compared;
            EXPECT_NEAR(onScreen.left(), onPaper.left(), tolerance) << what;
            EXPECT_NEAR(onScreen.right(), onPaper.right(), tolerance) << what;
            EXPECT_NEAR(onScreen.top(), onPaper.top(), tolerance) << what;
            EXPECT_NEAR(onScreen.bottom(), onPaper.bottom(), tolerance) << what;
        }
        EXPECT_GT(compared, 3);
        // And nothing anywhere else: the whole page has its ink in the same place.
        const QRect all = InkIn(screen, screen.rect()), allPrinted = InkIn(printed, printed.rect());
        EXPECT_NEAR(all.left(), allPrinted.left(), tolerance);
        EXPECT_NEAR(all.right(), allPrinted.right(), tolerance);
        EXPECT_NEAR(all.top(), allPrinted.top(), tolerance);
        EXPECT_NEAR(all.bottom(), allPrinted.bottom(), tolerance);
        // A box's own text does not show beside the ink, except while it is typed in.
        for (int row : mDocument.ElementRows())
            if (auto* edit = qobject_cast<QLineEdit*>(Control(row)))
                EXPECT_EQ(edit->palette().color(QPalette::Text).alpha(), 0);
    }
}

TEST_F(CanvasByHandTest, NewLinesAndTableLinesAreSolid)
{
    Show(kHandMade);
    int lines = 0;
    for (int row : mDocument.ElementRows()) {
        if (mDocument.Table().KindOf(row) != ElementTable::Line) continue;
        ++lines;
        EXPECT_EQ(mDocument.Table().Number(row, ElementTable::ColCash), 1);
    }
    EXPECT_EQ(lines, 7);
}

// ---------------------------------------------------------------------------------------
// Grab and size any box

TEST_F(CanvasByHandTest, EveryKindIsDraggedByItsBodyAndSizedByAHandle)
{
    BillCanvas& canvas = Show(kHandMade);
    struct Case {
        const char* what;
        int row;
        bool sized;
    };
    const Case cases[] = {
        {"one-line text", Row(QStringLiteral("户名")), true},
        {"many-line text", Row(QStringLiteral("摘要")), true},
        {"check box", Row(QStringLiteral("现金")), false},
        {"picture", Row(QStringLiteral("图章")), true},
        {"label", Row(QStringLiteral("存款凭条")), true},
        {"line", FirstOfKind(ElementTable::Line), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GT(c.row, 0);
        const bool line = mDocument.Table().KindOf(c.row) == ElementTable::Line;
        mDocument.SetSelection({});
        const QList<RowCells> before = AllRows();
        const Element start = mDocument.ElementAt(c.row);
        const int steps = mDocument.UndoStack().index();

        // By the body: the middle of the box, or a point a third along the line.
        QPoint body;
        if (line) {
            body = QPoint(canvas.ToPixels(start.x + (start.width - start.x) / 3), canvas.ToPixels(start.y + (start.height - start.y) / 3));
        } else {
            body = Control(c.row)->geometry().center();
        }
        DragOnScreen(body, body + QPoint(40, 24));
        const Element moved = mDocument.ElementAt(c.row);
        EXPECT_GT(moved.x, start.x + 5);
        EXPECT_GT(moved.y, start.y + 3);
        if (!line) EXPECT_EQ(moved.width, start.width);
        EXPECT_EQ(mDocument.UndoStack().index(), steps + 1);
        EXPECT_TRUE(mDocument.Selection().contains(mDocument.Table().Id(c.row)));

        if (c.sized) {
            // By the right-hand handle of the frame (a line: its second end).
            QPoint handle;
            if (line) handle = QPoint(canvas.ToPixels(moved.width), canvas.ToPixels(moved.height));
            else handle = QPoint(Control(c.row)->geometry().left() + Control(c.row)->width(), Control(c.row)->geometry().center().y());
            DragOnScreen(handle, handle + QPoint(30, line ? 20 : 0));
            const Element sized = mDocument.ElementAt(c.row);
            if (line) {
                EXPECT_EQ(sized.x, moved.x);
                EXPECT_GT(sized.width, moved.width + 4);
                EXPECT_GT(sized.height, moved.height + 2);
            } else {
                EXPECT_EQ(sized.x, moved.x);
                EXPECT_EQ(sized.height, moved.height);
                EXPECT_GT(sized.width, moved.width + 4);
            }
            EXPECT_EQ(mDocument.UndoStack().index(), steps + 2);
            mDocument.UndoStack().undo();
        }
        mDocument.UndoStack().undo();
        EXPECT_EQ(AllRows(), before);
    }
}

TEST_F(CanvasByHandTest, PressingAnotherBoxSelectsOnlyIt)
{
    Show(kHandMade);
    const int first = Row(QStringLiteral("户名")), second = Row(QStringLiteral("摘要"));
    const int line = FirstOfKind(ElementTable::Line);
    const auto id = [this](int row) { return mDocument.Table().Id(row); };
    QWindow* window = mHost->windowHandle();
    QWidget* host = mHost.get();
    QTest::mouseClick(window, Qt::LeftButton, Qt::ControlModifier, Control(first)->mapTo(host, QPoint(30, 3)));
    ASSERT_EQ(mDocument.Selection(), QSet<qint64>{id(first)});

    // Sizing the other box by its size corner sizes that one only.
    const Element firstBefore = mDocument.ElementAt(first), secondBefore = mDocument.ElementAt(second);
    const QRect box = Control(second)->geometry();
    DragOnScreen(box.bottomRight() - QPoint(2, 2), box.bottomRight() + QPoint(20, 10));
    EXPECT_EQ(mDocument.Selection(), QSet<qint64>{id(second)});
    EXPECT_GT(mDocument.ElementAt(second).width, secondBefore.width);
    EXPECT_EQ(mDocument.ElementAt(first), firstBefore);

    // A press on a line leaves it the only one selected.
    const Element l = mDocument.ElementAt(line);
    const QPoint onLine(mCanvas->ToPixels((l.x + l.width) / 2), mCanvas->ToPixels((l.y + l.height) / 2));
    QTest::mouseMove(window, mCanvas->mapTo(host, onLine));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, mCanvas->mapTo(host, onLine));
    EXPECT_EQ(mDocument.Selection(), QSet<qint64>{id(line)});
}

TEST_F(CanvasByHandTest, ASelectedTextBoxStaysGreyAfterAnArrowKeyAndAPropertyEdit)
{
    BillCanvas& canvas = Show(kHandMade);
    const int row = Row(QStringLiteral("户名"));
    mDocument.SetSelection({mDocument.Table().Id(row)});
    QApplication::processEvents();
    const int index = canvas.ElementIndexOfRow(row);
    ASSERT_EQ(canvas.BoxBackground(index), BillCanvas::kSelectedBackground);
    const double x = mDocument.ElementAt(row).x;
    canvas.setFocus();
    QTest::keyClick(&canvas, Qt::Key_Right);
    QApplication::processEvents();
    EXPECT_GT(mDocument.ElementAt(row).x, x);
    EXPECT_EQ(canvas.BoxBackground(index), BillCanvas::kSelectedBackground);
    Element e = mDocument.ElementAt(row);
    e.fontSize += 1;
    mDocument.ChangeElement(row, e, QStringLiteral("属性"));
    QApplication::processEvents();
    EXPECT_EQ(canvas.BoxBackground(index), BillCanvas::kSelectedBackground);
}

TEST_F(CanvasByHandTest, ASelectedLineIsGreyWithAHandleAtEachEnd)
{
    BillCanvas& canvas = Show(kHandMade);
    const int line = FirstOfKind(ElementTable::Line);
    const Element l = mDocument.ElementAt(line);
    const QPoint end1(canvas.ToPixels(l.x), canvas.ToPixels(l.y)), end2(canvas.ToPixels(l.width), canvas.ToPixels(l.height));
    const QPoint middle = (end1 + end2) / 2;
    const auto paint = [&canvas] {
        QImage image(canvas.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        canvas.PaintInk(image, true);
        return image;
    };
    // The darkest pixel across the line's middle (a horizontal line of the table).
    const auto across = [&middle](const QImage& image) {
        QColor darkest(Qt::white);
        for (int dy = -2; dy <= 2; ++dy) {
            const QColor c = image.pixelColor(middle + QPoint(0, dy));
            if (c.lightness() < darkest.lightness()) darkest = c;
        }
        return darkest;
    };
    EXPECT_EQ(across(paint()), QColor(Qt::black));
    mDocument.SetSelection({mDocument.Table().Id(line)});
    const QImage selected = paint();
    EXPECT_EQ(across(selected), QColor(0xD0, 0xD0, 0xD0));
    // A handle: white inside, framed, over each end.
    for (const QPoint& end : {end1, end2}) {
        EXPECT_EQ(selected.pixelColor(end), QColor(Qt::white));
        EXPECT_NE(InkIn(selected, QRect(end - QPoint(5, 5), QSize(11, 11))), QRect());
    }
}

} // namespace
} // namespace kestrio
