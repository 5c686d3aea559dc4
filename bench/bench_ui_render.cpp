// Cost of rasterising one frame of N bowls on a 1920 x 1080 picture: disks
// from cached masks (what the program does) against QPainter disk by disk;
// also with every bowl a mass (and so a radius) of its own, more radii than
// masks are kept; and with 200 steps of every bowl's path under the disks.
#include <benchmark/benchmark.h>

#include "appstate.h"
#include "common.h"
#include "numeric.h"
#include "pathstore.h"
#include "scenerenderer.h"

using namespace vintrop;

namespace {

void Rasterise(benchmark::State& state, bool masks, bool vectors, bool radiusEach = false, bool paths = false) {
    const int n = static_cast<int>(state.range(0));
    CEnvEng engine;
    ManualClock clock;
    engine.init(clock);
    bench::Fill(engine, n);
    if (radiusEach)
        for (int i = 1; i <= n; ++i) engine.GetBowl(i).SetM(static_cast<float>(i));
    FlgShowVect = vectors ? kTrue : kFalse;

    SceneRenderer renderer;
    renderer.SetDiskMasks(masks);
    renderer.Resize(QSize(1920, 1080), 1.0, 15.0);
    PathStore store(engine);
    if (paths) {
        engine.MaxX = bench::kWidth;
        engine.MaxY = bench::kHeight;
        store.Configure(true, 200);
        engine.Attach(&store);
        for (int s = 0; s < 200; ++s) engine.Advance();
        engine.Detach(&store);
        renderer.DrawPaths(store, engine.t, true);
    }
    for (int i = 1; i <= n; ++i) renderer.DrawBowl(engine.GetBowl(i));
    SceneFrame frame;
    renderer.TakeFrame(frame);
    QImage picture;
    renderer.Rasterise(frame, picture);   // masks made, picture allocated
    for (auto _ : state) {
        renderer.Rasterise(frame, picture);
        benchmark::DoNotOptimize(picture.constBits());
    }
    FlgShowVect = kFalse;
}

void BM_FrameMasks(benchmark::State& state) { Rasterise(state, true, false); }
void BM_FramePainter(benchmark::State& state) { Rasterise(state, false, false); }
void BM_FrameMasksWithVectors(benchmark::State& state) { Rasterise(state, true, true); }
void BM_FrameMasksWithPaths(benchmark::State& state) { Rasterise(state, true, false, false, true); }
void BM_FrameMasksRadiusEach(benchmark::State& state) { Rasterise(state, true, false, true); }
void BM_FramePainterRadiusEach(benchmark::State& state) { Rasterise(state, false, false, true); }

} // namespace

BENCHMARK(BM_FrameMasks)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePainter)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameMasksWithVectors)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameMasksWithPaths)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameMasksRadiusEach)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePainterRadiusEach)->Arg(10000)->Unit(benchmark::kMillisecond);
