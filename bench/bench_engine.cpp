// Cost of one engine step, indexed pair loop against the plain loop, for a
// box of 28,800 x 16,200 twips (a 1920 x 1080 screen) filled with bowls of
// mass 1 moving at up to 40 twips per step.
#include <benchmark/benchmark.h>

#include "common.h"

using namespace vintrop;

namespace {

using vintrop::bench::Fill;
using vintrop::bench::kHeight;
using vintrop::bench::kWidth;

void Step(benchmark::State& state, bool plain, bool atRest = false) {
    const int n = static_cast<int>(state.range(0));
    CEnvEng engine;
    ManualClock clock;
    engine.init(clock);
    engine.MaxX = kWidth;
    engine.MaxY = kHeight;
    engine.SetPlainLoop(plain);
    Fill(engine, n);
    if (atRest) {
        // Nothing moves and nothing collides: what is left is the cost of
        // finding each bowl's neighbours and checking them.
        for (int i = 1; i <= n; ++i) engine.GetBowl(i).Vx = engine.GetBowl(i).Vy = 0;
    }
    engine.Advance();  // settle the first contacts
    for (auto _ : state) engine.Advance();
    // Seconds of step time per bowl.
    state.counters["per_bowl"] = benchmark::Counter(
        static_cast<double>(n) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StepIndexed(benchmark::State& state) { Step(state, false); }
void BM_StepPlain(benchmark::State& state) { Step(state, true); }
void BM_StepIndexedAtRest(benchmark::State& state) { Step(state, false, true); }

} // namespace

BENCHMARK(BM_StepIndexed)->Arg(100)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepIndexedAtRest)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);
// The plain loop at 30,000 bowls needs about ten seconds a step; it is left out.
BENCHMARK(BM_StepPlain)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
