// The running program, slider at 1 ms, in the main window's designed drawing
// area: ticks per second with the Graphs window closed and open (and the
// history open too), on the lattice, a crowd of mixed sizes and a pile. The
// log behind the graphs runs in every case; open, the plots are drawn as
// well, at most once per screen refresh, the collision plot full in crowds.
// And one redraw of the plots on their own, with every budget full; and one
// frame of the speed plot of the largest crowd.
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
#include "graphs/speedsplot.h"
#include "playfor.h"
#include "main/f_main.h"
#include "numeric.h"
#include "prompt.h"

using namespace vintrop;

namespace {

// What the windows are showing: 0 the main window alone, 1 the Graphs
// window too, 2 the Graphs and the collision history (the busiest).
// The scene: 0 the lattice, 1 the mixed crowd of sizes, 2 a pile of bowls
// at rest on one point.
void BM_TicksWithGraphs(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto windows = state.range(1);
    const auto scene = state.range(2);
    Prompt::StartScripting();
    F_MAIN window;
    CEnvEng& engine = bench::ShowCrowd(window, scene == 0 ? n : 0);
    const float width = engine.MaxX, height = engine.MaxY;
    if (scene == 1) bench::MixedCrowd(engine, n, 2024, width, height);
    if (scene == 2) bench::Pile(engine, n, width, height);
    if (windows == 2) engine.KeepHistory(kTrue);
    window.ManualRefresh();
    window.RefreshCommands();
    if (windows >= 1) window.findChild<QAction*>(QStringLiteral("MN_VIEW_GRAPHS"))->trigger();
    if (windows == 2) engine.ShowHistory(&window);
    state.counters["ticks_per_s"] = bench::TicksPerSecondAtFullSpeed(state, window, engine);
    state.counters["bowls"] = n;
    state.counters["windows"] = static_cast<double>(windows);
    state.counters["scene"] = static_cast<double>(scene);
    engine.HideHistory();
    engine.KeepHistory(kFalse);
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

// What the speed plot costs a frame while the engine runs: the speeds taken
// from the engine, described for screen readers and drawn into their row of
// the window's default plot size. Scene 0: one mass on a lattice; 1: the
// mixed crowd, some hundreds of masses (in a box twice the standard one's
// sides, where it has room).
void BM_SpeedsFrame(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ManualClock clock;
    CEnvEng engine;
    engine.init(clock);
    if (state.range(1) == 0)
        bench::FillAtConstantDensity(engine, n);
    else
        bench::MixedCrowd(engine, n, 2024, 2 * bench::kWidth, 2 * bench::kHeight);
    ConservationLog log(engine);
    ConservationPlots plots(log);
    QImage image(plots.sizeHint().width(), plots.sizeHint().height() * 34 / 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::size_t masses = 0, text = 0;
    for (auto _ : state) {
        const SpeedsView speeds = SpeedsOf(engine);
        text += static_cast<std::size_t>(DescribeSpeeds(speeds).size());
        QPainter painter(&image);   // white already: the window fills its plots once for all four
        PaintSpeeds(speeds, painter, QRectF(image.rect()));
        masses = speeds.species.size();
    }
    benchmark::DoNotOptimize(text);
    state.counters["bowls"] = n;
    state.counters["masses"] = static_cast<double>(masses);
}

} // namespace

BENCHMARK(BM_PaintPlots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeedsFrame)->Args({32766, 0})->Args({32766, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicksWithGraphs)
    ->Args({2, 0, 0})
    ->Args({2, 1, 0})
    ->Args({1000, 0, 0})
    ->Args({1000, 1, 0})
    ->Args({2000, 0, 0})
    ->Args({2000, 1, 0})
    ->Args({2000, 2, 0})
    ->Args({500, 0, 1})
    ->Args({500, 1, 1})
    ->Args({500, 2, 1})
    ->Args({200, 0, 2})
    ->Args({200, 1, 2})
    ->Args({200, 2, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
