// Cost of one engine step, indexed pair loop against the plain loop, for a
// box of 28,800 x 16,200 twips (a 1920 x 1080 screen) filled with bowls of
// mass 1 moving at up to 40 twips per step.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "envengine.h"

using namespace vintrop;

namespace {

constexpr float kWidth = 28800, kHeight = 16200;

// Bowls on a jittered lattice: random, yet never overlapping, however many.
void Fill(CEnvEng& engine, int n) {
    std::mt19937 rng(12345);
    const int cols = static_cast<int>(std::ceil(std::sqrt(n * kWidth / kHeight)));
    const int rows = (n + cols - 1) / cols;
    const double dx = kWidth / cols, dy = kHeight / rows;
    const double r = 61.753792;  // radius of mass 1
    const double jitter = std::max(0.0, (std::min(dx, dy) - 2 * r - 2) / 2);
    std::uniform_real_distribution<double> j(-jitter, jitter), v(-40, 40);
    for (int k = 0; k < n; ++k) {
        const double x = (k % cols + 0.5) * dx + j(rng), y = (k / cols + 0.5) * dy + j(rng);
        engine.AddBowl(1, static_cast<float>(x), static_cast<float>(y), static_cast<float>(v(rng)),
                       static_cast<float>(v(rng)));
    }
}

void Step(benchmark::State& state, bool plain) {
    const int n = static_cast<int>(state.range(0));
    CEnvEng engine;
    ManualClock clock;
    engine.init(clock);
    engine.MaxX = kWidth;
    engine.MaxY = kHeight;
    engine.SetPlainLoop(plain);
    Fill(engine, n);
    engine.Advance();  // settle the first contacts
    for (auto _ : state) engine.Advance();
    // Seconds of step time per bowl.
    state.counters["per_bowl"] = benchmark::Counter(
        static_cast<double>(n) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StepIndexed(benchmark::State& state) { Step(state, false); }
void BM_StepPlain(benchmark::State& state) { Step(state, true); }

} // namespace

BENCHMARK(BM_StepIndexed)->Arg(100)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMicrosecond);
// The plain loop at 30,000 bowls needs about ten seconds a step; it is left out.
BENCHMARK(BM_StepPlain)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
