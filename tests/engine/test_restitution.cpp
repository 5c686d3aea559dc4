// Below full elasticity every collision keeps the pair's momentum, leaves its
// relative normal velocity at -e times what it was and loses
// 1/2 m1 m2 / (m1 + m2) (1 - e^2) vn^2; a pair left moving on together is
// not made to collide again; crowds stay finite, in the box, and only lose energy.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "../../bench/common.h"
#include "engine_support.h"

namespace vintrop {
namespace {

using testing::BowlState;

// Each collision checked against the law of restitution e as it happens, to
// float precision; and the total energy, which only collisions change, never rising.
struct LawCheck : IEngineListener {
    LawCheck(CEnvEng& engine, int16_t percent, int16_t central = 0) : eng(engine), e(percent / 100.0) {
        eng.init(clock);
        eng.MaxX = 8085, eng.MaxY = 4230;
        eng.SetElasticity(percent);
        eng.CentralCollision(central);
        eng.Attach(this);
    }
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override { p = BowlState::Of(b1), q = BowlState::Of(b2); }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        const BowlState p2 = BowlState::Of(b1), q2 = BowlState::Of(b2);
        // The normal: the line of centres, or in central mode the relative velocity.
        double nx = double(q.x) - p.x, ny = double(q.y) - p.y;
        const double wx = double(p.Vx) - q.Vx, wy = double(p.Vy) - q.Vy;
        if (eng.CentralCollision() || (nx == 0 && ny == 0)) nx = wx, ny = wy;
        const double len = std::hypot(nx, ny) + 1e-300, vn = (wx * nx + wy * ny) / len;
        const double vn2 = ((double(p2.Vx) - q2.Vx) * nx + (double(p2.Vy) - q2.Vy) * ny) / len;
        const auto k = [](const BowlState& b) { return 0.5 * b.M * (double(b.Vx) * b.Vx + double(b.Vy) * b.Vy); };
        const double lost = k(p) + k(q) - k(p2) - k(q2), want = 0.5 * p.M * q.M / (p.M + q.M) * (1 - e * e) * vn * vn;
        const double tol = 1e-6 * (std::hypot(p.Vx, p.Vy) + std::hypot(q.Vx, q.Vy)) + 1e-30;
        EXPECT_NEAR(p.M * p.Vx + q.M * q.Vx, p2.M * p2.Vx + q2.M * q2.Vx, (p.M + q.M) * tol) << "momentum x, t=" << eng.t;
        EXPECT_NEAR(p.M * p.Vy + q.M * q.Vy, p2.M * p2.Vy + q2.M * q2.Vy, (p.M + q.M) * tol) << "momentum y, t=" << eng.t;
        EXPECT_NEAR(vn2, -e * vn, tol) << "normal velocity at t=" << eng.t;
        EXPECT_NEAR(lost, want, 1e-6 * (k(p) + k(q)) + 1e-9) << "energy lost at t=" << eng.t;
        const double total = eng.EnCinTot();
        EXPECT_FALSE(++count > 1 && total > last * (1 + 1e-6) + 1e-9) << "energy rose at t=" << eng.t;
        last = total;
    }
    CEnvEng& eng;
    ManualClock clock;
    double e, last = 0;
    long count = 0;
    BowlState p, q;
};

// Finite values, every centre in the box, contact sets symmetric.
::testing::AssertionResult Sound(const CEnvEng& eng) {
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        const CBowl& b = eng.GetBowl(i);
        if (!std::isfinite(b.Vx + b.Vy) || !(b.x >= 0 && b.x <= eng.MaxX && b.y >= 0 && b.y <= eng.MaxY))
            return ::testing::AssertionFailure() << "bowl " << i << " at " << b.x << ", " << b.y << " t=" << eng.t;
        for (int16_t j : b.Contacts())
            if (!eng.GetBowl(j).ExistCollision(int16_t(i))) return ::testing::AssertionFailure() << i << "-" << j;
    }
    return ::testing::AssertionSuccess();
}

class Restitution : public ::testing::TestWithParam<std::tuple<int16_t, int16_t>> {};

// Every example and a crowd of mixed masses, at every elasticity, in both modes.
TEST_P(Restitution, EveryCollisionObeysTheLaw) {
    const auto [percent, central] = GetParam();
    for (const auto& entry : std::filesystem::directory_iterator(VINTROP_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".vintrop") continue;
        CEnvEng eng;
        LawCheck law(eng, percent, central);
        ASSERT_TRUE(testing::ReadExample(eng, entry.path().filename().string()));
        eng.SetElasticity(percent), eng.CentralCollision(central);
        for (int step = 0; step < 400; ++step) eng.Advance();
        EXPECT_GT(law.count, 0) << entry.path();
    }
    CEnvEng eng;
    LawCheck law(eng, percent, central);
    bench::MixedCrowd(eng, 150, 7, 5000, 3000);
    for (int step = 0; step < 400; ++step) eng.Advance();
    EXPECT_GT(law.count, 100);
    EXPECT_TRUE(Sound(eng));
}

