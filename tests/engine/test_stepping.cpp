// One step of every bowl: straight motion, the four walls with their equality
// cases, back steps, the step counter and the order of the events.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "engine_support.h"

namespace vintrop {
namespace {

using testing::EngineTest;

const float kR1 = 61.75379180908203f; // radius of mass 1, float

struct WallRow {
    const char* situation;
    float maxX, maxY;
    float x, y, vx, vy;        // before the step
    float ex, ey, evx, evy;    // after the step
};

class WallReflection : public EngineTest, public ::testing::WithParamInterface<WallRow> {};

TEST_P(WallReflection, ClampsToTheWallAndNegatesTheComponent) {
    const WallRow& row = GetParam();
    eng.MaxX = row.maxX;
    eng.MaxY = row.maxY;
    CBowl& b = Add(1, row.x, row.y, row.vx, row.vy);
    eng.Advance();
    EXPECT_SAME_FLOAT(b.x, row.ex);
    EXPECT_SAME_FLOAT(b.y, row.ey);
    EXPECT_SAME_FLOAT(b.Vx, row.evx);
    EXPECT_SAME_FLOAT(b.Vy, row.evy);
}

// 938.2462158203125 is 1000 - r rounded to a float; 561.7537841796875 is
// 500 + r rounded, so a bowl arriving at x = 500 touches that wall exactly;
// 69.75379180908203 is r + 8 rounded, which a move of -8 brings back to r.
INSTANTIATE_TEST_SUITE_P(
    Rows, WallReflection,
    ::testing::Values(
        WallRow{"free_flight", 1000, 1000, 400, 500, 10, -20, 410, 480, 10, -20},
        WallRow{"right_wall_passed", 1000, 1000, 930, 500, 10, 0, 938.2462158203125f, 500, -10, 0},
        WallRow{"left_wall_passed", 1000, 1000, 60, 500, -10, 0, kR1, 500, 10, 0},
        WallRow{"bottom_wall_passed", 1000, 1000, 500, 930, 0, 10, 500, 938.2462158203125f, 0, -10},
        WallRow{"top_wall_passed", 1000, 1000, 500, 60, 0, -10, 500, kR1, 0, 10},
        WallRow{"corner_passed", 1000, 1000, 935, 935, 10, 10, 938.2462158203125f, 938.2462158203125f, -10, -10},
        WallRow{"right_wall_touched_exactly", 561.7537841796875f, 1000, 490, 500, 10, 0, 500, 500, -10, 0},
        WallRow{"right_wall_missed_by_one_ulp", std::nextafter(561.7537841796875f, 1e9f), 1000, 490, 500, 10, 0,
                500, 500, 10, 0},
        WallRow{"left_wall_touched_exactly", 1000, 1000, 69.75379180908203f, 500, -8, 0, kR1, 500, 8, 0},
        WallRow{"left_wall_missed", 1000, 1000, 69.75379180908203f, 500, -7.5f, 0, 62.25379180908203f, 500, -7.5f,
                0},
        WallRow{"bottom_wall_touched_exactly", 1000, 561.7537841796875f, 500, 490, 0, 10, 500, 500, 0, -10},
        WallRow{"bottom_wall_missed_by_one_ulp", 1000, std::nextafter(561.7537841796875f, 1e9f), 500, 490, 0, 10,
                500, 500, 0, 10},
        WallRow{"top_wall_touched_exactly", 1000, 1000, 500, 69.75379180908203f, 0, -8, 500, kR1, 0, 8},
        WallRow{"top_wall_missed", 1000, 1000, 500, 69.75379180908203f, 0, -7.5f, 500, 62.25379180908203f, 0,
                -7.5f},
        WallRow{"overlapping_left_wall_moving_away", 1000, 1000, 30, 500, 5, 0, kR1, 500, -5, 0},
        WallRow{"wider_than_the_box", 100, 1000, 50, 500, 3, 0, kR1, 500, 3, 0},
        WallRow{"box_not_set_yet", 0, 0, 400, 300, 7, -9, kR1, kR1, 7, -9}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST_F(EngineTest, WallTestIgnoresTheDirectionOfMotion) {
    eng.MaxX = 1000;
    CBowl& b = Add(1, 30, 500, 5, 0);
    eng.Advance();
    EXPECT_EQ(b.x, kR1);
    EXPECT_EQ(b.Vx, -5.0f);
    eng.Advance(); // moved to r - 5, inside the wall zone again
    EXPECT_EQ(b.x, kR1);
    EXPECT_EQ(b.Vx, 5.0f);
}

TEST_F(EngineTest, ForwardThenBackReturnsAFreeBowlUpToRounding) {
    CBowl& b = Add(3, 1000.3f, 2000.7f, 12.1f, -33.3f);
    eng.Advance();
    eng.Reverse();
    // Two roundings per coordinate, each at most half a unit in the last place.
    EXPECT_NEAR(b.x, 1000.3f, 1000.3f * FLT_EPSILON);
    EXPECT_NEAR(b.y, 2000.7f, 2000.7f * FLT_EPSILON);
    EXPECT_EQ(b.Vx, 12.1f);
    EXPECT_EQ(b.Vy, -33.3f);
    EXPECT_EQ(eng.t, 0);
}

TEST_F(EngineTest, BackStepAfterAWallBounceEndsClampedWithTheOldVelocity) {
    eng.MaxX = 1000;
    eng.MaxY = 1000;
    CBowl& b = Add(1, 930, 500, 10, 0);
    eng.Advance();
    ASSERT_EQ(b.x, 938.2462158203125f);
    eng.Reverse(); // to 948.2462158203125, inside the wall zone: clamped and turned again
    EXPECT_EQ(b.x, 938.2462158203125f);
    EXPECT_EQ(b.Vx, 10.0f);
}

TEST_F(EngineTest, BackStepAtZeroGoesNegative) {
    eng.Reverse();
    EXPECT_EQ(eng.t, -1);
    eng.Reverse();
    EXPECT_EQ(eng.t, -2);
    eng.Advance();
    EXPECT_EQ(eng.t, -1);
}

TEST_F(EngineTest, StepOfAnEmptyEngineOnlyCompletes) {
    eng.Advance();
    EXPECT_EQ(rec.Trace(), "C");
    EXPECT_EQ(rec.events[0].t, 1);
    EXPECT_EQ(eng.t, 1);
}

TEST_F(EngineTest, StepRaisesStepPerBowlInOrderThenCompletesWithTheNewCount) {
    Add(1, 1000, 1000, 5, 0);
    Add(2, 3000, 1000, 0, 5);
    Add(3, 5000, 2000, -5, -5);
    eng.Advance();
    EXPECT_EQ(rec.Trace(), "S1 S2 S3 C");
    EXPECT_EQ(rec.events[0].t, 0); // the step is counted only when done
    EXPECT_EQ(rec.events[0].b1.x, 1005.0f); // Step sees the moved bowl
    EXPECT_EQ(rec.events[3].t, 1);

    rec.Clear();
    eng.Reverse();
    EXPECT_EQ(rec.Trace(), "S1 S2 S3 C");
    EXPECT_EQ(rec.events[0].b1.x, 1000.0f);
    EXPECT_EQ(rec.events[3].t, 0);
}

TEST_F(EngineTest, BowlsMoveOneAtATimeInCollectionOrder) {
    // While bowl 1 is stepped, bowl 2 has not moved yet; when bowl 2 is
    // stepped, bowl 1 already has.
    struct Peek : IEngineListener {
        CEnvEng* e = nullptr;
        std::vector<float> otherX;
        void Step(const CBowl& b) override { otherX.push_back(e->GetBowl(b.Id == 1 ? 2 : 1).x); }
    } peek;
    peek.e = &eng;
    Add(1, 1000, 1000, 5, 0);
    Add(1, 3000, 1000, 7, 0);
    eng.Attach(&peek);
    eng.Advance();
    eng.Detach(&peek);
    EXPECT_EQ(peek.otherX, (std::vector<float>{3000, 1005}));
}

// A bowl whose move overflows stops the step where it is.
TEST_F(EngineTest, FailingStepKeepsEarlierBowlsAndLeavesTheCounter) {
    eng.MaxX = FLT_MAX;
    eng.MaxY = FLT_MAX;
    CBowl& first = Add(1, 1000, 1000, 10, 0);
    CBowl& huge = Add(1, 3e38f, 2000, 3e38f, 0);
    CBowl& last = Add(1, 3000, 1000, 5, 5);
    eng.t = 7;

    EXPECT_VINTROP_ERROR(eng.Advance(), err::Overflow);
    EXPECT_EQ(first.x, 1010.0f);
    EXPECT_EQ(huge.x, 3e38f);
    EXPECT_EQ(last.x, 3000.0f);
    EXPECT_EQ(last.y, 1000.0f);
    EXPECT_EQ(eng.t, 7);
    EXPECT_EQ(rec.Trace(), "S1");

    // The engine is usable again: the bowl can be removed and stepping goes on.
    eng.RemoveBowl(2);
    rec.Clear();
    EXPECT_NO_THROW(eng.Advance());
    EXPECT_EQ(rec.Trace(), "S1 S3 C");
    EXPECT_EQ(eng.t, 8);
}

TEST_F(EngineTest, FailingBackStepBehavesTheSame) {
    eng.MaxX = FLT_MAX;
    eng.MaxY = FLT_MAX;
    Add(1, 1000, 1000, 10, 0);
    Add(1, -3e38f, 2000, 3e38f, 0);
    EXPECT_VINTROP_ERROR(eng.Reverse(), err::Overflow);
    EXPECT_EQ(eng.GetBowl(1).x, 990.0f);
    EXPECT_EQ(eng.t, 0);
    EXPECT_EQ(rec.Count(testing::Event::Completed), 0);
}

TEST_F(EngineTest, ClockTickHandsTheStepErrorToItsCaller) {
    eng.MaxX = FLT_MAX;
    eng.MaxY = FLT_MAX;
    Add(1, 3e38f, 2000, 3e38f, 0);
    eng.sPlay();
    EXPECT_VINTROP_ERROR(clock.Tick(), err::Overflow);
    EXPECT_EQ(eng.t, 0);
}

TEST_F(EngineTest, CounterReachesBothEndsOfItsRange) {
    Add(1, 1000, 1000, 1, 0);
    eng.t = std::numeric_limits<int32_t>::max() - 1;
    EXPECT_NO_THROW(eng.Advance());
    EXPECT_EQ(eng.t, std::numeric_limits<int32_t>::max());

    eng.t = std::numeric_limits<int32_t>::min() + 1;
    EXPECT_NO_THROW(eng.Reverse());
    EXPECT_EQ(eng.t, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(rec.Count(testing::Event::Completed), 2);
}

TEST_F(EngineTest, CounterOverflowIsAnErrorAndRaisesNoCompletion) {
    Add(1, 1000, 1000, 1, 0);
    eng.t = std::numeric_limits<int32_t>::max();
    EXPECT_VINTROP_ERROR(eng.Advance(), err::Overflow);
    EXPECT_EQ(eng.t, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(rec.Count(testing::Event::Completed), 0);

    eng.t = std::numeric_limits<int32_t>::min();
    EXPECT_VINTROP_ERROR(eng.Reverse(), err::Overflow);
    EXPECT_EQ(eng.t, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(rec.Count(testing::Event::Completed), 0);
}

} // namespace
} // namespace vintrop
