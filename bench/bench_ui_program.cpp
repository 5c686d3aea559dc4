// The running program, offscreen, with the slider at 1 ms: how many engine
// ticks and how many presented frames it manages per second with N bowls
// filling a 1920 x 1080 drawing area; also with the bowls' paths (200
// steps) or the centre of mass shown, or with the Graphs window open.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QSlider>

#include "displaysettings.h"
#include "common.h"
#include "playfor.h"
#include "main/drawingarea.h"
#include "main/f_main.h"
#include "numeric.h"
#include "prompt.h"
#include "twips.h"

using namespace vintrop;

namespace {

enum Shown { Plain, Paths, Centre, Graphs };

void RunProgram(benchmark::State& state, Shown shown) {
    const int n = static_cast<int>(state.range(0));
    Settings().SetShowPaths(shown == Paths);
    Settings().SetShowCentre(shown == Centre);
    Settings().SetPathSteps(200);
    Prompt::StartScripting();
    F_MAIN window;
    CEnvEng& engine = bench::ShowFullHdCrowd(window, n);
    auto* area = window.findChild<DrawingArea*>(QStringLiteral("pc_Picture"));
    if (shown == Graphs) window.findChild<QAction*>(QStringLiteral("MN_VIEW_GRAPHS"))->trigger();
    window.findChild<QSlider*>(QStringLiteral("sldr_Interval"))->setValue(1);

    double ticks = 0, frames = 0, seconds = 0;
    for (auto _ : state) {
        const int32_t t0 = engine.t;
        const int f0 = area->FramesRasterised();
        const double elapsed = bench::PlayFor(window, 3000);
        state.SetIterationTime(elapsed);
        ticks += engine.t - t0;
        frames += area->FramesRasterised() - f0;
        seconds += elapsed;
    }
    state.counters["ticks_per_s"] = ticks / seconds;
    state.counters["frames_per_s"] = frames / seconds;
    state.counters["bowls"] = n;
    Settings().SetShowPaths(false);
    Settings().SetShowCentre(false);
    Prompt::StopScripting();
}

void BM_RunningProgram(benchmark::State& state) { RunProgram(state, Plain); }
void BM_RunningProgramWithPaths(benchmark::State& state) { RunProgram(state, Paths); }
void BM_RunningProgramWithCentre(benchmark::State& state) { RunProgram(state, Centre); }
void BM_RunningProgramWithGraphs(benchmark::State& state) { RunProgram(state, Graphs); }

} // namespace

BENCHMARK(BM_RunningProgram)->Arg(100)->Arg(1000)->Arg(10000)->Arg(32766)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RunningProgramWithPaths)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RunningProgramWithCentre)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RunningProgramWithGraphs)->Arg(10000)->Arg(32766)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
