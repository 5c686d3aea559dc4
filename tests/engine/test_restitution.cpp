// Collisions below full elasticity: every one keeps the pair's momentum,
// leaves its relative normal velocity at -e times what it was and loses
// 1/2 m1 m2 / (m1 + m2) (1 - e^2) vn^2 of kinetic energy; a pair left moving
// on together is not made to collide again; crowds only lose energy and stay
// finite and in the box.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../../bench/common.h"
#include "engine_support.h"

namespace vintrop {
namespace {

using testing::BowlState;
using testing::Event;

struct Collision {
    BowlState b1, b2, a1, a2;   // before and after
};

// Every collision, and whether the total kinetic energy ever rose from one
// collision to the next (walls only flip signs, so only collisions change it).
class CollisionLog : public IEngineListener {
public:
    explicit CollisionLog(const CEnvEng& engine) : m_Engine(engine) {}
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override {
        m_Open = {BowlState::Of(b1), BowlState::Of(b2), {}, {}};
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        m_Open.a1 = BowlState::Of(b1);
        m_Open.a2 = BowlState::Of(b2);
        if (keep) all.push_back(m_Open);
        ++count;
        const double energy = m_Engine.EnCinTot();
        if (count > 1 && energy > m_Last * (1 + 1e-6) + 1e-9)
            rises.push_back("energy rose from " + std::to_string(m_Last) + " to " + std::to_string(energy));
        m_Last = energy;
    }
    bool keep = true;
    long count = 0;
    std::vector<Collision> all;
    std::vector<std::string> rises;

private:
    const CEnvEng& m_Engine;
    Collision m_Open;
    double m_Last = 0;
};

// One collision against the law of restitution e (0..1), to float precision.
::testing::AssertionResult ObeysRestitution(const Collision& c, double e, bool central) {
    const double m1 = c.b1.M, m2 = c.b2.M;
    const double w[2] = {double(c.b1.Vx) - c.b2.Vx, double(c.b1.Vy) - c.b2.Vy};     // relative, before
    const double w2[2] = {double(c.a1.Vx) - c.a2.Vx, double(c.a1.Vy) - c.a2.Vy};    // after
    double n[2] = {double(c.b2.x) - c.b1.x, double(c.b2.y) - c.b1.y};
    const double d = std::hypot(n[0], n[1]);
    // Central mode (and coincident centres) reverse the whole relative velocity.
    if (central || d == 0) n[0] = w[0], n[1] = w[1];
    const double len = std::hypot(n[0], n[1]);
    const double vn = len > 0 ? (w[0] * n[0] + w[1] * n[1]) / len : 0;
    const double vn2 = len > 0 ? (w2[0] * n[0] + w2[1] * n[1]) / len : 0;
    const double speeds = std::hypot(c.b1.Vx, c.b1.Vy) + std::hypot(c.b2.Vx, c.b2.Vy) +
                          std::hypot(c.a1.Vx, c.a1.Vy) + std::hypot(c.a2.Vx, c.a2.Vy);
    const auto k = [](const BowlState& a, const BowlState& b) {
        return 0.5 * a.M * (double(a.Vx) * a.Vx + double(a.Vy) * a.Vy) + 0.5 * b.M * (double(b.Vx) * b.Vx + double(b.Vy) * b.Vy);
    };
    const double before = k(c.b1, c.b2), lost = before - k(c.a1, c.a2);
    const double want = 0.5 * m1 * m2 / (m1 + m2) * (1 - e * e) * vn * vn;
    const double px = m1 * c.b1.Vx + m2 * c.b2.Vx - m1 * c.a1.Vx - m2 * c.a2.Vx;
    const double py = m1 * c.b1.Vy + m2 * c.b2.Vy - m1 * c.a1.Vy - m2 * c.a2.Vy;
    const double momentumTol = 1e-6 * (m1 + m2) * speeds + 1e-30;
    if (std::fabs(px) > momentumTol || std::fabs(py) > momentumTol)
        return ::testing::AssertionFailure() << "momentum changed by (" << px << ", " << py << ")";
    if (std::fabs(vn2 + e * vn) > 1e-6 * speeds)
        return ::testing::AssertionFailure() << "normal velocity " << vn << " became " << vn2;
    if (std::fabs(lost - want) > 1e-6 * before + 1e-9)
        return ::testing::AssertionFailure() << "energy lost " << lost << ", expected " << want;
    return ::testing::AssertionSuccess();
}

struct Engine {
    ManualClock clock;
    CEnvEng eng;
    CollisionLog log{eng};
    explicit Engine(int16_t percent, int16_t central = 0, float width = 8085, float height = 4230) {
        eng.init(clock);
        eng.MaxX = width;
        eng.MaxY = height;
        eng.SetElasticity(percent);
        eng.CentralCollision(central);
        eng.Attach(&log);
    }
};

// Finite values, every centre in the box, contact sets symmetric.
::testing::AssertionResult Sound(const CEnvEng& eng) {
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        const CBowl& b = eng.GetBowl(i);
        for (float v : {b.x, b.y, b.Vx, b.Vy})
            if (!std::isfinite(v)) return ::testing::AssertionFailure() << "bowl " << i << " not finite";
        if (b.x < 0 || b.x > eng.MaxX || b.y < 0 || b.y > eng.MaxY)
            return ::testing::AssertionFailure() << "bowl " << i << " outside the box at " << b.x << ", " << b.y;
        for (int16_t j : b.Contacts())
            if (!eng.GetBowl(j).ExistCollision(static_cast<int16_t>(i)))
                return ::testing::AssertionFailure() << "contact " << i << "-" << j << " one-sided";
    }
    return ::testing::AssertionSuccess();
}

const int16_t kPercents[] = {0, 25, 50, 75, 100};

// --- the law, collision by collision -----------------------------------------

class Restitution : public ::testing::TestWithParam<std::tuple<int16_t, int16_t>> {};

// As the elastic random pairs: b1 sent at b2 within 0.5 rad of the line of
// centres, b2 moving at random.
TEST_P(Restitution, RandomPairsKeepMomentumAndLoseTheTextbookEnergy) {
    const auto [percent, central] = GetParam();
    std::mt19937 gen(99u + static_cast<unsigned>(percent));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int collided = 0;
    for (int i = 0; i < 300; ++i) {
        const auto m1 = static_cast<int16_t>(1 + 2000 * unit(gen)), m2 = static_cast<int16_t>(1 + 2000 * unit(gen));
        const double theta = 2 * 3.141592653589793 * unit(gen), phi = unit(gen) - 0.5, speed = 1 + 79 * unit(gen);
        Engine run(percent, central, 100000, 100000);
        CBowl& a = run.eng.AddBowl(m1, 50000, 50000, float(speed * std::cos(theta + phi)), float(speed * std::sin(theta + phi)));
        const double apart = 0.7 * (a.r() + RadiusOf(m2));
        run.eng.AddBowl(m2, float(50000 + apart * std::cos(theta)), float(50000 + apart * std::sin(theta)),
                        float(40 * unit(gen) - 20), float(40 * unit(gen) - 20));
        run.eng.Advance();
        for (const Collision& c : run.log.all) EXPECT_TRUE(ObeysRestitution(c, percent / 100.0, central)) << "case " << i;
        collided += !run.log.all.empty();
    }
    EXPECT_GT(collided, 250);
}

// Every example at every elasticity, and a crowd of mixed masses.
TEST_P(Restitution, ExamplesAndACrowdObeyTheLawAtEveryCollision) {
    const auto [percent, central] = GetParam();
    std::vector<std::string> scenes;
    for (const auto& entry : std::filesystem::directory_iterator(VINTROP_EXAMPLES_DIR))
        if (entry.path().extension() == ".vintrop") scenes.push_back(entry.path().filename().string());
    scenes.push_back("crowd");
    for (const std::string& scene : scenes) {
        Engine run(percent);
        if (scene == "crowd")
            bench::MixedCrowd(run.eng, 150, 7, 5000, 3000);
        else
            ASSERT_TRUE(testing::ReadExample(run.eng, scene));
        run.eng.SetElasticity(percent);
        run.eng.CentralCollision(central);
        for (int step = 0; step < 400; ++step) run.eng.Advance();
        EXPECT_FALSE(run.log.all.empty()) << scene;
        for (const Collision& c : run.log.all)
            ASSERT_TRUE(ObeysRestitution(c, percent / 100.0, central)) << scene;
        EXPECT_EQ(run.log.rises, std::vector<std::string>()) << scene;
        EXPECT_TRUE(Sound(run.eng)) << scene;
    }
}

INSTANTIATE_TEST_SUITE_P(Elasticities, Restitution,
                         ::testing::Combine(::testing::ValuesIn(kPercents), ::testing::Values(int16_t(0), int16_t(-1))),
                         [](const auto& info) {
                             return "e" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_central" : "_noncentral");
                         });

// --- pairs that stay in contact --------------------------------------------------

TEST(Restitution, HeadOnPairAtZeroMovesOnTogetherWithoutCollidingAgain) {
    for (int16_t central : {int16_t(0), int16_t(-1)}) {
        Engine run(0, central);
        const CBowl& a = run.eng.AddBowl(300, 1500, 2115, 40, 0);
        const CBowl& b = run.eng.AddBowl(100, 4000, 2115, 0, 0);
        for (int step = 0; step < 50; ++step) run.eng.Advance();
        ASSERT_EQ(run.log.count, 1);
        // Together: the gap a step opens when Sky blue moves, Orange closes.
        const float gap = b.x - a.x;
        EXPECT_LT(gap, a.r() + b.r() + 30);
        for (int step = 0; step < 60; ++step) run.eng.Advance();   // Sky blue reaches the wall at step 118
        EXPECT_EQ(run.log.count, 1);
        EXPECT_EQ(a.Vx, 30.0f);
        EXPECT_EQ(b.Vx, 30.0f);
        EXPECT_NEAR(b.x - a.x, gap, 0.01);
    }
}

// The normal components become equal, the tangential ones stay: the bowls
// slide apart and the contact is released.
TEST(Restitution, GlancingPairAtZeroSlidesApartAndIsReleased) {
    Engine run(0);
    const CBowl& a = run.eng.AddBowl(300, 1500, 2115, 40, 0);
    run.eng.AddBowl(300, 3000, 2415, 0, 0);
    for (int step = 0; step < 60 && a.Contacts().empty(); ++step) run.eng.Advance();
    ASSERT_EQ(run.log.count, 1);
    int steps = 0;
    while (!a.Contacts().empty() && ++steps < 50) run.eng.Advance();
    EXPECT_LT(steps, 50) << "the contact should be released";
    for (int step = 0; step < 40; ++step) run.eng.Advance();
    EXPECT_EQ(run.log.count, 1);
    EXPECT_TRUE(ObeysRestitution(run.log.all[0], 0, false));
}

// A third bowl pressing on a pair in contact collides with it.
TEST(Restitution, ThirdBowlPressingOnAPairInContactCollides) {
    Engine run(0);
    run.eng.AddBowl(100, 4000, 2115, 0, 0);
    run.eng.AddBowl(100, 3428, 2115, 0, 0);    // a touching pair at rest
    run.eng.AddBowl(100, 2000, 2115, 50, 0);
    for (int step = 0; step < 60; ++step) run.eng.Advance();
    ASSERT_GE(run.log.count, 5);
    for (const Collision& c : run.log.all) EXPECT_TRUE(ObeysRestitution(c, 0, false));
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(run.eng.GetBowl(i).Vx, 50.0 / 3, 0.01) << i;   // all three on together
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
    const Crowd& crowd = GetParam();
    Engine run(crowd.percent);
    crowd.build(run.eng);
    run.log.keep = false;
    for (int step = 0; step < crowd.steps; ++step) {
        run.eng.Advance();
        ASSERT_TRUE(Sound(run.eng)) << "step " << step;
        ASSERT_EQ(run.eng.ValidateIndex(), "") << "step " << step;
    }
    EXPECT_TRUE(Sound(run.eng));
    EXPECT_GT(run.log.count, 100);
    EXPECT_EQ(run.log.rises, std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(
    Crowds, InelasticCrowd,
    ::testing::Values(Crowd{"pile_at_half", 50, 3000,
                            [](CEnvEng& e) {
                                bench::Pile(e, 30, 3000, 2000);
                                for (int i = 1; i <= e.BowlCount(); ++i) e.GetBowl(i).Vx = float(i % 7 * 5 - 15);
                            }},
                      Crowd{"crowd_at_0_3", 30, 100000, [](CEnvEng& e) { bench::MixedCrowd(e, 48, 3, 2600, 1800); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vintrop
