// Pair checks: the integer-stepped distance, the contact threshold and its
// release, the push-back, both responses and what they conserve.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "engine_support.h"

namespace vintrop {
namespace {

using testing::BowlState;
using testing::EngineTest;
using testing::Event;

CBowl At(float x, float y) {
    CBowl b;
    b.SetXo(x);
    b.SetYo(y);
    return b;
}

struct DistRow {
    const char* situation;
    float dx, dy;
    double relDist;
};

class RelDistRows : public ::testing::TestWithParam<DistRow> {};

TEST_P(RelDistRows, IsTheWholePartOfTheDistancePlusOne) {
    const DistRow& row = GetParam();
    const CBowl a = At(1000, 2000);
    const CBowl b = At(1000 + row.dx, 2000 + row.dy);
    EXPECT_EQ(CEnvEng::RelDist(a, b), row.relDist);
    EXPECT_EQ(CEnvEng::RelDist(b, a), row.relDist);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RelDistRows,
    ::testing::Values(DistRow{"fraction_below_100", 99.25f, 0, 100}, DistRow{"exactly_100", 100, 0, 101},
                      DistRow{"vertical", 0, -122.75f, 123}, DistRow{"three_four_five", 30, 40, 51},
                      DistRow{"same_centre", 0, 0, 1}, DistRow{"under_one", 0.5f, 0, 1}),
    [](const auto& info) { return std::string(info.param.situation); });

// --- contact threshold -------------------------------------------------

struct ThresholdRow {
    const char* situation;
    float apart; // twips between two bowls of mass 1 at rest (sum of radii 123.5076)
    bool collides;
};

class ContactThreshold : public EngineTest, public ::testing::WithParamInterface<ThresholdRow> {};

TEST_P(ContactThreshold, PairCollidesWhenCloserThanTheSumOfRadiiRoundedDown) {
    const ThresholdRow& row = GetParam();
    Add(1, 1000, 1000);
    Add(1, 1000 + row.apart, 1000);
    eng.Advance();
    EXPECT_EQ(rec.Count(Event::Before), row.collides ? 1 : 0);
    EXPECT_EQ(eng.GetBowl(1).ExistCollision(2), row.collides);
    EXPECT_EQ(eng.GetBowl(2).ExistCollision(1), row.collides);
}

INSTANTIATE_TEST_SUITE_P(Rows, ContactThreshold,
                         ::testing::Values(ThresholdRow{"apart_122_9", 122.9f, true},
                                           ThresholdRow{"apart_123_0", 123.0f, false},
                                           ThresholdRow{"apart_122_0", 122.0f, true},
                                           ThresholdRow{"apart_just_the_sum", 123.5f, false},
                                           ThresholdRow{"far_apart", 500.0f, false}),
                         [](const auto& info) { return std::string(info.param.situation); });

class ContactRelease : public EngineTest, public ::testing::WithParamInterface<ThresholdRow> {};

TEST_P(ContactRelease, PairInContactIsReleasedOnceApartByTheSumRoundedDown) {
    const ThresholdRow& row = GetParam(); // collides = stays in contact here
    CBowl& a = Add(1, 1000, 1000);
    CBowl& b = Add(1, 1000 + row.apart, 1000);
    a.AddCollision(2);
    b.AddCollision(1);
    eng.Advance();
    EXPECT_EQ(a.ExistCollision(2), row.collides);
    EXPECT_EQ(b.ExistCollision(1), row.collides);
    EXPECT_EQ(rec.Count(Event::Before), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ContactRelease,
                         ::testing::Values(ThresholdRow{"apart_122_9_stays", 122.9f, true},
                                           ThresholdRow{"apart_123_0_released", 123.0f, false},
                                           ThresholdRow{"overlapping_stays", 40.0f, true}),
                         [](const auto& info) { return std::string(info.param.situation); });

TEST_F(EngineTest, CollisionFoundWhileSteppingIsReportedOnceInOrder) {
    Add(1, 1000, 1000);
    Add(1, 1122.9f, 1000);
    Add(5, 4000, 3000, 1, 1);
    eng.Advance();
    EXPECT_EQ(rec.Trace(), "B1-2 A1-2 S1 S2 S3 C");
    EXPECT_EQ(rec.events[0].t, 0);

    rec.Clear();
    eng.Advance(); // still overlapping: skipped from both sides
    EXPECT_EQ(rec.Trace(), "S1 S2 S3 C");
}

// Bowl 1 moves across the line of centres into bowl 2, so the push-back
// along its own path leaves the pair overlapping (88 apart against a sum of
// radii of 123.5) and they part slowly along the line of centres.
TEST_F(EngineTest, OverlappingPairIsNotExchangedBackAndMeetsAgainAfterRelease) {
    CBowl& a = Add(1, 1000, 1000, 0, 1);
    CBowl& b = Add(1, 1050, 1000);
    eng.Advance();
    ASSERT_EQ(rec.Count(Event::Before), 1);
    ASSERT_TRUE(a.ExistCollision(2) && b.ExistCollision(1)) << "the test needs the pair to stay overlapping";
    EXPECT_LT(std::hypot(b.x - a.x, b.y - a.y), 100.0);

    int steps = 0;
    while (a.ExistCollision(2) && steps < 200) {
        eng.Advance();
        ++steps;
        EXPECT_EQ(a.ExistCollision(2), b.ExistCollision(1)) << "contact is symmetric";
    }
    EXPECT_GT(steps, 10); // overlapping for many steps...
    EXPECT_EQ(rec.Count(Event::Before), 1); // ...without being exchanged back
    EXPECT_FALSE(b.ExistCollision(1));
    EXPECT_GE(std::hypot(b.x - a.x, b.y - a.y), 123.0);

    // Send bowl 2 straight back at bowl 1: a new collision.
    const double dx = a.x - b.x, dy = a.y - b.y, d = std::hypot(dx, dy);
    a.Vx = a.Vy = 0;
    b.Vx = static_cast<float>(5 * dx / d);
    b.Vy = static_cast<float>(5 * dy / d);
    for (int i = 0; i < 10 && rec.Count(Event::Before) == 1; ++i) eng.Advance();
    EXPECT_EQ(rec.Count(Event::Before), 2);
}

TEST_F(EngineTest, PushBackIsAlongTheOwnPathByTheSumOfRadiiMinusTheSteppedDistance) {
    Add(1, 1000, 1000, 30, 40);
    Add(1, 1100, 1100);
    eng.Advance();
    ASSERT_EQ(rec.Count(Event::Before), 1);
    // After the move the bowl is at (1030, 1040), 92.2 from the other: stepped
    // distance 93, so it goes back 123.5076 - 93 = 30.5076 along (0.6, 0.8).
    const BowlState& b1 = rec.events[0].b1;
    EXPECT_FLOAT_EQ(b1.x, 1011.6954345703125f); // 1030 - 0.6 * 30.5076
    EXPECT_FLOAT_EQ(b1.y, 1015.5939331054688f); // 1040 - 0.8 * 30.5076
    EXPECT_EQ(rec.events[0].b2.x, 1100.0f); // only the stepped bowl is pushed back
    EXPECT_EQ(rec.events[0].b2.y, 1100.0f);
}

TEST_F(EngineTest, BackStepPushesBackForwardAlongTheVelocity) {
    Add(1, 1000, 1000, -30, -40);
    Add(1, 1100, 1100);
    eng.Reverse(); // the mirror of the forward case above: lands on the same point
    ASSERT_EQ(rec.Count(Event::Before), 1);
    EXPECT_FLOAT_EQ(rec.events[0].b1.x, 1011.6954345703125f);
    EXPECT_FLOAT_EQ(rec.events[0].b1.y, 1015.5939331054688f);
    EXPECT_EQ(eng.t, -1);
}

// --- responses: worked examples ----------------------------------------

struct ResponseRow {
    const char* situation;
    int16_t central; // -1 central, 0 non-central
    int16_t m1, m2;
    float x1, y1, vx1, vy1, x2, y2;                 // b2 starts at rest
    float ex1, ey1;                                 // b1 where the response sees it
    float evx1, evy1, evx2, evy2;                   // velocities afterwards
};

class WorkedResponse : public EngineTest, public ::testing::WithParamInterface<ResponseRow> {};

TEST_P(WorkedResponse, GivesTheExactVelocities) {
    const ResponseRow& row = GetParam();
    eng.CentralCollision(row.central);
    Add(row.m1, row.x1, row.y1, row.vx1, row.vy1);
    Add(row.m2, row.x2, row.y2);
    eng.Advance();
    ASSERT_EQ(rec.Trace().substr(0, 9), "B1-2 A1-2");
    EXPECT_EQ(rec.events[0].b1.x, row.ex1);
    EXPECT_EQ(rec.events[0].b1.y, row.ey1);
    const Event& after = rec.events[1];
    EXPECT_EQ(after.b1.Vx, row.evx1);
    EXPECT_EQ(after.b1.Vy, row.evy1);
    EXPECT_EQ(after.b2.Vx, row.evx2);
    EXPECT_EQ(after.b2.Vy, row.evy2);
    EXPECT_EQ(after.b2.x, row.x2); // the response moves nobody
}

// The non-central row starts b1 where move plus push-back (stepped distance
// 83) put it exactly on (200, 200), 100 left of b2, as in the worked example.
INSTANTIATE_TEST_SUITE_P(
    Rows, WorkedResponse,
    ::testing::Values(
        ResponseRow{"central_equal_masses", -1, 1, 1, 1000, 1000, 5, 0, 1120, 1000, 997.492431640625f, 1000, 0, 0, 5, 0},
        ResponseRow{"central_light_hits_three_times_heavier", -1, 1, 3, 1000, 1000, 4, 0, 1140, 1000,
                    990.1818237304688f, 1000, -2, 0, 2, 0},
        ResponseRow{"noncentral_along_x_same_as_central", 0, 1, 3, 1000, 1000, 4, 0, 1140, 1000,
                    990.1818237304688f, 1000, -2, 0, 2, 0},
        ResponseRow{"noncentral_oblique_equal_masses", 0, 1, 1, 221.30455017089844f, 228.40606689453125f, 3, 4, 300,
                    200, 200, 200, 0, 4, 3, 0}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST_F(EngineTest, EnergyAndMomentumOfTheWorkedCentralExample) {
    eng.CentralCollision(-1);
    CBowl& a = Add(1, 1000, 1000, 4, 0);
    CBowl& b = Add(3, 1140, 1000);
    EXPECT_EQ(eng.EnCinTot(), 8.0);
    eng.Advance();
    EXPECT_EQ(eng.EnCinTot(), 8.0);
    EXPECT_EQ(a.M() * a.Vx + b.M() * b.Vx, 4.0f);
}

// --- coincident centres --------------------------------------------------

struct CoincidentRow {
    const char* situation;
    int16_t m1, m2;
    float vx2, vy2;
};

class CoincidentCentres : public ::testing::TestWithParam<CoincidentRow> {};

// A bowl at rest is not pushed back, so it meets the other with the centres
// on the same point; the non-central response falls back to the central one.
TEST_P(CoincidentCentres, NonCentralFallsBackToCentralWithoutNaN) {
    const CoincidentRow& row = GetParam();
    BowlState result[2];
    for (int16_t mode : {int16_t(0), int16_t(-1)}) {
        ManualClock clock;
        CEnvEng e;
        e.init(clock);
        e.MaxX = 8085;
        e.MaxY = 4230;
        e.CentralCollision(mode);
        CBowl& a = e.AddBowl(row.m1, 2000, 2000, 0, 0);
        CBowl& b = e.AddBowl(row.m2, 2000, 2000, row.vx2, row.vy2);
        e.Advance();
        for (float v : {a.x, a.y, a.Vx, a.Vy, b.x, b.y, b.Vx, b.Vy}) EXPECT_TRUE(std::isfinite(v));
        result[mode == 0 ? 0 : 1] = BowlState::Of(a);
        EXPECT_TRUE(std::isfinite(e.EnCinTot()));
    }
    EXPECT_EQ(result[0].Vx, result[1].Vx);
    EXPECT_EQ(result[0].Vy, result[1].Vy);
}

INSTANTIATE_TEST_SUITE_P(Rows, CoincidentCentres,
                         ::testing::Values(CoincidentRow{"unequal_masses", 1, 2, 5, 3},
                                           CoincidentRow{"equal_masses", 4, 4, -7, 2},
                                           CoincidentRow{"both_at_rest", 1, 1, 0, 0},
                                           CoincidentRow{"massless_bowl", 0, 1, 6, -6}),
                         [](const auto& info) { return std::string(info.param.situation); });

TEST(Collision, TwoMasslessBowlsNeverCollide) {
    ManualClock clock;
    CEnvEng e;
    e.init(clock);
    e.MaxX = 8085;
    e.MaxY = 4230;
    testing::Recorder rec(&e);
    e.Attach(&rec);
    e.AddBowl(0, 2000, 2000, 0, 0);
    e.AddBowl(0, 2000, 2000, 3, 0);
    e.Advance();
    EXPECT_EQ(rec.Count(Event::Before), 0);
}

// --- conservation over random pairs ---------------------------------------

// Each case puts b2 at 0.7 of the sum of radii from b1 and sends b1 towards
// it within 0.5 rad of the line of centres at up to 80 twips per step, so the
// pair always collides while b1 is stepped. Totals are compared between the
// BeforeCollision and AfterCollision snapshots.
class RandomPairs : public ::testing::TestWithParam<int16_t> {};

TEST_P(RandomPairs, ConserveMomentumAndEnergy) {
    const int16_t mode = GetParam();
    std::mt19937 gen(mode == 0 ? 1234u : 5678u);
    std::uniform_int_distribution<int> mass(1, 2000);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double pi = std::acos(-1.0);

    for (int i = 0; i < 500; ++i) {
        const int16_t m1 = static_cast<int16_t>(i % 50 == 0 ? 32767 : mass(gen));
        const int16_t m2 = static_cast<int16_t>(mass(gen));
        const double theta = 2 * pi * unit(gen);
        const double phi = unit(gen) - 0.5;
        const double speed1 = 1 + 79 * unit(gen);
        const float vx2 = static_cast<float>(160 * unit(gen) - 80);
        const float vy2 = static_cast<float>(160 * unit(gen) - 80);

        ManualClock clock;
        CEnvEng e;
        e.init(clock);
        e.MaxX = 100000;
        e.MaxY = 100000;
        e.CentralCollision(mode);
        testing::Recorder rec(&e);
        e.Attach(&rec);
        CBowl& a = e.AddBowl(m1, 50000, 50000, static_cast<float>(speed1 * std::cos(theta + phi)),
                             static_cast<float>(speed1 * std::sin(theta + phi)));
        const double apart = 0.7 * (a.r() + RadiusOf(m2));
        e.AddBowl(m2, static_cast<float>(50000 + apart * std::cos(theta)),
                  static_cast<float>(50000 + apart * std::sin(theta)), vx2, vy2);
        e.Advance();

        ASSERT_GE(rec.events.size(), 2u) << "case " << i;
        ASSERT_EQ(rec.events[0].kind, Event::Before) << "case " << i;
        const BowlState& p = rec.events[0].b1;
        const BowlState& q = rec.events[0].b2;
        const BowlState& p2 = rec.events[1].b1;
        const BowlState& q2 = rec.events[1].b2;
        for (float v : {p2.Vx, p2.Vy, q2.Vx, q2.Vy}) ASSERT_TRUE(std::isfinite(v)) << "case " << i;

        const double M1 = p.M, M2 = q.M;
        const double px = M1 * p.Vx + M2 * q.Vx, py = M1 * p.Vy + M2 * q.Vy;
        const double px2 = M1 * p2.Vx + M2 * q2.Vx, py2 = M1 * p2.Vy + M2 * q2.Vy;
        const double energy = 0.5 * M1 * (p.Vx * p.Vx + p.Vy * p.Vy) + 0.5 * M2 * (q.Vx * q.Vx + q.Vy * q.Vy);
        const double energy2 =
            0.5 * M1 * (p2.Vx * p2.Vx + p2.Vy * p2.Vy) + 0.5 * M2 * (q2.Vx * q2.Vx + q2.Vy * q2.Vy);
        // Each stored component is rounded to a float (relative error 6e-8);
        // totals are compared against the sum of the magnitudes involved with
        // a margin of about 15 times that.
        const double scale = M1 * (std::hypot(p.Vx, p.Vy) + std::hypot(p2.Vx, p2.Vy)) +
                             M2 * (std::hypot(q.Vx, q.Vy) + std::hypot(q2.Vx, q2.Vy));
        EXPECT_NEAR(px2, px, 1e-6 * scale) << "case " << i;
        EXPECT_NEAR(py2, py, 1e-6 * scale) << "case " << i;
        EXPECT_NEAR(energy2, energy, 1e-6 * energy + 1e-9) << "case " << i;

        if (mode == 0) {
            // The textbook vector form of an elastic impact along the line
            // of centres n: v1' = v1 - 2 m2 / (m1 + m2) ((v1 - v2) . n) n.
            const double dx = double(q.x) - p.x, dy = double(q.y) - p.y, d = std::hypot(dx, dy);
            const double nx = dx / d, ny = dy / d;
            const double k = ((double(p.Vx) - q.Vx) * nx + (double(p.Vy) - q.Vy) * ny) * 2 / (M1 + M2);
            const double tol = 1e-6 * (std::hypot(p.Vx, p.Vy) + std::hypot(q.Vx, q.Vy));
            EXPECT_NEAR(p2.Vx, p.Vx - M2 * k * nx, tol) << "case " << i;
            EXPECT_NEAR(p2.Vy, p.Vy - M2 * k * ny, tol) << "case " << i;
            EXPECT_NEAR(q2.Vx, q.Vx + M1 * k * nx, tol) << "case " << i;
            EXPECT_NEAR(q2.Vy, q.Vy + M1 * k * ny, tol) << "case " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, RandomPairs, ::testing::Values(int16_t(-1), int16_t(0)),
                         [](const auto& info) { return info.param ? "central" : "noncentral"; });

} // namespace
} // namespace vintrop
