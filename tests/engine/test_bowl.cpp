// CBowl on its own: the radius rule, the initial/current pairs, the moves and
// the contact set.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "bowl.h"
#include "engine_support.h"
#include "vintroperror.h"

namespace vintrop {
namespace {

using testing::Bits;

struct RadiusRow {
    const char* situation;
    float mass;
    double radius; // twips, to the five decimals the worked values give
};

class RadiusOfMass : public ::testing::TestWithParam<RadiusRow> {};

TEST_P(RadiusOfMass, FollowsTheCubeRootRuleWithConstant314) {
    const RadiusRow& row = GetParam();
    CBowl b;
    b.SetM(row.mass);
    EXPECT_EQ(b.M(), row.mass);
    // 5e-6 tells 3.14 from pi apart: with pi the radius of mass 1 is 61.764.
    EXPECT_NEAR(b.r(), row.radius, 5e-6 * std::max(1.0, row.radius / 100));
    EXPECT_EQ(Bits(RadiusOf(row.mass)), Bits(b.r()));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, RadiusOfMass,
    ::testing::Values(RadiusRow{"unit_mass", 1, 61.75379}, RadiusRow{"mass_2", 2, 77.80490},
                      RadiusRow{"mass_10", 10, 133.04451}, RadiusRow{"mass_100", 100, 286.63571},
                      RadiusRow{"mass_1000", 1000, 617.53790}, RadiusRow{"zero_mass", 0, 0.0},
                      RadiusRow{"largest_16_bit_mass", 32767, 1976.10132}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST(Bowl, NewBowlIsAllZeroWithNoContacts) {
    CBowl b;
    EXPECT_EQ(b.Id, 0);
    EXPECT_EQ(b.Color, 0);
    EXPECT_EQ(b.M(), 0.0f);
    EXPECT_EQ(b.r(), 0.0f);
    EXPECT_EQ(b.x, 0.0f);
    EXPECT_EQ(b.Vyo(), 0.0f);
    for (int16_t idx : {int16_t(-1), int16_t(0), int16_t(1), int16_t(7), int16_t(32767)})
        EXPECT_FALSE(b.ExistCollision(idx)) << idx;
    EXPECT_TRUE(b.Contacts().empty());
}

TEST(Bowl, NegativeMassIsStoredButKeepsTheRadiusAndThrows) {
    CBowl b;
    b.SetM(1);
    const float before = b.r();
    EXPECT_VINTROP_ERROR(b.SetM(-1), err::InvalidCall);
    EXPECT_EQ(b.M(), -1.0f);
    EXPECT_EQ(Bits(b.r()), Bits(before));
    EXPECT_VINTROP_ERROR(RadiusOf(-0.5f), err::InvalidCall);
}

TEST(Bowl, InitialSettersOverwriteTheCurrentStateButNotTheOtherWayRound) {
    CBowl b;
    b.SetXo(100);
    b.SetYo(200);
    b.SetVxo(3);
    b.SetVyo(-4);
    EXPECT_EQ(b.x, 100.0f);
    EXPECT_EQ(b.y, 200.0f);
    EXPECT_EQ(b.Vx, 3.0f);
    EXPECT_EQ(b.Vy, -4.0f);

    b.Advance();
    EXPECT_EQ(b.x, 103.0f);
    EXPECT_EQ(b.y, 196.0f);
    EXPECT_EQ(b.Xo(), 100.0f);
    EXPECT_EQ(b.Yo(), 200.0f);

    b.Vx = 9;
    EXPECT_EQ(b.Vxo(), 3.0f);
}

TEST(Bowl, ReverseUndoesAdvanceUpToFloatRounding) {
    CBowl b;
    b.SetXo(1234.567f);
    b.SetYo(0.1f);
    b.SetVxo(0.3f);
    b.SetVyo(-77.7f);
    b.Advance();
    b.Reverse();
    // One rounding per move and coordinate: at most one unit in the last place.
    EXPECT_NEAR(b.x, 1234.567f, 1234.567f * std::numeric_limits<float>::epsilon());
    EXPECT_NEAR(b.y, 0.1f, 77.7f * std::numeric_limits<float>::epsilon());
    EXPECT_EQ(b.Vx, 0.3f);
    EXPECT_EQ(b.Vy, -77.7f);
}

TEST(Bowl, AdvanceThatOverflowsThrowsAndStoresNoInfinity) {
    CBowl b;
    b.SetXo(3e38f);
    b.SetYo(10);
    b.SetVxo(3e38f);
    b.SetVyo(1);
    EXPECT_VINTROP_ERROR(b.Advance(), err::Overflow);
    EXPECT_EQ(b.x, 3e38f);
    EXPECT_TRUE(std::isfinite(b.y));

    b.SetVxo(-3e38f);
    b.SetXo(-3e38f);
    EXPECT_VINTROP_ERROR(b.Advance(), err::Overflow);
    EXPECT_EQ(b.x, -3e38f);

    b.SetXo(-3e38f);
    b.SetVxo(3e38f);
    EXPECT_VINTROP_ERROR(b.Reverse(), err::Overflow);
    EXPECT_EQ(b.x, -3e38f);
}

TEST(Bowl, ManualAdvanceMovesAlongTheVelocityDirection) {
    CBowl b;
    b.SetXo(100);
    b.SetYo(100);
    b.SetVxo(3);
    b.SetVyo(4);
    b.ManualAdvance(-5);
    EXPECT_FLOAT_EQ(b.x, 97);
    EXPECT_FLOAT_EQ(b.y, 96);
    b.ManualAdvance(10);
    EXPECT_FLOAT_EQ(b.x, 103);
    EXPECT_FLOAT_EQ(b.y, 104);
    EXPECT_EQ(b.Vx, 3.0f);
    EXPECT_EQ(b.Vy, 4.0f);
}

TEST(Bowl, ManualAdvanceAlongOneAxisLeavesTheOtherCoordinate) {
    CBowl b;
    b.SetXo(50);
    b.SetYo(60);
    b.SetVyo(-2);
    b.ManualAdvance(7);
    EXPECT_EQ(b.x, 50.0f);
    EXPECT_EQ(b.y, 53.0f);
}

TEST(Bowl, ManualAdvanceAtRestDoesNothingAndReportsNothing) {
    CBowl b;
    b.SetXo(50);
    b.SetYo(60);
    EXPECT_NO_THROW(b.ManualAdvance(-40));
    EXPECT_EQ(b.x, 50.0f);
    EXPECT_EQ(b.y, 60.0f);
}

TEST(Bowl, ManualAdvanceThatWouldOverflowKeepsTheCoordinate) {
    CBowl b;
    b.SetXo(3e38f);
    b.SetYo(5);
    b.SetVxo(1);
    b.SetVyo(1);
    EXPECT_NO_THROW(b.ManualAdvance(1e39));
    EXPECT_EQ(b.x, 3e38f); // would be infinite: left as it was
    EXPECT_EQ(b.y, 5.0f);  // would be infinite as well
    EXPECT_NO_THROW(b.ManualAdvance(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(b.x, 3e38f);
    EXPECT_EQ(b.y, 5.0f);
}

TEST(BowlContacts, AddIsIdempotentAndOneRemoveForgetsThePosition) {
    CBowl b;
    b.AddCollision(3);
    b.AddCollision(3);
    EXPECT_TRUE(b.ExistCollision(3));
    b.RemoveCollision(3);
    EXPECT_FALSE(b.ExistCollision(3));
    EXPECT_NO_THROW(b.RemoveCollision(3));
    EXPECT_NO_THROW(b.RemoveCollision(12));
}

TEST(BowlContacts, KeepsPositionsSortedAndClearEmptiesThem) {
    CBowl b;
    for (int16_t idx : {int16_t(9), int16_t(2), int16_t(30), int16_t(2), int16_t(5)}) b.AddCollision(idx);
    EXPECT_EQ(b.Contacts(), (std::vector<int16_t>{2, 5, 9, 30}));
    EXPECT_FALSE(b.ExistCollision(3));
    b.ClearCollision();
    EXPECT_TRUE(b.Contacts().empty());
    EXPECT_FALSE(b.ExistCollision(2));
}

struct ShiftRow {
    const char* situation;
    std::vector<int16_t> before;
    int16_t removed;
    std::vector<int16_t> after;
};

class ContactsAfterRemoval : public ::testing::TestWithParam<ShiftRow> {};

TEST_P(ContactsAfterRemoval, DropTheRemovedPositionAndShiftHigherOnesDown) {
    const ShiftRow& row = GetParam();
    CBowl b;
    for (int16_t idx : row.before) b.AddCollision(idx);
    b.ShiftContactsAfterRemoval(row.removed);
    EXPECT_EQ(b.Contacts(), row.after);
    for (int16_t idx : row.after) EXPECT_TRUE(b.ExistCollision(idx)) << idx;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ContactsAfterRemoval,
    ::testing::Values(ShiftRow{"removed_one_is_held", {1, 3, 5}, 3, {1, 4}},
                      ShiftRow{"removed_one_not_held", {1, 5}, 3, {1, 4}},
                      ShiftRow{"all_below", {1, 2}, 7, {1, 2}},
                      ShiftRow{"all_above", {4, 6}, 1, {3, 5}},
                      ShiftRow{"only_the_removed", {2}, 2, {}},
                      ShiftRow{"empty", {}, 1, {}}),
    [](const auto& info) { return std::string(info.param.situation); });

} // namespace
} // namespace vintrop
