// Where a bowl may be placed: the rules in their order, each wall's exact
// boundary, touching another bowl, and the bowl being moved.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>

#include "engine_support.h"
#include "placement.h"
#include "vintroperror.h"

namespace vintrop {
namespace {

// A box of 1000 x 800 twips; a bowl of mass 1 has the whole radius 62.
class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        eng.init(clock);
        eng.MaxX = 1000;
        eng.MaxY = 800;
    }
    PlacementRule Broken(double mass, double x, double y, int moving = 0) const {
        return CheckPlacement(eng, mass, x, y, moving).broken;
    }

    ManualClock clock;
    CEnvEng eng;
};

struct WallRow {
    const char* situation;
    double x, y;
    PlacementRule broken;
};

class WallBoundary : public Placement, public ::testing::WithParamInterface<WallRow> {};

TEST_P(WallBoundary, ABowlMayTouchAWallButNotCrossIt) {
    const WallRow& row = GetParam();
    EXPECT_EQ(Broken(1, row.x, row.y), row.broken);
}

INSTANTIATE_TEST_SUITE_P(
    MassOne, WallBoundary,
    ::testing::Values(WallRow{"touching_the_left_wall", 62, 400, PlacementRule::None},
                      WallRow{"one_past_the_left_wall", 61, 400, PlacementRule::LeftWall},
                      WallRow{"touching_the_right_wall", 938, 400, PlacementRule::None},
                      WallRow{"one_past_the_right_wall", 939, 400, PlacementRule::RightWall},
                      WallRow{"touching_the_top_wall", 500, 62, PlacementRule::None},
                      WallRow{"one_past_the_top_wall", 500, 61, PlacementRule::TopWall},
                      WallRow{"touching_the_bottom_wall", 500, 738, PlacementRule::None},
                      WallRow{"one_past_the_bottom_wall", 500, 739, PlacementRule::BottomWall},
                      WallRow{"a_fraction_past_the_left_wall", 61.5, 400, PlacementRule::LeftWall},
                      WallRow{"in_a_corner_the_x_walls_come_first", 0, 0, PlacementRule::LeftWall},
                      WallRow{"past_right_and_bottom_right_first", 990, 790, PlacementRule::RightWall}),
    [](const ::testing::TestParamInfo<WallRow>& info) { return std::string(info.param.situation); });

TEST_F(Placement, TheMassMustBeAboveZeroAndIsCheckedFirst) {
    EXPECT_EQ(Broken(0, -5000, -5000), PlacementRule::PositiveMass);
    EXPECT_EQ(Broken(-1, 500, 400), PlacementRule::PositiveMass);   // no radius needed, no error
    EXPECT_EQ(Broken(std::nan(""), 500, 400), PlacementRule::PositiveMass);
    EXPECT_EQ(Broken(1, 500, 400), PlacementRule::None);
}

TEST_F(Placement, ABowlWiderThanTheBoxBreaksTheRightWallFirst) {
    eng.MaxX = 100;
    EXPECT_EQ(Broken(1, 50, 400), PlacementRule::RightWall);
}

TEST_F(Placement, WallsUseTheExactRadiusRoundedOnce) {
    // Mass 21967 has the radius 1729.49995: stored as a float it would read
    // 1729.5 and round to 1730, one twip more than the walls allow for.
    EXPECT_EQ(WholeRadiusOf(21967), 1729);
    EXPECT_EQ(WholeRadiusOf(22816), 1751);   // 1751.49999
    EXPECT_EQ(WholeRadiusOf(1), 62);
    EXPECT_EQ(WholeRadiusOf(10), 133);
    EXPECT_EQ(WholeRadiusOf(0), 0);
    EXPECT_VINTROP_ERROR(WholeRadiusOf(-1), err::InvalidCall);
    eng.MaxX = 8000;
    eng.MaxY = 8000;
    EXPECT_EQ(Broken(21967, 1729, 4000), PlacementRule::None);
    EXPECT_EQ(Broken(21967, 1728, 4000), PlacementRule::LeftWall);
    EXPECT_EQ(Broken(21967, 8000 - 1729, 4000), PlacementRule::None);
    EXPECT_EQ(Broken(21967, 8000 - 1728, 4000), PlacementRule::RightWall);
}

