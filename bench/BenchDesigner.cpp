// The designer's steps on large selections: one drag step over 200 boxes, its undo, and the
// check for boxes outside the page over 999 boxes.
#include "designer/LayoutEditor.h"
#include "format/FormatDocument.h"
#include "seams/Progress.h"
#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kestrio;

// A page of 300 × 200 mm on a canvas of 17 000 twips with `count` text boxes, all selected.
struct Layout {
    FormatDocument document;
    LayoutEditor editor{document, CanvasFrame{17000, 17000.0 * 200 / 300, 300, 1}};

    explicit Layout(int count, bool outside)
    {
        document.Reload([count, outside](Workspace& ws) {
            ws.widthText = QStringLiteral("300");
            ws.heightText = QStringLiteral("200");
            for (int i = 0; i < count; ++i) {
                const int row = ws.table.AddElementRow(ElementTable::TextBox);
                Element e = Element::FromRow(ws.table, row);
                e.label = QStringLiteral("框%1").arg(i);
                e.x = outside && i % 2 ? -5 : (i % 20) * 14 + 1;
                e.y = (i / 20) * 4 % 190 + 1;
                e.width = 12;
                e.height = 3;
                e.fontSize = 9;
                e.WriteTo(ws.table, row);
            }
        });
        QSet<qint64> all;
        for (int row : document.ElementRows()) all.insert(document.Table().Id(row));
        document.SetSelection(all);
    }
};

void DragStep200(benchmark::State& state)
{
    Layout layout(200, false);
    int step = 0;
    for (auto _ : state) {
        // Back and forth, so the boxes never reach the edge and every row is written.
        const int dx = (step++ % 2) ? -15 : 15;
        layout.editor.MoveSelected(dx, 15 * (dx > 0 ? 1 : -1), -1, LayoutEditor::LineGrip::Both, 1000);
    }
}
BENCHMARK(DragStep200)->Unit(benchmark::kMillisecond);

void UndoDragStep200(benchmark::State& state)
{
    Layout layout(200, false);
    for (auto _ : state) {
        state.PauseTiming();
        layout.editor.MoveSelected(15, 15);
        state.ResumeTiming();
        layout.document.UndoStack().undo();
    }
}
BENCHMARK(UndoDragStep200)->Unit(benchmark::kMillisecond);

void CheckOutside999(benchmark::State& state)
{
    SilentProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        auto layout = std::make_unique<Layout>(999, true);
        state.ResumeTiming();
        if (layout->editor.CheckOutside(progress) == 0) state.SkipWithError("nothing moved");
        state.PauseTiming();
        layout.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(CheckOutside999)->Unit(benchmark::kMillisecond);

} // namespace

KESTRIO_QT_BENCHMARK_MAIN()
