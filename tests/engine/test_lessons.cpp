// What each teaching scenario in examples/ is there to show, checked on the
// file itself: it is read through the engine and run in the initial box, and
// the numbers its worksheet in examples/README.md points the students to
// (the swap, the right angle, the stop, the step where a bowl turns, the
// momentum sums and the energy) must come out as the worksheet says, and
// each file opens with the history and the colours its worksheet assumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "classroompalette.h"
#include "clock.h"
#include "engine_support.h"
#include "envengine.h"
#include "initialbox.h"

namespace vintrop {
namespace {

using testing::ReadExample;

struct Velocity {
    float x = 0, y = 0;
};

double Speed(Velocity v) { return std::hypot(static_cast<double>(v.x), static_cast<double>(v.y)); }

double Dot(Velocity a, Velocity b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y;
}

// Angle between two velocities, in degrees.
double AngleBetween(Velocity a, Velocity b) {
    return std::acos(Dot(a, b) / (Speed(a) * Speed(b))) * 180.0 / 3.14159265358979323846;
}

// One collision as the history window logs it: the step, the two bowls (B1
// the one being stepped), their masses, centres at the impact and
// velocities before and after, and the total kinetic energy once resolved.
struct Hit {
    int32_t t = 0;
    int16_t b1 = 0, b2 = 0;
    float m1 = 0, m2 = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Velocity v1, v2;   // before
    Velocity w1, w2;   // after
    double energy = 0; // every bowl, after the pair was resolved
    double energyBefore = 0;   // before it was: the history's status bar

    // The two momentum sums of the history's last columns.
    double SumX(bool after) const {
        return static_cast<double>(m1) * (after ? w1 : v1).x + static_cast<double>(m2) * (after ? w2 : v2).x;
    }
    double SumY(bool after) const {
        return static_cast<double>(m1) * (after ? w1 : v1).y + static_cast<double>(m2) * (after ? w2 : v2).y;
    }
    // What float rounding of the four velocity components may move a sum by.
    double SumTolerance() const { return 1e-6 * (m1 * (Speed(v1) + Speed(w1)) + m2 * (Speed(v2) + Speed(w2))); }
    // The bowl of mass m: its velocity before or after.
    Velocity Of(float m, bool after) const {
        if (m1 == m) return after ? w1 : v1;
        return after ? w2 : v2;
    }
};

class HitLog : public IEngineListener {
public:
    explicit HitLog(const CEnvEng& engine) : m_Engine(engine) {}
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override {
        m_Open.t = m_Engine.t;
        m_Open.b1 = b1.Id;
        m_Open.b2 = b2.Id;
        m_Open.m1 = b1.M();
        m_Open.m2 = b2.M();
        m_Open.x1 = b1.x, m_Open.y1 = b1.y, m_Open.x2 = b2.x, m_Open.y2 = b2.y;
        m_Open.v1 = {b1.Vx, b1.Vy};
        m_Open.v2 = {b2.Vx, b2.Vy};
        m_Open.energyBefore = m_Engine.EnCinTot();
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        m_Open.w1 = {b1.Vx, b1.Vy};
        m_Open.w2 = {b2.Vx, b2.Vy};
        m_Open.energy = m_Engine.EnCinTot();
        hits.push_back(m_Open);
    }
    std::vector<Hit> hits;

private:
    const CEnvEng& m_Engine;
    Hit m_Open;
};

// A lesson file loaded into an engine in the box the program starts with.
class Lesson : public ::testing::Test {
protected:
    Lesson() : log(eng) {}

    ::testing::AssertionResult Load(const std::string& name) {
        eng.init(clock);
        eng.Attach(&log);
        if (const auto read = ReadExample(eng, name); !read) return read;
        // Each lesson brings the box its worksheet is written for.
        const auto& box = eng.FixedBox();
        if (!box || box->width != kInitialBoxWidth || box->height != kInitialBoxHeight || eng.MaxX != box->width ||
            eng.MaxY != box->height)
            return ::testing::AssertionFailure() << name << " does not bring the box 8085 x 4230";
        energy0 = eng.EnCinTot();
        return ::testing::AssertionSuccess();
    }

    void Run(int steps) {
        for (int k = 0; k < steps; ++k) eng.Advance();
    }