INSTANTIATE_TEST_SUITE_P(Elasticities, Restitution,
                         ::testing::Combine(::testing::Values(0, 25, 50, 75, 100), ::testing::Values(0, -1)));

// Orange (300) at +40 meets Sky blue (100): head-on at rest, off-centre, and
// at rest touching Yellow (100).
TEST(Restitution, PairsAtZeroMoveOnTogetherSlideApartOrTakeAThirdAlong) {
    CEnvEng eng;
    LawCheck law(eng, 0);
    const CBowl& a = eng.AddBowl(300, 1500, 2115, 40, 0);
    const CBowl& b = eng.AddBowl(100, 4000, 2115, 0, 0);
    for (int step = 0; step < 50; ++step) eng.Advance();
    const float gap = b.x - a.x;   // after Sky blue's move, Orange closes it
    for (int step = 0; step < 60; ++step) eng.Advance();   // Sky blue reaches the wall at step 118
    EXPECT_EQ(law.count, 1);
    EXPECT_EQ(a.Vx, 30.0f);
    EXPECT_EQ(b.Vx, 30.0f);
    EXPECT_NEAR(b.x - a.x, gap, 0.01);

    eng.Reset();
    eng.SetElasticity(0);
    law.count = 0;
    eng.AddBowl(300, 1500, 2115, 40, 0);
    eng.AddBowl(100, 3000, 2415, 0, 0);
    for (int step = 0; step < 100; ++step) eng.Advance();
    EXPECT_EQ(law.count, 1);
    EXPECT_TRUE(eng.GetBowl(1).Contacts().empty()) << "slid apart, released";

    eng.Reset();
    eng.SetElasticity(0);
    law.count = 0;
    eng.AddBowl(300, 1500, 2115, 40, 0);
    eng.AddBowl(100, 3000, 2115, 0, 0);
    eng.AddBowl(100, 3572, 2115, 0, 0);   // touching Sky blue
    for (int step = 0; step < 60; ++step) eng.Advance();
    EXPECT_GE(law.count, 3);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(eng.GetBowl(i).Vx, 24.0, 0.01) << i;   // 12,000 / 500

    // A run keeps its elasticity, and below 100 % it has no back steps:
    // refused, nothing moved.
    const float x = eng.GetBowl(1).x;
    for (int16_t percent : {int16_t(100), int16_t(50)}) EXPECT_VINTROP_ERROR(eng.SetElasticity(percent), err::InvalidCall);
    EXPECT_VINTROP_ERROR(eng.Reverse(), err::InvalidCall);
    EXPECT_EQ(eng.t, 60);
    EXPECT_EQ(eng.GetBowl(1).x, x);
    eng.SetElasticity(0);   // the same value: nothing to refuse
}

// The listeners hear of each change, and only of a change: what the windows
// showing a loss follow.
TEST(Restitution, ListenersHearOfEveryChangeOfTheElasticity) {
    struct Heard : IEngineListener {
        int changes = 0;
        void ElasticityChanged() override { ++changes; }
    } heard;
    ManualClock clock;
    CEnvEng eng;
    eng.init(clock);
    eng.Attach(&heard);
    eng.SetElasticity(50);
    eng.SetElasticity(50);
    EXPECT_EQ(heard.changes, 1);
    eng.Reset();
    EXPECT_EQ(heard.changes, 2);
    std::istringstream lossy("50\r\n0\r\n0\r\n0\r\n[options]\r\nElasticity=0\r\n"), plain("50\r\n0\r\n0\r\n0\r\n");
    ASSERT_TRUE(eng.SerializeIn(lossy));
    EXPECT_EQ(heard.changes, 3);
    ASSERT_TRUE(eng.SerializeIn(plain));
    EXPECT_EQ(heard.changes, 4);
    eng.Detach(&heard);
}

struct Crowd {
    const char* name;
    int16_t percent;
    int steps;
    void (*build)(CEnvEng&);
};
void PrintTo(const Crowd& crowd, std::ostream* os) { *os << crowd.name; }

class InelasticCrowd : public ::testing::TestWithParam<Crowd> {};

TEST_P(InelasticCrowd, StaysFiniteInTheBoxAndNeverGainsEnergy) {
    CEnvEng eng;
    LawCheck law(eng, GetParam().percent);
    GetParam().build(eng);
    for (int step = 0; step < GetParam().steps && !::testing::Test::HasFailure(); ++step) {
        eng.Advance();
        ASSERT_TRUE(Sound(eng));
        ASSERT_EQ(eng.ValidateIndex(), "");
    }
    EXPECT_GT(law.count, 100);
}

INSTANTIATE_TEST_SUITE_P(Crowds, InelasticCrowd,
                         ::testing::Values(Crowd{"pile_at_half", 50, 3000,
                                                 [](CEnvEng& e) {
                                                     bench::Pile(e, 30, 3000, 2000);
                                                     for (int i = 1; i <= 30; ++i) e.GetBowl(i).Vx = float(i % 7 * 5 - 15);
                                                 }},
                                           Crowd{"crowd_at_0_3", 30, 100000,
                                                 [](CEnvEng& e) { bench::MixedCrowd(e, 48, 3, 2600, 1800); }}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vintrop
