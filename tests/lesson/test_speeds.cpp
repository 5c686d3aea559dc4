// The speed histogram and the Maxwell–Boltzmann distribution it is set
// beside: which bowls are counted, where each speed lands, and that the
// expected fractions are the integral of the density.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../engine/engine_support.h"
#include "speeds.h"

namespace vintrop {
namespace {

using testing::EngineTest;

class SpeedsTest : public EngineTest {};

TEST_F(SpeedsTest, SpeciesMostBowlsFirstWithTheirMeanEnergy) {
    Add(2, 1000, 1000, 3, 4);   // energy 25
    Add(5, 2000, 1000, 1, 0);   // 2.5
    Add(1, 3000, 1000, 0, 6);   // 18, alone
    Add(2, 4000, 1000, 0, 0);   // 0
    Add(5, 5000, 1000, 0, 2);   // 10
    Add(5, 6000, 1000, 0, 0);   // 0
    const std::vector<Species> s = SpeciesOf(eng);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].mass, 5); EXPECT_EQ(s[0].bowls, 3); EXPECT_DOUBLE_EQ(s[0].meanEnergy, 12.5 / 3);
    EXPECT_EQ(s[1].mass, 2); EXPECT_EQ(s[1].bowls, 2); EXPECT_DOUBLE_EQ(s[1].meanEnergy, 12.5);
    EXPECT_EQ(s[2].mass, 1); EXPECT_EQ(s[2].bowls, 1); EXPECT_DOUBLE_EQ(s[2].meanEnergy, 18);
}

TEST_F(SpeedsTest, ManyMassesAreTalliedAsFewAre) {
    // Past the short list the masses are found through a map: 40 masses,
    // the even ones twice, must still give 40 species with the right counts.
    for (int16_t i = 1; i <= 40; ++i) Add(i, 200.0f * i, 1000, 1, 0);
    for (int16_t i = 2; i <= 40; i += 2) Add(i, 200.0f * i, 3000, 0, 1);
    const std::vector<Species> s = SpeciesOf(eng);
    ASSERT_EQ(s.size(), 40u);
    EXPECT_EQ(s.front().mass, 2);
    EXPECT_EQ(s.front().bowls, 2);
    EXPECT_EQ(s[19].mass, 40);
    EXPECT_EQ(s.back().mass, 39);
    EXPECT_EQ(s.back().bowls, 1);
    EXPECT_DOUBLE_EQ(s.back().meanEnergy, 19.5);
}

TEST_F(SpeedsTest, EachSpeedLandsInItsBinAndTheFastestInTheLast) {
    // Mass 2: twelve at rest, speeds 5 and 10. kT = (25 + 100) / 14 and
    // 3 v_rms = 3 sqrt(2kT/m) = 8.96, so the bowl at 10 is beyond the range.
    for (int i = 0; i < 12; ++i) Add(2, 300.0f + 500.0f * i, 1000);
    Add(2, 1000, 2000, 3, 4);
    Add(2, 2000, 2000, 0, -10);
    Add(1, 3000, 2000, 500, 0);  // another mass: not counted
    const SpeedHistogram h = SpeedHistogramOf(eng, 6);
    EXPECT_EQ(h.species.mass, 2);
    EXPECT_DOUBLE_EQ(h.width, 3 * std::sqrt(2 * (125.0 / 14) / 2) / 6);
    EXPECT_EQ(h.counts, (std::vector<int32_t>{12, 0, 0, 1, 0, 1}));  // 5 / 1.494 = bin 3.35
}

TEST_F(SpeedsTest, AtRestTheRangeIsTheFastestOrOne) {
    Add(0, 1000, 1000, 0, 7);  // massless: no energy, yet moving
    Add(0, 2000, 1000, 0, 0);
    SpeedHistogram h = SpeedHistogramOf(eng, 4);
    EXPECT_NEAR(h.width, 7.0 / 4, 1e-6);
    EXPECT_EQ(h.counts, (std::vector<int32_t>{1, 0, 0, 1}));
    eng.GetBowl(1).Vy = 0;
    h = SpeedHistogramOf(eng, 4);
    EXPECT_DOUBLE_EQ(h.width, 0.25);
    EXPECT_EQ(h.counts, (std::vector<int32_t>{2, 0, 0, 0}));
}

TEST(MaxwellBoltzmann, FractionsAreTheIntegralOfTheDensity) {
    const double m = 3, kT = 7, inf = std::numeric_limits<double>::infinity();
    // Both sides of the most likely speed sqrt(kT/m) = 1.53, and the tail.
    for (const auto& [low, high] : {std::pair{0.0, 0.4}, {0.9, 2.1}, {2.5, 3.0}, {6.0, 7.5}, {15.0, 17.0}}) {
        double simpson = 0;
        const int steps = 2000;
        const double h = (high - low) / steps;
        for (int i = 0; i <= steps; ++i)
            simpson += (i == 0 || i == steps ? 1 : i % 2 ? 4 : 2) * MaxwellBoltzmannDensity(low + i * h, m, kT);
        simpson *= h / 3;
        EXPECT_NEAR(MaxwellBoltzmannFraction(low, high, m, kT) / simpson, 1.0, 1e-9) << low << ".." << high;
    }
    EXPECT_DOUBLE_EQ(MaxwellBoltzmannFraction(0, 1.2, m, kT) + MaxwellBoltzmannFraction(1.2, 2, m, kT) +
                         MaxwellBoltzmannFraction(2, inf, m, kT), 1.0);
    EXPECT_EQ(MaxwellBoltzmannFraction(0, inf, 0, kT), 0);
}

TEST(MaxwellBoltzmann, BinsFollowTheRiceRuleWithinLimits) {
    for (const auto& [bowls, bins] : {std::pair{0, 5}, {2, 5}, {125, 10}, {2000, 25}, {8000, 40}, {32767, 40}})
        EXPECT_EQ(BinsFor(bowls), bins) << bowls;
}

} // namespace
} // namespace vintrop
