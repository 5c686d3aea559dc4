// The runner's output: collision and resolved lines formatted into the
// output buffer and written to /dev/null, against the same lines joined
// through an ostream (how the runner printed before).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

#include "csvlistener.h"
#include "numeric.h"

using namespace vintrop;

namespace {

// Pairs of bowls with varied values, so the formatting sees realistic digits.
struct Pairs {
    CEnvEng engine;
    std::vector<std::pair<const CBowl*, const CBowl*>> pairs;

    Pairs() {
        std::mt19937 rng(99);
        std::uniform_real_distribution<double> pos(100, 28000), vel(-40, 40);
        for (int k = 0; k < 200; ++k)
            engine.AddBowl(static_cast<int16_t>(1 + k % 7), float(pos(rng)), float(pos(rng)), float(vel(rng)),
                           float(vel(rng)));
        for (int k = 1; k < 200; ++k) pairs.emplace_back(&engine.GetBowl(k), &engine.GetBowl(k + 1));
    }
};

void BM_OutputBufferLines(benchmark::State& state) {
    Pairs p;
    const int fd = ::open("/dev/null", O_WRONLY);
    OutputBuffer out(fd);
    CsvListener csv(p.engine, out);
    for (auto _ : state)
        for (const auto& [b1, b2] : p.pairs) {
            csv.BeforeCollision(*b1, *b2);
            csv.AfterCollision(*b1, *b2);
        }
    out.Flush();
    ::close(fd);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.pairs.size()) * 2);
}

void BM_OstreamLines(benchmark::State& state) {
    Pairs p;
    std::ofstream out("/dev/null");
    const auto F = [](double v) { return FormatG9(v); };
    for (auto _ : state)
        for (const auto& [b1, b2] : p.pairs) {
            out << "collision," << p.engine.t << ',' << b1->Id << ',' << b2->Id << ',' << F(b1->M()) << ','
                << F(b2->M()) << ',' << F(b1->x) << ',' << F(b1->y) << ',' << F(b2->x) << ',' << F(b2->y) << ','
                << F(b1->Vx) << ',' << F(b1->Vy) << ',' << F(b2->Vx) << ',' << F(b2->Vy) << '\n';
            out << "resolved," << p.engine.t << ',' << b1->Id << ',' << b2->Id << ',' << F(b1->Vx) << ','
                << F(b1->Vy) << ',' << F(b2->Vx) << ',' << F(b2->Vy) << '\n';
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.pairs.size()) * 2);
}

} // namespace

BENCHMARK(BM_OutputBufferLines);
BENCHMARK(BM_OstreamLines);
