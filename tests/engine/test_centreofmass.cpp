// The centre of mass moves on unchanged through every collision between two
// bowls: its velocity (CentreOfMassOf) just after the impact equals the one
// just before, to the rounding of the stored velocities, in every lesson of
// examples/ and in a crowd packed into a small box, in both collision modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine_support.h"
#include "totals.h"

namespace vintrop {
namespace {

// Checks each collision between its BeforeCollision and AfterCollision.
//
// How far apart the two velocities may honestly be. Only the pair's four
// velocity components change, each computed in double and stored as a float
// (relative rounding u = 2^-24). Along one axis the pair's momentum changes
// by m1 e1 + m2 e2, the two roundings; in the central mode the second
// bowl's velocity is worked out from the first's already stored one, which
// brings the first's rounding in once more, times m2. So
//   |change| <= u ((m1 + m2) |v1'| + m2 |v2'|)
// plus the double arithmetic of the response (far below: 2^-40 of the
// pair's momenta covers it) and of the two sums over all n bowls that
// CentreOfMassOf makes ((n - 1) 2^-53 of the sum of |m v| each; the products
// of two floats are exact in double). Divided by the total mass, which is
// the same sum both times.
class CollisionChecker : public IEngineListener {
public:
    explicit CollisionChecker(const CEnvEng& engine) : m_Engine(engine) {}

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override {
        m_Before = CentreOfMassOf(m_Engine);
        m_V = {b1.Vx, b1.Vy, b2.Vx, b2.Vy};
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        const CentreOfMass after = CentreOfMassOf(m_Engine);
        ASSERT_TRUE(after.valid && m_Before.valid);
        ASSERT_EQ(after.mass, m_Before.mass);
        ++collisions;
        const double u = std::ldexp(1.0, -24), m1 = b1.M(), m2 = b2.M();
        const auto check = [&](double before, double now, float v1, float v2, float w1, float w2, double all) {
            const double pair = (m1 + m2) * std::fabs(w1) + m2 * std::fabs(w2);
            const double response = std::ldexp(m1 * (std::fabs(v1) + std::fabs(w1)) + m2 * (std::fabs(v2) + std::fabs(w2)), -40);
            const double sums = 2.0 * m_Engine.BowlCount() * std::ldexp(all, -53);
            const double tolerance = (u * pair + response + sums) / after.mass;
            EXPECT_NEAR(now, before, tolerance) << "t=" << m_Engine.t << " bowls " << b1.Id << " and " << b2.Id;
        };
        double allX = 0, allY = 0;   // the sums of |m v|, before or after, whichever is larger
        for (int i = 1; i <= m_Engine.BowlCount(); ++i) {
            const CBowl& b = m_Engine.GetBowl(i);
            allX += b.M() * std::fabs(b.Vx);
            allY += b.M() * std::fabs(b.Vy);
        }
        allX = std::max(allX, std::fabs(m_Before.vx) * m_Before.mass) * 2;
        allY = std::max(allY, std::fabs(m_Before.vy) * m_Before.mass) * 2;
        check(m_Before.vx, after.vx, m_V[0], m_V[2], b1.Vx, b2.Vx, allX);
        check(m_Before.vy, after.vy, m_V[1], m_V[3], b1.Vy, b2.Vy, allY);
    }

    int collisions = 0;

private:
    const CEnvEng& m_Engine;
    CentreOfMass m_Before;
    std::array<float, 4> m_V{};   // the pair's velocities before the impact: v1x, v1y, v2x, v2y
};

// Runs `steps` steps with the checker listening; returns the collisions met.
int RunChecked(CEnvEng& engine, int steps) {
    CollisionChecker checker(engine);
    engine.Attach(&checker);
    for (int s = 0; s < steps && !::testing::Test::HasFatalFailure(); ++s) engine.Advance();
    engine.Detach(&checker);
    return checker.collisions;
}

TEST(CentreOfMass, VelocityUnchangedByEveryCollisionInTheLessons) {
    int collisions = 0, lessons = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VINTROP_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".vintrop") continue;
        for (int16_t central : {int16_t{0}, int16_t{-1}}) {
            SCOPED_TRACE(entry.path().filename().string() + (central ? " central" : " along the centres"));
            ManualClock clock;
            CEnvEng engine;
            engine.init(clock);
            engine.MaxX = kInitialBoxWidth;
            engine.MaxY = kInitialBoxHeight;
            ASSERT_TRUE(testing::ReadExample(engine, entry.path().filename().string()));
            engine.CentralCollision(central);
            // The gas lessons of 2,000 bowls collide some thirty times a
            // step: a few hundred steps bring thousands of collisions.
            collisions += RunChecked(engine, engine.BowlCount() > 100 ? 200 : 3000);
        }
        ++lessons;
    }
    EXPECT_EQ(lessons, 18);
    EXPECT_GT(collisions, 1000);
}

TEST(CentreOfMass, VelocityUnchangedByEveryCollisionInACrowd) {
    // 120 bowls of masses 1 to 50 on a 480-twip lattice that leaves them
    // only a few twips apart, moving at up to 60 twips per step.
    for (int16_t central : {int16_t{0}, int16_t{-1}}) {
        SCOPED_TRACE(central ? "central" : "along the centres");
        ManualClock clock;
        CEnvEng engine;
        engine.init(clock);
        engine.MaxX = 12 * 480;
        engine.MaxY = 10 * 480;
        engine.CentralCollision(central);
        std::mt19937 rng(77);
        std::uniform_int_distribution<int> mass(1, 50);
        std::uniform_real_distribution<float> v(-60, 60);
        for (int k = 0; k < 120; ++k)
            engine.AddBowl(static_cast<int16_t>(mass(rng)), 240.0f + 480 * (k % 12), 240.0f + 480 * (k / 12), v(rng), v(rng));
        EXPECT_GT(RunChecked(engine, 1500), 5000);
    }
}

} // namespace
} // namespace vintrop