    // Steps until `count` collisions are logged, at most `limit` steps.
    ::testing::AssertionResult RunUntilHits(std::size_t count, int limit) {
        for (int k = 0; k < limit && log.hits.size() < count; ++k) eng.Advance();
        if (log.hits.size() >= count) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << log.hits.size() << " collisions in " << limit << " steps, "
                                             << count << " wanted";
    }

    Velocity V(int bowl) const { return {eng.GetBowl(bowl).Vx, eng.GetBowl(bowl).Vy}; }

    // The total momentum, Σ m·Vx and Σ m·Vy, as the Graphs window plots it.
    std::pair<double, double> Momentum() const {
        double px = 0, py = 0;
        for (int i = 1; i <= eng.BowlCount(); ++i) {
            px += eng.GetBowl(i).M() * static_cast<double>(V(i).x);
            py += eng.GetBowl(i).M() * static_cast<double>(V(i).y);
        }
        return {px, py};
    }

    // What the history shows for every collision of a lesson: each pair's
    // momentum sums the same before and after, and the total kinetic energy
    // the one the scenario started with.
    void ExpectHistoryConserves() const {
        ASSERT_FALSE(log.hits.empty());
        for (const Hit& h : log.hits) {
            EXPECT_NEAR(h.SumX(true), h.SumX(false), h.SumTolerance()) << "x sum at step " << h.t;
            EXPECT_NEAR(h.SumY(true), h.SumY(false), h.SumTolerance()) << "y sum at step " << h.t;
            EXPECT_NEAR(h.energy, energy0, 1e-6 * energy0) << "energy at step " << h.t;
        }
    }

