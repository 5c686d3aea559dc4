// The runner's golden files (tests/runner/golden, compared byte for byte by
// tests/runner/golden.sh) must hold the engine's own values: each bowl
// value reads back to the same 32-bit float, each total lies within half a
// unit of its ninth significant digit of the total summed in double. A file
// written anew by a runner that lost precision fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine_support.h"
#include "totals.h"

namespace vintrop {
namespace {

struct GoldenRun {
    const char* name;
    int steps, back;
};
// As golden.sh runs them.
const GoldenRun kRuns[] = {
    {"gas-of-bowls", 300, 100},
    {"glancing-collision-2d", 300, 120},
    {"off-centre-hit-unequal-masses", 300, 80},
};

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    return fields;
}

// Half a unit of the ninth significant digit of v (a hair more, for the
// rounding of the printed text to a double).
double HalfNinthDigit(double v) {
    return v == 0 ? 0 : 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(v))) - 8) * (1 + 1e-9);
}

TEST(RunnerGolden, NumbersReadBackToTheEngineValues) {
    for (const GoldenRun& run : kRuns) {
        const std::string path = std::string(VINTROP_EXAMPLES_DIR) + "/../tests/runner/golden/" + run.name + ".out";
        std::ifstream golden(path);
        ASSERT_TRUE(golden) << path;
        ManualClock clock;
        CEnvEng engine;
        engine.init(clock);
        engine.MaxX = kInitialBoxWidth;
        engine.MaxY = kInitialBoxHeight;
        ASSERT_TRUE(testing::ReadExample(engine, std::string(run.name) + ".vintrop"));
        std::vector<std::pair<int32_t, Totals>> totals;   // after each step, as printed
        for (int k = 0; k < run.steps + run.back; ++k) {
            k < run.steps ? engine.Advance() : engine.Reverse();
            totals.emplace_back(engine.t, TotalsOf(engine));
        }
        std::size_t nextTotals = 0;
        int bowls = 0;
        for (std::string line; std::getline(golden, line);) {
            const std::vector<std::string> f = Fields(line);
            const std::string where = std::string(run.name) + ": " + line;
            if (f[0] == "totals") {
                ASSERT_LT(nextTotals, totals.size()) << where;
                const auto& [t, sum] = totals[nextTotals++];
                ASSERT_EQ(f.size(), 5u) << where;
                EXPECT_EQ(std::stoi(f[1]), t) << where;
                const double values[] = {sum.energy, sum.px, sum.py};
                for (int c = 0; c < 3; ++c)
                    EXPECT_LE(std::fabs(std::strtod(f[2 + c].c_str(), nullptr) - values[c]), HalfNinthDigit(values[c]))
                        << where << "\n  field " << c + 2 << " is " << values[c];
            } else if (f[0] == "bowl") {
                ASSERT_EQ(f.size(), 6u) << where;
                const CBowl& b = engine.GetBowl(++bowls);
                EXPECT_EQ(std::stoi(f[1]), b.Id) << where;
                const float values[] = {b.x, b.y, b.Vx, b.Vy};
                for (int c = 0; c < 4; ++c)
                    EXPECT_EQ(testing::Bits(std::strtof(f[2 + c].c_str(), nullptr)), testing::Bits(values[c]))
                        << where << "\n  field " << c + 2 << " is " << values[c];
            }
        }
        EXPECT_EQ(nextTotals, totals.size()) << run.name;
        EXPECT_EQ(bowls, engine.BowlCount()) << run.name;
    }
}

} // namespace
} // namespace vintrop
