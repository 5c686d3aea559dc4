// The running program, slider at 1 ms: ticks per second with the Values
// window closed and open, at 1,000 and 10,000 bowls in a 1920 x 1080
// drawing area (the table and the diagram are brought up to date at most
// once per screen refresh). And the cost of one such refresh on its own,
// whole and by part: the state taken from the engine, the visible rows
// painted, the diagram painted; at 1,000 and 32,767 bowls.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QTableView>

#include "appstate.h"
#include "common.h"
#include "playfor.h"
#include "main/drawingarea.h"
#include "main/f_main.h"
#include "prompt.h"
#include "values/f_values.h"
#include "values/momentadiagram.h"

using namespace vintrop;

namespace {

void BM_TicksWithValues(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool open = state.range(1) != 0;
    Prompt::StartScripting();
    F_MAIN window;
    // A 1920 x 1080 drawing area, as the running program's own benchmark has.
    CEnvEng& engine = bench::ShowFullHdCrowd(window, n);
    if (open) window.findChild<QAction*>(QStringLiteral("MN_VIEW_VALUES"))->trigger();
    state.counters["ticks_per_s"] = bench::TicksPerSecondAtFullSpeed(state, window, engine);
    state.counters["bowls"] = n;
    state.counters["values_open"] = open ? 1 : 0;
    Prompt::StopScripting();
}

void BM_ValuesRefresh(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Prompt::StartScripting();
    F_MAIN window;
    CEnvEng& engine = bench::ShowCrowd(window, 0);
    engine.MaxX = bench::kWidth * 2;
    engine.MaxY = bench::kHeight * 2;
    bench::FillBox(engine, n, engine.MaxX, engine.MaxY);
    window.findChild<QAction*>(QStringLiteral("MN_VIEW_VALUES"))->trigger();
    auto* values = window.findChild<F_VALUES*>();
    QApplication::processEvents();
    auto* table = values->findChild<QTableView*>(QStringLiteral("lvw_Values"));
    auto* diagram = values->findChild<MomentaDiagram*>(QStringLiteral("pc_Momenta"));
    table->scrollTo(table->model()->index(n / 2, 0));   // the middle of the list
    const auto part = state.range(1);   // 0 all, 1 the state only, 2 the table's rows, 3 the diagram
    for (auto _ : state) {
        if (part == 0 || part == 1) values->ShowLatest();
        if (part == 0 || part == 2) table->viewport()->repaint();
        if (part == 0 || part == 3) diagram->repaint();
    }
    state.counters["bowls"] = n;
    Prompt::StopScripting();
}

} // namespace

BENCHMARK(BM_ValuesRefresh)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Args({1000, 3})
    ->Args({32767, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicksWithValues)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