    ManualClock clock;
    CEnvEng eng;
    HitLog log;
    double energy0 = 0;
};

// ---------------------------------------------------------------- head-on

TEST_F(Lesson, EqualMassesHeadOnSwapVelocities) {
    ASSERT_TRUE(Load("equal-masses-head-on.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 52);
    EXPECT_EQ(h.b1, 1);
    EXPECT_EQ(h.v1.x, 40.0f);
    EXPECT_EQ(h.v2.x, -20.0f);
    EXPECT_EQ(h.w1.x, -20.0f);
    EXPECT_EQ(h.w2.x, 40.0f);
    EXPECT_EQ(h.w1.y, 0.0f);
    EXPECT_EQ(h.w2.y, 0.0f);
    EXPECT_EQ(h.SumX(false), 6000.0);
    EXPECT_EQ(h.SumX(true), 6000.0);
    ExpectHistoryConserves();
}

TEST_F(Lesson, LightBowlBouncesOffAHeavyOneThatTakesMostOfTheMomentum) {
    ASSERT_TRUE(Load("light-hits-heavy-at-rest.vintrop"));
    EXPECT_EQ(energy0, 180000.0);
    ASSERT_TRUE(RunUntilHits(2, 300));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 43);
    EXPECT_EQ(h.SumX(false), 6000.0);
    ASSERT_EQ(h.m1, 100.0f);
    ASSERT_EQ(h.m2, 1000.0f);
    // 9/11 of its speed back, 2/11 forward for the heavy bowl.
    EXPECT_NEAR(h.w1.x, -60.0 * 9 / 11, 1e-4);
    EXPECT_NEAR(h.w2.x, 60.0 * 2 / 11, 1e-4);
    // The heavy bowl carries off more momentum than the light one brought.
    const double heavyMomentum = static_cast<double>(h.m2) * h.w2.x;
    EXPECT_NEAR(heavyMomentum, 10909.09, 0.01);
    EXPECT_GT(heavyMomentum, h.SumX(false));
    // But only a third of the energy.
    EXPECT_NEAR(0.5 * heavyMomentum * h.w2.x / energy0, 1.0 / 3.025, 1e-6);
    // Back from the wall, the light bowl catches the heavy one up.
    const Hit& again = log.hits[1];
    EXPECT_EQ(again.t, 244);
    EXPECT_GT(again.Of(100, false).x, again.Of(1000, false).x);
    EXPECT_GT(again.Of(1000, false).x, 0.0f);
    EXPECT_NEAR(again.Of(100, true).x, -20.33, 0.005);
    EXPECT_NEAR(again.Of(1000, true).x, 17.85, 0.005);
    ExpectHistoryConserves();
}

TEST_F(Lesson, HeavyBowlTrapsTheLightOneThenTurnsAtStep225) {
    ASSERT_TRUE(Load("heavy-hits-light-at-rest.vintrop"));
    EXPECT_EQ(energy0, 112500.0);
    Run(400);
    ASSERT_EQ(log.hits.size(), 5u);
    const float heavy = 1000, light = 100;
    // First hit: the light bowl leaves at 30/11, almost twice the heavy bowl's 15.
    EXPECT_EQ(log.hits[0].t, 73);
    EXPECT_NEAR(log.hits[0].Of(light, true).x, 300.0 / 11, 1e-4);
    EXPECT_NEAR(log.hits[0].Of(heavy, true).x, 135.0 / 11, 1e-4);
    // Trapped against the right wall, it comes back faster after each hit
    // until the heavy bowl turns, and slower after each hit from then on.
    const std::vector<double> lightAfter = {27.27, 44.63, 45.76, 30.24, 3.73};
    const std::vector<double> heavyAfter = {12.27, 5.08, -3.96, -11.56, -14.95};
    const std::vector<int32_t> step = {73, 190, 225, 260, 350};
    for (std::size_t k = 0; k < log.hits.size(); ++k) {
        const Hit& h = log.hits[k];
        EXPECT_NEAR(Speed(h.Of(light, true)), lightAfter[k], 0.005) << "hit " << k + 1;
        EXPECT_NEAR(h.Of(heavy, true).x, heavyAfter[k], 0.005) << "hit " << k + 1;
        EXPECT_EQ(h.Of(heavy, true).y, 0.0f);
        EXPECT_EQ(h.t, step[k]) << "hit " << k + 1;
    }
    // The turn: the third hit, at step 225, is the first that leaves the
    // heavy bowl moving left.
    int turn = -1;
    for (std::size_t k = 0; k < log.hits.size() && turn < 0; ++k)
        if (log.hits[k].Of(heavy, true).x < 0) turn = static_cast<int>(k);
    ASSERT_EQ(turn, 2);
    EXPECT_EQ(log.hits[2].t, 225);
    EXPECT_GT(log.hits[2].Of(heavy, false).x, 0.0f);
    ExpectHistoryConserves();
}

TEST_F(Lesson, HeavyBowlStopsDeadAgainstALightOneComingAsFast) {
    ASSERT_TRUE(Load("heavy-bowl-stops-dead.vintrop"));
    ASSERT_TRUE(RunUntilHits(3, 300));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 41);
    ASSERT_EQ(h.Of(100, false).x, 40.0f);
    ASSERT_EQ(h.Of(300, false).x, -40.0f);
    EXPECT_EQ(h.Of(300, true).x, 0.0f);
    EXPECT_EQ(h.Of(300, true).y, 0.0f);
    EXPECT_EQ(h.Of(100, true).x, -80.0f);
    EXPECT_EQ(h.SumX(false), -8000.0);
    EXPECT_EQ(h.SumX(true), -8000.0);
    EXPECT_EQ(energy0, 320000.0);
    // Back from the wall at 80, the light bowl sets the heavy one moving,
    // and next time round stops it again.
    EXPECT_EQ(log.hits[1].t, 113);
    EXPECT_EQ(log.hits[1].Of(100, true).x, -40.0f);
    EXPECT_EQ(log.hits[1].Of(300, true).x, 40.0f);
    EXPECT_EQ(log.hits[2].t, 281);
    EXPECT_EQ(log.hits[2].Of(300, true).x, 0.0f);
    EXPECT_EQ(log.hits[2].Of(100, true).x, -80.0f);
    ExpectHistoryConserves();
}

TEST_F(Lesson, ALightBowlThreeTimesAsFastTurnsTheHeavyOneRound) {
    ASSERT_TRUE(Load("heavy-bowl-stops-dead.vintrop"));
    ASSERT_EQ(eng.GetBowl(1).M(), 100.0f);
    eng.GetBowl(1).SetVxo(120);
    energy0 = eng.EnCinTot();
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 20);
    EXPECT_EQ(h.SumX(false), 0.0);
    EXPECT_EQ(h.Of(300, true).x, 40.0f);
    EXPECT_EQ(h.Of(100, true).x, -120.0f);
    ExpectHistoryConserves();
}

TEST_F(Lesson, CatchUpLeavesBothMovingOnWithTheGapOpeningAsFastAsItClosed) {
    ASSERT_TRUE(Load("catch-up-collision.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 36);
    ASSERT_EQ(h.Of(300, false).x, 40.0f);
    ASSERT_EQ(h.Of(200, false).x, 15.0f);
    EXPECT_EQ(h.Of(300, true).x, 20.0f);
    EXPECT_EQ(h.Of(200, true).x, 45.0f);
    // Closing at 25 before, opening at 25 after.
    EXPECT_EQ(h.Of(300, false).x - h.Of(200, false).x, h.Of(200, true).x - h.Of(300, true).x);
    EXPECT_EQ(h.SumX(true), 15000.0);
    EXPECT_EQ(h.SumX(false), 15000.0);
    ExpectHistoryConserves();
}

// -------------------------------------------------------------- inelastic

// Orange (300) at +40 meets Sky blue (100) at rest in both lessons: the
// worksheets' collisions, the two velocities before and after, and the total
// energy after, which falls by 1/2 (300 * 100 / 400) (1 - e^2) vn^2 exactly.
TEST_F(Lesson, InelasticPairsMeetAsTheirWorksheetsSay) {
    const struct { const char* file; int16_t percent; std::size_t hit; int32_t t; float o, s, o2, s2; double energy; } rows[] = {
        {"half-elastic-head-on", 50, 0, 45, 40, 0, 25, 45, 195000},           // parting at half the speed
        {"half-elastic-head-on", 50, 1, 154, 25, -45, -1.25f, 33.75f, 57187.5},
        {"half-elastic-head-on", 100, 0, 45, 40, 0, 20, 60, 240000},          // the same pair, elastic
        {"perfectly-inelastic-head-on", 0, 0, 45, 40, 0, 30, 30, 180000},     // on together
        {"perfectly-inelastic-head-on", 0, 1, 172, 30, -30, 15, 15, 45000}};  // Sky blue back from the wall
    for (const auto& r : rows) {
        eng.init(clock), eng.Reset();   // without the bowls of the row before
        ASSERT_TRUE(Load(std::string(r.file) + ".vintrop"));
        eng.SetElasticity(r.percent);
        log.hits.clear();
        ASSERT_TRUE(RunUntilHits(r.hit + 1, 300));
        const Hit& h = log.hits[r.hit];
        const double e = r.percent / 100.0, lost = 0.5 * 75 * (1 - e * e) * (r.o - r.s) * (r.o - r.s);
        EXPECT_EQ(std::make_tuple(h.t, h.Of(300, false).x, h.Of(100, false).x, h.Of(300, true).x, h.Of(100, true).x),
                  std::make_tuple(r.t, r.o, r.s, r.o2, r.s2)) << r.file << " " << r.hit;
        EXPECT_EQ(std::make_pair(h.energy, h.energyBefore - h.energy), std::make_pair(r.energy, lost)) << r.file;
    }
    // Back from the wall Sky blue then meets Orange at every step, each time
    // halving the pair's speed, until the pair rests against the wall from
    // step 196 on, after 27 collisions.
    Run(400 - eng.t);
    ASSERT_EQ(std::make_pair(log.hits.size(), log.hits.back().t), std::make_pair(std::size_t(27), 196));
    for (std::size_t k = 2; k < log.hits.size(); ++k) {
        const Hit& h = log.hits[k];
        EXPECT_TRUE(h.t - log.hits[k - 1].t <= 1 && h.Of(300, true).x == h.Of(300, false).x / 2 && h.Of(100, true).x == h.Of(300, true).x) << k;
    }
}

// ------------------------------------------------------------- off-centre

TEST_F(Lesson, GlancingHitOfEqualMassesLeavesThemAtRightAngles) {
    ASSERT_TRUE(Load("glancing-collision-2d.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    ASSERT_EQ(h.m1, h.m2);
    EXPECT_EQ(h.t, 56);
    EXPECT_EQ(h.v2.x, 0.0f);
    EXPECT_NEAR(h.w1.x, 9.38, 0.005);
    EXPECT_NEAR(h.w1.y, -16.95, 0.005);
    EXPECT_NEAR(h.w2.x, 30.62, 0.005);
    EXPECT_NEAR(h.w2.y, 16.95, 0.005);
    EXPECT_EQ(h.SumX(false), 12000.0);
    EXPECT_NEAR(Dot(h.w1, h.w1) + Dot(h.w2, h.w2), 1600.0, 1e-3);
    EXPECT_GT(Speed(h.w1), 10);
    EXPECT_GT(Speed(h.w2), 10);
    EXPECT_NEAR(AngleBetween(h.w1, h.w2), 90.0, 1e-4);
    // One bowl goes up, the other down: the y sum stays 0.
    EXPECT_LT(h.w1.y, 0.0f);
    EXPECT_GT(h.w2.y, 0.0f);
    ExpectHistoryConserves();
}

TEST_F(Lesson, OffCentreHitOfUnequalMassesDoesNotLeaveThemAtRightAngles) {
    ASSERT_TRUE(Load("off-centre-hit-unequal-masses.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    ASSERT_EQ(h.m1, 300.0f);
    ASSERT_EQ(h.m2, 100.0f);
    EXPECT_EQ(h.t, 60);
    EXPECT_NEAR(h.w1.x, 26.58, 0.005);
    EXPECT_NEAR(h.w1.y, -9.40, 0.005);
    EXPECT_NEAR(h.w2.x, 40.25, 0.005);
    EXPECT_NEAR(h.w2.y, 28.19, 0.005);
    EXPECT_EQ(h.SumX(false), 12000.0);
    EXPECT_EQ(energy0, 240000.0);
    // The heavy striker and the light target part at about 54 degrees.
    EXPECT_NEAR(AngleBetween(h.w1, h.w2), 54.5, 0.1);
    // The bowl at rest is pushed along the line of centres at the impact.
    const double cx = static_cast<double>(h.x2) - h.x1, cy = static_cast<double>(h.y2) - h.y1;
    EXPECT_NEAR((h.w2.x * cy - h.w2.y * cx) / (Speed(h.w2) * std::hypot(cx, cy)), 0.0, 1e-6);
    ExpectHistoryConserves();
}

TEST_F(Lesson, OffCentreHitWithTheMassesSwappedPartsWiderThanARightAngle) {
    ASSERT_TRUE(Load("off-centre-hit-unequal-masses.vintrop"));
    eng.GetBowl(1).SetM(100);
    eng.GetBowl(2).SetM(300);
    ASSERT_TRUE(RunUntilHits(1, 100));
    EXPECT_GT(AngleBetween(log.hits[0].w1, log.hits[0].w2), 100.0);
}

TEST_F(Lesson, ZeroTotalMomentumStaysZeroAndEachBowlKeepsItsSpeed) {
    ASSERT_TRUE(Load("zero-total-momentum.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 49);
    EXPECT_EQ(h.SumX(false), 0.0);
    EXPECT_EQ(h.SumY(false), 0.0);
    EXPECT_NEAR(h.SumX(true), 0.0, h.SumTolerance());
    EXPECT_NEAR(h.SumY(true), 0.0, h.SumTolerance());
    EXPECT_NEAR(Speed(h.Of(300, true)), 20.0, 1e-4);
    EXPECT_NEAR(Speed(h.Of(100, true)), 60.0, 1e-4);
    // They leave in a new direction, still back to back.
    EXPECT_LT(h.Of(300, true).y, -10.0f);
    EXPECT_NEAR(AngleBetween(h.w1, h.w2), 180.0, 1e-3);
    ExpectHistoryConserves();
}

TEST_F(Lesson, CentralAndNonCentralFilesDifferOnlyInTheMode) {
    CEnvEng other;
    ManualClock otherClock;
    other.init(otherClock);
    ASSERT_TRUE(Load("central-vs-noncentral-central.vintrop"));
    ASSERT_TRUE(ReadExample(other, "central-vs-noncentral-noncentral.vintrop"));
    EXPECT_EQ(eng.CentralCollision(), -1);
    EXPECT_EQ(other.CentralCollision(), 0);
    ASSERT_EQ(eng.BowlCount(), other.BowlCount());
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        const CBowl &a = eng.GetBowl(i), &b = other.GetBowl(i);
        EXPECT_EQ(a.M(), b.M());
        EXPECT_EQ(a.Xo(), b.Xo());
        EXPECT_EQ(a.Yo(), b.Yo());
        EXPECT_EQ(a.Vxo(), b.Vxo());
        EXPECT_EQ(a.Vyo(), b.Vyo());
    }
}

TEST_F(Lesson, CentralModeTreatsTheOffCentreHitAsHeadOn) {
    ASSERT_TRUE(Load("central-vs-noncentral-central.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    ASSERT_NE(h.y1, h.y2); // the centres are not level
    EXPECT_EQ(h.t, 55);
    EXPECT_EQ(energy0, 240000.0);
    EXPECT_EQ(h.w1.x, 0.0f);
    EXPECT_EQ(h.w1.y, 0.0f);
    EXPECT_EQ(h.w2.x, 40.0f);
    EXPECT_EQ(h.w2.y, 0.0f);
    ExpectHistoryConserves();
}

TEST_F(Lesson, NonCentralModeScattersTheSameHitAtRightAngles) {
    ASSERT_TRUE(Load("central-vs-noncentral-noncentral.vintrop"));
    ASSERT_TRUE(RunUntilHits(1, 100));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 55);
    EXPECT_NEAR(h.w1.x, 5.29, 0.005);
    EXPECT_NEAR(h.w1.y, -13.55, 0.005);
    EXPECT_NEAR(h.w2.x, 34.71, 0.005);
    EXPECT_NEAR(h.w2.y, 13.55, 0.005);
    EXPECT_NEAR(AngleBetween(h.w1, h.w2), 90.0, 1e-4);
    ExpectHistoryConserves();
}

// ------------------------------------------------------------------- walls

TEST_F(Lesson, WallBounceKeepsTheAngleAndTheReflectedPathFindsTheTarget) {
    ASSERT_TRUE(Load("oblique-bounce-off-a-wall.vintrop"));
    const CBowl& striker = eng.GetBowl(1);
    ASSERT_EQ(striker.Vx, 24.0f);
    ASSERT_EQ(striker.Vy, 32.0f);
    EXPECT_EQ(Momentum(), std::make_pair(7200.0, 9600.0));
    while (eng.t < 200 && striker.Vy > 0) eng.Advance();
    EXPECT_EQ(Momentum(), std::make_pair(7200.0, -9600.0));   // the Graphs window's jump
    // The bowl reaches the bottom wall in step 81 (t is 82 once it is over)
    // and leaves it at the angle it came in: along the wall unchanged,
    // across it reversed.
    EXPECT_EQ(eng.t, 82);
    EXPECT_EQ(striker.Vx, 24.0f);
    EXPECT_EQ(striker.Vy, -32.0f);
    EXPECT_NEAR(striker.y + striker.r(), kInitialBoxHeight, 1e-3);
    EXPECT_TRUE(log.hits.empty());
    // The bank shot: the target sits on the reflected path, so the history's
    // "before" row shows the reflected velocity and the hit is head-on.
    ASSERT_TRUE(RunUntilHits(1, 200));
    const Hit& h = log.hits[0];
    EXPECT_EQ(h.t, 111);
    EXPECT_EQ(h.v1.x, 24.0f);
    EXPECT_EQ(h.v1.y, -32.0f);
    EXPECT_LT(Speed(h.w1), 0.02);
    EXPECT_NEAR(h.w2.x, 24.0, 0.02);
    EXPECT_NEAR(h.w2.y, -32.0, 0.02);
    ExpectHistoryConserves();
}

// ------------------------------------------------------------------- rows

TEST_F(Lesson, StrikerStopsAndTheLastBowlOfTheRowMovesOff) {
    ASSERT_TRUE(Load("row-struck-at-one-end.vintrop"));
    ASSERT_EQ(eng.BowlCount(), 6);
    ASSERT_TRUE(RunUntilHits(5, 100));
    const int32_t step = log.hits[0].t;
    EXPECT_EQ(step, 24);
    for (std::size_t k = 0; k < 5; ++k) {
        const Hit& h = log.hits[k];
        EXPECT_EQ(h.t, step) << "the push crosses the row in one step";
        EXPECT_EQ(h.b1, static_cast<int16_t>(k + 1));
        EXPECT_EQ(h.b2, static_cast<int16_t>(k + 2));
        EXPECT_EQ(h.w1.x, 0.0f);
        EXPECT_EQ(h.w2.x, 40.0f);
    }
    Run(10);
    EXPECT_EQ(log.hits.size(), 5u);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(Speed(V(i)), 0.0) << "bowl " << i;
    EXPECT_EQ(V(6).x, 40.0f);
    // Back from the wall, the push runs leftwards one bowl per step, since
    // the bowls are moved in the order of their numbers.
    ASSERT_TRUE(RunUntilHits(10, 200));
    for (std::size_t k = 5; k < 10; ++k) {
        const Hit& h = log.hits[k];
        EXPECT_EQ(h.t, static_cast<int32_t>(112 + k));
        EXPECT_EQ(h.b1, static_cast<int16_t>(11 - k));
        EXPECT_EQ(h.b2, static_cast<int16_t>(10 - k));
        EXPECT_EQ(h.w1.x, 0.0f);
        EXPECT_EQ(h.w2.x, -40.0f);
    }
    ExpectHistoryConserves();
}

TEST_F(Lesson, TwoStrikersSendTwoBowlsOffInFourHits) {
    ASSERT_TRUE(Load("two-and-two-cradle.vintrop"));
    ASSERT_EQ(eng.BowlCount(), 4);
    Run(100);
    ASSERT_EQ(log.hits.size(), 4u);
    EXPECT_EQ(log.hits[0].t, 40);
    EXPECT_EQ(log.hits[3].t, 41);
    for (const Hit& h : log.hits) {
        EXPECT_EQ(h.w1.x, 0.0f);
        EXPECT_EQ(h.w2.x, 40.0f);
    }
    EXPECT_EQ(Speed(V(1)), 0.0);
    EXPECT_EQ(Speed(V(2)), 0.0);
    EXPECT_EQ(V(3).x, 40.0f);
    EXPECT_EQ(V(4).x, 40.0f);
    // Back from the wall the front bowl swaps with its partner at step 112;
    // at steps 184 and 185 the strikers are sent off to the left.
    Run(100);
    ASSERT_EQ(log.hits.size(), 9u);
    EXPECT_EQ(log.hits[4].t, 112);
    // B1 and B2 as two digits: Sky blue on Yellow, Yellow on Violet, Orange on
    // Sky blue, Sky blue on Yellow, then Yellow meets Violet.
    const int pairs[] = {23, 34, 12, 23, 34};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(log.hits[k].b1 * 10 + log.hits[k].b2, pairs[k]) << "hit " << k + 1;
    EXPECT_EQ(log.hits[5].t, 184);
    EXPECT_EQ(log.hits[8].t, 185);
    EXPECT_EQ(V(1).x, -40.0f);
    EXPECT_EQ(V(2).x, -40.0f);
    EXPECT_EQ(Speed(V(3)), 0.0);
    EXPECT_EQ(Speed(V(4)), 0.0);
    ExpectHistoryConserves();
}

TEST_F(Lesson, StrikersThatTouchLogCollisionsThatChangeNothing) {
    // The cradle's rear striker moved up to touch the front one (828 twips
    // between the centres, 1.2 more than the radii), both still at 40: it
    // runs into the front one at the first steps, and nothing changes.
    ASSERT_TRUE(Load("two-and-two-cradle.vintrop"));
    CBowl& rear = eng.GetBowl(1);
    const CBowl& front = eng.GetBowl(2);
    rear.SetXo(front.Xo() - std::floor(rear.r() + front.r()) - 2);
    Run(30);
    ASSERT_FALSE(log.hits.empty());
    for (const Hit& h : log.hits) {
        EXPECT_LT(h.t, 3);
        EXPECT_EQ(h.b1, 1);
        EXPECT_EQ(h.b2, 2);
        EXPECT_EQ(h.w1.x, 40.0f);
        EXPECT_EQ(h.w2.x, 40.0f);
    }
    // Side by side, the line of centres across the motion, the push-back
    // along the path hardly opens the gap: a collision at step after step.
    rear.SetXo(front.Xo() - 180);
    rear.SetYo(front.Yo() + 809);
    eng.sRewind();
    log.hits.clear();
    Run(30);
    ASSERT_GE(log.hits.size(), 10u);
    for (std::size_t k = 0; k < log.hits.size(); ++k) {
        EXPECT_EQ(log.hits[k].t, static_cast<int32_t>(k));
        EXPECT_NEAR(log.hits[k].w1.x, 40.0, 1e-5);
        EXPECT_NEAR(log.hits[k].w1.y, 0.0, 1e-5);
        EXPECT_NEAR(log.hits[k].w2.x, 40.0, 1e-5);
        EXPECT_NEAR(log.hits[k].w2.y, 0.0, 1e-5);
    }
}

// ------------------------------------------------------------------- gas

TEST_F(Lesson, GasKeepsItsEnergyThroughEveryHitButNotItsMomentum) {
    ASSERT_TRUE(Load("gas-of-bowls.vintrop"));
    ASSERT_EQ(eng.BowlCount(), 12);
    const auto [px0, py0] = Momentum();
    EXPECT_EQ(energy0, 2614350.0);
    // Every step's total, as the Graphs window logs it, within 1e-7 of the
    // start, and the two decimals the worksheet names.
    double low = energy0, high = energy0;
    for (int k = 0; k < 400; ++k) {
        eng.Advance();
        low = std::min(low, eng.EnCinTot());
        high = std::max(high, eng.EnCinTot());
    }
    const auto cents = [](double e) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", e);
        return std::string(text);
    };
    EXPECT_EQ(cents(low) + " " + cents(high), "2614349.87 2614350.20");
    EXPECT_LT(std::max(high - energy0, energy0 - low) / energy0, 1e-7);
    // The history's status bar: the energy before the last collision of a step.
    std::set<std::string> shown;
    for (std::size_t k = 0; k < log.hits.size(); ++k)
        if (k + 1 == log.hits.size() || log.hits[k + 1].t != log.hits[k].t) shown.insert(cents(log.hits[k].energyBefore));
    EXPECT_TRUE(shown.count("2614349.91") && shown.count("2614350.18"));
    EXPECT_EQ(log.hits.size(), 106u);
    ExpectHistoryConserves();
    // The walls push back: the momentum of the whole gas is not kept.
    const auto [px, py] = Momentum();
    EXPECT_GT(std::hypot(px - px0, py - py0), 1000.0);
}

// ------------------------------------------------------------ the files

// Every worksheet sends the class to the history (its rows or its status
// bar), so every lesson opens with the history on, and with the colours its
// worksheet names, the same at a second Open; it is written as the program
// saves it.
TEST(LessonFiles, OpenWithTheirHistoryAndTheSameNamedColours) {
    std::set<std::string> seen;
    for (const auto& entry : std::filesystem::directory_iterator(VINTROP_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".vintrop") continue;
        const std::string name = entry.path().filename().string();
        seen.insert(name);
        ManualClock clock;
        CEnvEng eng;
        eng.init(clock);
        ASSERT_TRUE(ReadExample(eng, name));
        // The gases of thousands of bowls are read in the Graphs window, not row by row.
        EXPECT_EQ(eng.KeepHistory() != 0, eng.BowlCount() <= 100) << name;
        EXPECT_TRUE(eng.ClassroomColours()) << name;
        const auto colours = [&eng] {
            std::vector<int32_t> c;
            for (int i = 1; i <= eng.BowlCount(); ++i) c.push_back(eng.GetBowl(i).Color);
            return c;
        };
        const std::vector<int32_t> first = colours();
        for (int i = 1; i <= eng.BowlCount(); ++i) EXPECT_EQ(first[i - 1], ClassroomColourAt(i).color) << name;
        // Saved as it is written, so a save reads back as the file does.
        std::ostringstream saved(std::ios::binary), file(std::ios::binary);
        ASSERT_TRUE(eng.SerializeOut(saved));
        file << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        EXPECT_EQ(saved.str(), file.str()) << name;
        eng.Reset();
        ASSERT_TRUE(ReadExample(eng, name));
        EXPECT_EQ(colours(), first) << name << " opened again";
    }
    EXPECT_EQ(seen.size(), 18u);
}

} // namespace
} // namespace vintrop
