// Pairs exactly at the contact threshold, in both pair loops. The radius sum
// of masses 1 and 398 rounds to the whole number 516, so centres 515 to 516
// twips apart give a stepped distance floor(d) + 1 equal to the sum: the
// equality case of the collision test and of the contact release.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "engine_support.h"
#include "numeric.h"

namespace vintrop {
namespace {

using testing::EngineTest;
using testing::Event;

const char* LoopName(bool plain) { return plain ? "plain" : "indexed"; }

// Fourteen bowls at rest along the bottom of the box, far from everything
// else: with a handful of bowls the indexed loop checks pair by pair, so the
// tests add enough of them for it to use its index.
void AddBystanders(CEnvEng& e) {
    for (int k = 0; k < 14; ++k) e.AddBowl(1, static_cast<float>(300 + 540 * k), 3800, 0, 0);
}

struct ExactRow {
    const char* situation;
    float apart;     // twips between the centres of masses 1 and 398, at rest
    double stepped;  // RelDist for that distance
    bool touches;    // collides when free, stays in contact when touching
};

const ExactRow kExactRows[] = {
    {"stepped_515_below_the_sum", 514.5f, 515, true},
    {"stepped_516_whole_distance", 515.0f, 516, true},
    {"stepped_516_equals_the_sum", 515.5f, 516, true},
    {"stepped_516_just_below_517", 515.9375f, 516, true},
    {"stepped_517_above_the_sum", 516.0f, 517, false},
};

class ExactThreshold : public EngineTest, public ::testing::WithParamInterface<std::tuple<ExactRow, bool>> {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        eng.SetPlainLoop(std::get<1>(GetParam()));
    }

    // Bowl 1 (mass 1) and bowl 2 (mass 398) on a horizontal line, at rest.
    void AddPair() {
        const ExactRow& row = std::get<0>(GetParam());
        CBowl& a = Add(1, 1000, 2000);
        CBowl& b = Add(398, 1000 + row.apart, 2000);
        AddBystanders(eng);
        ASSERT_EQ(ToSingle(static_cast<double>(a.r()) + b.r()), 516.0f) << "the rows need a whole radius sum";
        ASSERT_EQ(CEnvEng::RelDist(a, b), row.stepped);
    }
};

TEST_P(ExactThreshold, FreePairCollidesWhileTheSteppedDistanceIsAtMostTheSum) {
    const ExactRow& row = std::get<0>(GetParam());
    ASSERT_NO_FATAL_FAILURE(AddPair());
    eng.Advance();
    EXPECT_EQ(rec.Count(Event::Before), row.touches ? 1 : 0);
    EXPECT_EQ(eng.GetBowl(1).ExistCollision(2), row.touches);
    EXPECT_EQ(eng.GetBowl(2).ExistCollision(1), row.touches);
}

TEST_P(ExactThreshold, ContactIsReleasedOnlyOnceTheSteppedDistanceExceedsTheSum) {
    const ExactRow& row = std::get<0>(GetParam());
    ASSERT_NO_FATAL_FAILURE(AddPair());
    eng.GetBowl(1).AddCollision(2);
    eng.GetBowl(2).AddCollision(1);
    eng.Advance();
    EXPECT_EQ(eng.GetBowl(1).ExistCollision(2), row.touches);
    EXPECT_EQ(eng.GetBowl(2).ExistCollision(1), row.touches);
    EXPECT_EQ(rec.Count(Event::Before), 0); // a pair in contact is never exchanged again
}

INSTANTIATE_TEST_SUITE_P(Rows, ExactThreshold, ::testing::Combine(::testing::ValuesIn(kExactRows), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).situation) + "_" +
                                    LoopName(std::get<1>(info.param));
                         });

// The radius sum of masses 2 and 1378 is 764.99997 in double and rounds up to
// the float 765; centres 764.99998 apart step to 765, so the pair collides
// although the centres are farther apart than the exact sum. The indexed loop
// must reach that far too.
class RoundedUpSum : public EngineTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RoundedUpSum, PairFartherThanTheExactSumStillCollides) {
    eng.SetPlainLoop(GetParam());
    CBowl& a = Add(2, 200, 2000);
    CBowl& b = Add(1378, 964.99993896484375f, 2000.25f);
    AddBystanders(eng);
    const double exactSum = static_cast<double>(a.r()) + b.r();
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    ASSERT_GT(std::sqrt(dx * dx + dy * dy), exactSum) << "the centres must be beyond the exact sum";
    ASSERT_EQ(ToSingle(exactSum), 765.0f);
    ASSERT_EQ(CEnvEng::RelDist(a, b), 765.0);

    eng.Advance();
    EXPECT_EQ(rec.Count(Event::Before), 1);
    EXPECT_EQ(rec.Trace().substr(0, 15), "B1-2 A1-2 S1 S2");
    EXPECT_TRUE(a.ExistCollision(2));
    EXPECT_TRUE(b.ExistCollision(1));
}

// The same pair with four massless bowls lying on the heavy bowl's centre,
// ahead of it in the collection: the heavy bowl is the fifth in its
// neighbourhood, where the index keeps bowls beyond the first few apart.
TEST_P(RoundedUpSum, PairFartherThanTheExactSumStillCollidesInACrowd) {
    eng.SetPlainLoop(GetParam());
    CBowl& a = Add(2, 200, 2000);
    for (int k = 0; k < 4; ++k) Add(0, 964.99993896484375f, 2000.25f);
    CBowl& b = Add(1378, 964.99993896484375f, 2000.25f);
    AddBystanders(eng);
    ASSERT_EQ(CEnvEng::RelDist(a, b), 765.0);

    eng.Advance();
    ASSERT_GE(rec.events.size(), 2u);
    EXPECT_EQ(rec.Trace().substr(0, 9), "B1-6 A1-6");
    EXPECT_TRUE(a.ExistCollision(6));
    EXPECT_TRUE(b.ExistCollision(1));
}

INSTANTIATE_TEST_SUITE_P(Loops, RoundedUpSum, ::testing::Bool(),
                         [](const auto& info) { return std::string(LoopName(info.param)); });

} // namespace
} // namespace vintrop
