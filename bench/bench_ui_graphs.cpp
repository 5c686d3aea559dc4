// The running program, slider at 1 ms, in the main window's designed drawing
// area: ticks per second with the Graphs window closed and open. The log
// behind the graphs runs in both; open, the plots are drawn as well, at most
// once per screen refresh, with the collision plot full in the crowds.
// And one redraw of the plots on their own, with every budget full.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "appstate.h"
#include "clock.h"
#include "common.h"
#include "conservationlog.h"
#include "graphs/conservationplots.h"
#include "playfor.h"
#include "main/f_main.h"
#include "prompt.h"

using namespace vintrop;

namespace {

void BM_TicksWithGraphs(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool windowOpen = state.range(1) != 0;
    Prompt::StartScripting();
    F_MAIN window;
    CEnvEng& engine = bench::ShowCrowd(window, n);
    window.ManualRefresh();
    window.RefreshCommands();
    if (windowOpen) window.findChild<QAction*>(QStringLiteral("MN_VIEW_GRAPHS"))->trigger();
    state.counters["ticks_per_s"] = bench::TicksPerSecondAtFullSpeed(state, window, engine);
    state.counters["bowls"] = n;
    state.counters["graphs_open"] = windowOpen;
    Prompt::StopScripting();
}

// The plots of a crowd's long run: the spans merged many times over and the
// collision plot holding its whole budget, drawn as on screen (no
// antialiasing) into the window's default plot size.
void BM_PaintPlots(benchmark::State& state) {
    ManualClock clock;
    CEnvEng engine;
    engine.init(clock);
    engine.MaxX = bench::kWidth;
    engine.MaxY = bench::kHeight;
    bench::Fill(engine, 2000);
    ConservationLog log(engine);
    engine.Attach(&log);
    while (log.Collisions().size() < log.CollisionLimit() || log.Stride() < 2) engine.Advance();
    ConservationPlots plots(log);
    QImage image(plots.sizeHint(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        ConservationPlots::Paint(log, painter, QRectF(image.rect()));
    }
    state.counters["spans"] = static_cast<double>(log.Spans().size());
    state.counters["collisions"] = static_cast<double>(log.Collisions().size());
}

} // namespace

BENCHMARK(BM_PaintPlots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicksWithGraphs)
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
