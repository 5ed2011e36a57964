// Cost of drawing the instrument's editor: a full redraw with every control dirty, and the
// redraw after one step of a knob drag, as the 25-per-second redraw tick does them.

#include "IGraphicsHeadless.h"
#include "Karvelund.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct OpenEditor {
    std::unique_ptr<Karvelund> plug{MakePlug()};
    IGraphicsHeadless& g = *dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
    OpenEditor() { g.DrawDirty(); }
};

void BM_FullRedraw(benchmark::State& state) {
    OpenEditor editor;
    for (auto _ : state) {
        editor.g.SetAllControlsDirty();
        editor.g.DrawDirty();
    }
    state.counters["ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_KnobDragStep(benchmark::State& state) {
    OpenEditor editor;
    IMouseMod left(true);
    const int x = 634, y = 158; // the cutoff knob
    editor.g.OnMouseDown(x, y, &left);
    int step = 1;
    for (auto _ : state) {
        editor.g.OnMouseDrag(x, y - step, &left); // one pixel up, then back down
        editor.g.DrawDirty();
        step = 1 - step;
    }
    editor.g.OnMouseUp(x, y, &left);
    state.counters["ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 1e-3,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KnobDragStep)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
