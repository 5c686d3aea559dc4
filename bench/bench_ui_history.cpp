// The running program with the collision log on, slider at 1 ms, in the
// main window's designed drawing area crowded with 1,000 bowls: ticks per
// second with the history window closed and open. With the window open its
// table must keep up without slowing the simulation.
#include <benchmark/benchmark.h>

#include <QApplication>

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
    CEnvEng& engine = bench::ShowCrowd(window, n);
    engine.KeepHistory(kTrue);
    window.ManualRefresh();
    window.RefreshCommands();
    if (windowOpen) engine.ShowHistory(&window);
    state.counters["ticks_per_s"] = bench::TicksPerSecondAtFullSpeed(state, window, engine);
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
