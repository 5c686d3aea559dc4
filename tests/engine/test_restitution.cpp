// Below full elasticity every collision keeps the pair's momentum and loses
// 1/2 m1 m2 / (m1 + m2) (1 - e^2) vn^2; crowds stay finite, in the box, and only lose energy.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>

#include "../../bench/common.h"
#include "engine_support.h"

namespace vintrop {
namespace {

using testing::BowlState;

// Each collision checked against the law of restitution e as it happens, to
// float precision; the total energy, which only collisions change, never
// rising; and the changes of the elasticity the listeners hear of.
struct LawCheck : IEngineListener {
    LawCheck(CEnvEng& engine, int16_t percent, int16_t central = 0) : eng(engine), e(percent / 100.0) {
        eng.init(clock), eng.MaxX = 8085, eng.MaxY = 4230;
        eng.SetElasticity(percent), eng.CentralCollision(central), eng.Attach(this);
    }
    void ElasticityChanged() override { ++changes; }
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
    double e, last = 0;        // the elasticity; the total energy after the last collision
    long count = 0, changes = 0;   // collisions, and changes of the elasticity heard
    BowlState p, q;            // the pair before the collision
};

// Steps on while every value stays finite, every centre in the box, the
// contact sets symmetric and the index sound.
void StepSoundly(CEnvEng& eng, int steps) {
    for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
        eng.Advance();
        for (int i = 1; i <= eng.BowlCount(); ++i) {
            const CBowl& b = eng.GetBowl(i);
            const bool inBox = b.x >= 0 && b.x <= eng.MaxX && b.y >= 0 && b.y <= eng.MaxY;   // not between steps at 100 %
            ASSERT_TRUE(std::isfinite(b.Vx + b.Vy) && (inBox || eng.Elasticity() == 100)) << i << " t=" << eng.t;
            for (int16_t j : b.Contacts()) ASSERT_TRUE(eng.GetBowl(j).ExistCollision(int16_t(i))) << i << "-" << j;
        }
        ASSERT_EQ(eng.ValidateIndex(), "");
    }
}

// Every example at every elasticity in both modes, and crowds of mixed
// masses likewise; a pile at 50 %, and a crowd at 30 % for 10^5 steps.
TEST(Restitution, EveryCollisionObeysTheLawAndCrowdsStaySound) {
    const auto check = [](int16_t percent, int16_t central, const std::function<void(CEnvEng&)>& build, int steps, long least) {
        CEnvEng eng;
        LawCheck law(eng, percent, central);
        build(eng);
        eng.SetElasticity(percent), eng.CentralCollision(central);   // over a file's own
        StepSoundly(eng, steps);
        EXPECT_GT(law.count, least) << percent << "% central " << central;
    };
    for (const int16_t central : {0, -1})
        for (const int16_t percent : {0, 25, 50, 75, 100}) {
            for (const auto& entry : std::filesystem::directory_iterator(VINTROP_EXAMPLES_DIR))
                if (entry.path().extension() == ".vintrop")
                    check(percent, central, [&](CEnvEng& e) { ASSERT_TRUE(testing::ReadExample(e, entry.path().filename().string())); }, 400, 0);
            check(percent, central, [](CEnvEng& e) { bench::MixedCrowd(e, 150, 7, 5000, 3000); }, 400, 100);
        }
    check(50, 0, [](CEnvEng& e) { bench::Pile(e, 30, 3000, 2000); for (int i = 1; i <= 30; ++i) e.GetBowl(i).Vx = float(i % 7 * 5 - 15); }, 3000, 100);
    check(30, 0, [](CEnvEng& e) { bench::MixedCrowd(e, 48, 3, 2600, 1800); }, 100000, 100);
}

// Orange (300) at +40 meets Sky blue (100) at 0 % off-centre, and at rest
// touching Yellow (100). (Head-on, they move on together: the lesson.)
TEST(Restitution, PairsAtZeroSlideApartOrTakeAThirdAlong) {
    CEnvEng eng;
    LawCheck law(eng, 0);
    const auto start = [&](std::initializer_list<std::pair<float, float>> others) {
        eng.Reset(), eng.SetElasticity(0), law.count = 0;   // two changes heard
        eng.AddBowl(300, 1500, 2115, 40, 0);
        for (const auto& [x, y] : others) eng.AddBowl(100, x, y, 0, 0);
    };
    start({{3000, 2415}});
    StepSoundly(eng, 100);
    EXPECT_EQ(law.count, 1);
    EXPECT_TRUE(eng.GetBowl(1).Contacts().empty()) << "slid apart, released";
    start({{3000, 2115}, {3572, 2115}});   // Sky blue and Yellow touching
    StepSoundly(eng, 60);
    EXPECT_GE(law.count, 3);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(eng.GetBowl(i).Vx, 24.0, 0.01) << i;   // 12,000 / 500

    // A run keeps its elasticity, and below 100 % it has no back steps:
    // refused, nothing moved, nothing heard.
    const float x1 = eng.GetBowl(1).x;
    for (int16_t percent : {int16_t(100), int16_t(50)}) EXPECT_VINTROP_ERROR(eng.SetElasticity(percent), err::InvalidCall);
    EXPECT_VINTROP_ERROR(eng.Reverse(), err::InvalidCall);
    eng.SetElasticity(0);   // the same value: nothing to refuse
    EXPECT_EQ(std::make_tuple(eng.t, eng.GetBowl(1).x, law.changes), std::make_tuple(60, x1, 4L));
    // A read is heard of when it changes the elasticity, to 100 % without the key.
    std::istringstream plain("50\r\n0\r\n0\r\n0\r\n"), lossy("50\r\n0\r\n0\r\n0\r\n[options]\r\nElasticity=0\r\n");
    ASSERT_TRUE(eng.SerializeIn(plain) && eng.SerializeIn(lossy));
    EXPECT_EQ(law.changes, 6L);
}

} // namespace
} // namespace vintrop