TEST_F(Placement, TouchingAnotherBowlCountsAsOverlapping) {
    // Mass 1 and mass 398 have the radii 61.7537918 and 454.246216, whose
    // sum is 516 exactly. 515 twips apart RelDist is 516: they touch.
    eng.MaxX = 4000;
    eng.MaxY = 3000;
    eng.AddBowl(398, 1000, 1000, 0, 0);
    const PlacementCheck touching = CheckPlacement(eng, 1, 1515, 1000);
    EXPECT_EQ(touching.broken, PlacementRule::ClearOfBowls);
    EXPECT_EQ(touching.other, 1);
    EXPECT_EQ(Broken(1, 1516, 1000), PlacementRule::None);
    EXPECT_EQ(Broken(1, 1000, 485), PlacementRule::ClearOfBowls);   // from above, 515 apart
    EXPECT_EQ(Broken(1, 1000, 484), PlacementRule::None);
    EXPECT_EQ(Broken(1, 1000, 1000), PlacementRule::ClearOfBowls);   // the same centre
}

TEST_F(Placement, NamesTheFirstBowlInTheWayAndLeavesOutTheOneMoved) {
    eng.AddBowl(1, 200, 200, 0, 0);
    eng.AddBowl(1, 500, 400, 0, 0);
    eng.AddBowl(1, 560, 400, 0, 0);   // overlaps bowl 2
    const PlacementCheck both = CheckPlacement(eng, 1, 530, 400);
    EXPECT_EQ(both.broken, PlacementRule::ClearOfBowls);
    EXPECT_EQ(both.other, 2);
    // Bowl 2 moved a little: only bowl 3 is in its way.
    EXPECT_EQ(CheckPlacement(eng, 1, 530, 400, 2).other, 3);
    // Bowl 1 where it is, or near: nothing in its way but itself.
    EXPECT_EQ(Broken(1, 200, 200, 1), PlacementRule::None);
    EXPECT_EQ(Broken(1, 210, 200, 1), PlacementRule::None);
    EXPECT_EQ(Broken(1, 210, 200), PlacementRule::ClearOfBowls);
    // The walls come before the bowls.
    EXPECT_EQ(Broken(1, 939, 400), PlacementRule::RightWall);
}

TEST_F(Placement, AnOwnBoxKeepsTheLimitsAndEveryBowlWhereItStartsAndWhereItIs) {
    eng.AddBowl(1, 500, 400, 0, 0);    // whole radius 62
    eng.AddBowl(4, 600, 300, 0, 0);    // whole radius 98
    eng.GetBowl(1).x = 100;            // under way
    const std::pair<BoxSize, BoxCheck> rows[] = {
        {{698, 462}, {}},
        {{195.9f, 462}, {BoxRule::WidthLimits}},
        {{698, 16777218}, {BoxRule::HeightLimits}},
        {{698, 461}, {BoxRule::BowlOutside, 1}},
        {{697, 462}, {BoxRule::BowlOutside, 2}},
    };
    for (const auto& [box, want] : rows) {
        const BoxCheck got = CheckFixedBox(eng, box);
        EXPECT_EQ(got.broken, want.broken) << box.width << " x " << box.height;
        EXPECT_EQ(got.bowl, want.bowl) << box.width << " x " << box.height;
    }
    // Bowl 1 past the right wall where it starts, then where it is.
    eng.GetBowl(1).SetXo(700);
    eng.GetBowl(1).x = 100;
    EXPECT_EQ(CheckFixedBox(eng, {698, 462}).bowl, 1);
    eng.GetBowl(1).SetXo(100);
    eng.GetBowl(1).x = 700;
    EXPECT_EQ(CheckFixedBox(eng, {698, 462}).bowl, 1);
}

TEST_F(Placement, ADistanceBeyondTheFloatRangeIsTheOverflowError) {
    eng.MaxX = FLT_MAX;
    eng.MaxY = FLT_MAX;
    eng.AddBowl(1, FLT_MAX / 2 * 1.9f, FLT_MAX / 2 * 1.9f, 0, 0);
    EXPECT_VINTROP_ERROR(CheckPlacement(eng, 1, 100, 100), err::Overflow);
}

} // namespace
} // namespace vintrop
