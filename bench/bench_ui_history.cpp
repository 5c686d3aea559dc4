// The running program with the collision log on, slider at 1 ms, in the
// main window's designed drawing area crowded with 1,000 bowls: ticks per
// second with the history window closed and open. With the window open its
// table must keep up without slowing the simulation.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSlider>

#include "appstate.h"
#include "common.h"
#include "playfor.h"
#include "main/f_main.h"
#include "numeric.h"
#include "prompt.h"

using namespace vintrop;

namespace {

void BM_CrowdWithHistory(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool windowOpen = state.range(1) != 0;
    Prompt::StartScripting();
    F_MAIN window;
    window.show();
    QApplication::processEvents();
    CEnvEng& engine = *g_pEnvEng;
    engine.Reset();
    bench::FillBox(engine, n, engine.MaxX, engine.MaxY);
    engine.KeepHistory(kTrue);
    window.ManualRefresh();
    window.RefreshCommands();
    if (windowOpen) engine.ShowHistory(&window);
    window.findChild<QSlider*>(QStringLiteral("sldr_Interval"))->setValue(1);

    double ticks = 0, seconds = 0;
    for (auto _ : state) {
        const int32_t t0 = engine.t;
        const double elapsed = bench::PlayFor(window, 3000);
        state.SetIterationTime(elapsed);
        ticks += engine.t - t0;
        seconds += elapsed;
    }
    state.counters["ticks_per_s"] = ticks / seconds;
    state.counters["bowls"] = n;
    state.counters["history_open"] = windowOpen;
    engine.HideHistory();
    engine.KeepHistory(kFalse);
    Prompt::StopScripting();
}

} // namespace

BENCHMARK(BM_CrowdWithHistory)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
