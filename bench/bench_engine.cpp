// Cost of engine steps, indexed pair loop against the plain loop, on the
// scenes of common.h: the standard box filled with mass-1 bowls, a pile of
// bowls on one point, a few bowls in the large box, a crowd of mixed sizes,
// and crowds of constant density whose box grows with their number.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "common.h"

using namespace vintrop;

namespace {

// On a machine shared with other work a single run can be slowed at random:
// the scenes whose figures are compared run five times and report the
// least-disturbed run (min) besides the median.
double Least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Repeated(benchmark::internal::Benchmark* b) {
    b->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics("min", Least);
}

// An engine on a hand-driven clock, with the loop under test chosen.
struct Bench {
    explicit Bench(bool plain) {
        engine.init(clock);
        engine.SetPlainLoop(plain);
    }
    CEnvEng engine;
    ManualClock clock;
};

// Seconds of step time per bowl.
void CountPerBowl(benchmark::State& state, int n, int stepsPerIteration = 1) {
    state.counters["per_bowl"] =
        benchmark::Counter(static_cast<double>(n) * stepsPerIteration * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Steps a scene made by `build`, after one step that settles the first contacts.
void StepScene(benchmark::State& state, bool plain, const std::function<void(CEnvEng&, int)>& build) {
    const int n = static_cast<int>(state.range(0));
    Bench b(plain);
    build(b.engine, n);
    b.engine.Advance();
    for (auto _ : state) b.engine.Advance();
    CountPerBowl(state, n);
}

// ------------------------------------------------ the standard box, filled

void Step(benchmark::State& state, bool plain, bool atRest = false) {
    StepScene(state, plain, [atRest](CEnvEng& engine, int n) {
        engine.MaxX = bench::kWidth;
        engine.MaxY = bench::kHeight;
        bench::Fill(engine, n);
        if (atRest) {
            // Nothing moves and nothing collides: what is left is the cost of
            // finding each bowl's neighbours and checking them.
            for (int i = 1; i <= n; ++i) engine.GetBowl(i).Vx = engine.GetBowl(i).Vy = 0;
        }
    });
}

void BM_StepIndexed(benchmark::State& state) { Step(state, false); }
void BM_StepPlain(benchmark::State& state) { Step(state, true); }
void BM_StepIndexedAtRest(benchmark::State& state) { Step(state, false, true); }

BENCHMARK(BM_StepIndexed)->Arg(100)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepIndexedAtRest)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);
// The plain loop at 30,000 bowls needs about ten seconds a step; it is left out.
BENCHMARK(BM_StepPlain)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// ------------------------------------------- a pile of bowls on one point

// Each iteration rewinds the pile and runs its first two steps: in the first
// every pair collides, in the second every pair is checked for release.
void Pile(benchmark::State& state, bool plain, int16_t elasticity = CEnvEng::kFullyElastic) {
    const int n = static_cast<int>(state.range(0));
    Bench b(plain);
    bench::Pile(b.engine, n);
    b.engine.SetElasticity(elasticity);
    for (auto _ : state) {
        b.engine.sRewind();
        b.engine.Advance();
        b.engine.Advance();
    }
    CountPerBowl(state, n, 2);
    // The process's peak resident memory so far, in MB: run a large pile on
    // its own (--benchmark_filter) to read its own peak, contact sets included.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_PileIndexed(benchmark::State& state) { Pile(state, false); }
void BM_PilePlain(benchmark::State& state) { Pile(state, true); }

BENCHMARK(BM_PileIndexed)->Arg(200)->Arg(800)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Apply(Repeated);
// The same pile, and the crowd of mixed sizes below, with collisions that
// lose half their closing speed: the closing test on every touching pair.
void BM_PileHalfElastic(benchmark::State& state) { Pile(state, false, 50); }
BENCHMARK(BM_PileHalfElastic)->Arg(200)->Arg(800)->Arg(2000)->Unit(benchmark::kMillisecond)->Apply(Repeated);
BENCHMARK(BM_PilePlain)->Arg(200)->Arg(800)->Arg(2000)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// ------------------------------------------ a few bowls in the large box

// Two bowls (or a few dozen) alone in the standard box: the step's cost must
// come from the bowls, not from the area they could be in. Below 8 bowls the
// engine checks pairs directly, so at 2 both rows run the same loop.
void FewBowls(benchmark::State& state, bool plain) { Step(state, plain); }

void BM_FewBowlsIndexed(benchmark::State& state) { FewBowls(state, false); }
void BM_FewBowlsPlain(benchmark::State& state) { FewBowls(state, true); }

BENCHMARK(BM_FewBowlsIndexed)->Arg(2)->Arg(64)->Unit(benchmark::kNanosecond)->Apply(Repeated);
BENCHMARK(BM_FewBowlsPlain)->Arg(2)->Arg(64)->Unit(benchmark::kNanosecond)->Apply(Repeated);

// ------------------------------------------------ a crowd of mixed sizes

void MixedCrowd(CEnvEng& engine, int n) { bench::MixedCrowd(engine, n); }

void BM_MixedCrowdIndexed(benchmark::State& state) { StepScene(state, false, MixedCrowd); }
void BM_MixedCrowdPlain(benchmark::State& state) { StepScene(state, true, MixedCrowd); }

BENCHMARK(BM_MixedCrowdIndexed)->Arg(10000)->Unit(benchmark::kMicrosecond)->Apply(Repeated);
void BM_MixedCrowdHalfElastic(benchmark::State& state) {
    StepScene(state, false, [](CEnvEng& engine, int n) {
        MixedCrowd(engine, n);
        engine.SetElasticity(50);
    });
}
BENCHMARK(BM_MixedCrowdHalfElastic)->Arg(10000)->Unit(benchmark::kMicrosecond)->Apply(Repeated);
// About a second a step: a few steps are enough.
BENCHMARK(BM_MixedCrowdPlain)->Arg(10000)->Unit(benchmark::kMicrosecond)->Iterations(3);

// ---------------------------------------------------- constant density

void BM_ConstantDensityIndexed(benchmark::State& state) {
    StepScene(state, false, bench::FillAtConstantDensity);
}
void BM_ConstantDensityPlain(benchmark::State& state) {
    StepScene(state, true, bench::FillAtConstantDensity);
}

BENCHMARK(BM_ConstantDensityIndexed)->Arg(1000)->Arg(10000)->Arg(30000)->Arg(32766)->Unit(benchmark::kMicrosecond)->Apply(Repeated);
BENCHMARK(BM_ConstantDensityPlain)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConstantDensityPlain)->Arg(10000)->Unit(benchmark::kMicrosecond)->Iterations(3);

} // namespace

// The largest pile there can be, every bowl touching every other after the
// first step: once, for its time and its memory (tens of seconds).
// Registered last: the peak memory is the process's high-water mark, which
// every benchmark after it would repeat.
BENCHMARK(BM_PileIndexed)->Arg(32766)->Unit(benchmark::kMillisecond)->Iterations(1);
