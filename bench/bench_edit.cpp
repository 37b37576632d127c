// Editing the sample's stress screen (2,000+ widgets): what one pointer move of a drag
// costs with the undo history recording it, and what undoing and redoing a step costs.
// Both are to be set against a frame (16 ms): the screen's drawing follows each.

#include "bench_sample_mod.h"
#include "screen/edit_history.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using BenchSample::sample_mod;
using BenchSample::stress_path;

// The last widget built under the root: deep in the tree, like most of them.
Screen::Widget* some_widget(Screen::Widget* root)
{
    Screen::Widget* widget = root;
    while (widget && widget->child_widgets() && !widget->child_widgets()->empty())
        widget = widget->child_widgets()->front();
    return widget;
}

// One drag of many moves, joined into one step per drag as the edit tool does.
void BM_DragMove_Recorded(benchmark::State& state)
{
    Screen::ScreenDocument document(nullptr, sample_mod(), stress_path);
    Screen::Widget* widget = some_widget(document.widgets());
    const float x = widget->x(), y = widget->y();
    Screen::EditRun run(Screen::EditRun::next_id());
    float offset = 0.0f;
    for (auto _ : state) {
        offset += 0.001f;
        widget->set_bounds(x + offset, y, widget->width(), widget->height());
    }
    state.counters["steps"] = static_cast<double>(document.history().size());
}
BENCHMARK(BM_DragMove_Recorded)->Unit(benchmark::kMicrosecond);

// Undo then redo of one move, a full history of 1,000 steps behind it.
void BM_UndoRedo(benchmark::State& state)
{
    Screen::ScreenDocument document(nullptr, sample_mod(), stress_path);
    Screen::Widget* widget = some_widget(document.widgets());
    for (std::size_t i = 0; i < Screen::EditHistory::max_steps; ++i)
        widget->set_bounds(widget->x() + 0.0001f, widget->y(), widget->width(), widget->height());
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.history().undo(document));
        benchmark::DoNotOptimize(document.history().redo(document));
    }
    state.counters["steps"] = static_cast<double>(document.history().size());
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
