// The indexed pair loop must give bit for bit what the plain loop gives:
// same collisions in the same order, same floats, same contact sets.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine_support.h"
#include "envengine.h"

using namespace vintrop;

namespace {

using vintrop::testing::Bits;
using vintrop::testing::StateOf;

// Writes every event with the exact bits of what it reports.
class Recorder : public IEngineListener {
public:
    std::ostringstream log;
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override { Pair("B", b1, b2); }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override { Pair("A", b1, b2); }
    void Step(const CBowl& b) override { log << "S" << b.Id << ' ' << Bits(b.x) << ' ' << Bits(b.y) << '\n'; }
    void AdvanceCompleted() override { log << "C\n"; }

private:
    void Pair(const char* tag, const CBowl& b1, const CBowl& b2) {
        log << tag << b1.Id << ',' << b2.Id;
        for (float v : {b1.x, b1.y, b1.Vx, b1.Vy, b2.x, b2.y, b2.Vx, b2.Vy}) log << ' ' << Bits(v);
        log << '\n';
    }
};

struct Scenario {
    const char* name;
    int bowls;
    float maxX, maxY;
    int massLow, massHigh;
    int zeroMassEvery;   // every k-th bowl has mass 0 (0: none)
    int hugeEvery;       // every k-th bowl is very heavy (0: none)
    bool allowOverlap;
    bool central;
    float spread;        // starting positions span spread * box (1: inside)
    float speed;
};

class World {
public:
    CEnvEng engine;
    ManualClock clock;
    Recorder events;

    World(const Scenario& s, unsigned seed, bool plain) {
        engine.init(clock);
        engine.SetPlainLoop(plain);
        engine.MaxX = s.maxX;
        engine.MaxY = s.maxY;
        engine.CentralCollision(s.central ? -1 : 0);
        engine.Attach(&events);
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> mass(s.massLow, s.massHigh);
        const float w = std::max(1.0f, s.maxX) * s.spread, h = std::max(1.0f, s.maxY) * s.spread;
        std::uniform_real_distribution<float> px(-0.5f * (w - s.maxX), s.maxX + 0.5f * (w - s.maxX));
        std::uniform_real_distribution<float> py(-0.5f * (h - s.maxY), s.maxY + 0.5f * (h - s.maxY));
        std::uniform_real_distribution<float> v(-s.speed, s.speed);
        for (int k = 1; k <= s.bowls; ++k) {
            int m = mass(rng);
            if (s.zeroMassEvery && k % s.zeroMassEvery == 0) m = 0;
            if (s.hugeEvery && k % s.hugeEvery == 0) m = 32767;
            // Whole-number positions, as the editors give them.
            const float x = std::round(px(rng)), y = std::round(py(rng));
            const float vx = std::round(v(rng)), vy = std::round(v(rng));
            if (!s.allowOverlap) {
                bool clear = true;
                CBowl probe;
                probe.SetM(static_cast<float>(m));
                probe.x = x;
                probe.y = y;
                for (int j = 1; j <= engine.BowlCount() && clear; ++j)
                    clear = CEnvEng::RelDist(probe, engine.GetBowl(j)) > probe.r() + engine.GetBowl(j).r();
                if (!clear) continue;
            }
            engine.AddBowl(static_cast<int16_t>(m), x, y, vx, vy);
        }
    }
};

const Scenario kSetups[] = {
    {"sparse equal masses", 60, 8085, 4230, 1, 1, 0, 0, false, false, 1.0f, 40},
    {"crowded small bowls", 400, 4000, 3000, 1, 3, 0, 0, false, false, 1.0f, 30},
    {"crowded central mode", 400, 4000, 3000, 1, 3, 0, 0, false, true, 1.0f, 30},
    {"mixed masses with huge bowls", 150, 12000, 8000, 1, 2000, 0, 25, false, false, 1.0f, 50},
    {"overlapping starts", 200, 3000, 2000, 1, 50, 0, 0, true, false, 1.0f, 20},
    {"zero-mass bowls among others", 200, 4000, 3000, 0, 10, 5, 0, true, false, 1.0f, 25},
    {"box of size zero", 40, 0, 0, 1, 5, 0, 0, true, false, 1.0f, 10},
    {"bowls pushed outside the box", 150, 5000, 3000, 1, 100, 0, 0, true, false, 3.0f, 60},
    {"very fast bowls", 100, 6000, 4000, 1, 10, 0, 0, false, true, 1.0f, 900},
};

class IndexedMatchesPlain : public ::testing::TestWithParam<Scenario> {};

TEST_P(IndexedMatchesPlain, AfterEveryForwardAndBackStep) {
    const Scenario& s = GetParam();
    for (unsigned seed : {1u, 2u}) {
        World plain(s, seed, true), indexed(s, seed, false);
        ASSERT_EQ(StateOf(plain.engine), StateOf(indexed.engine));
        for (int step = 0; step < 120; ++step) {
            const bool back = step % 40 >= 30;  // runs of forward steps, then back steps
            if (back) {
                plain.engine.Reverse();
                indexed.engine.Reverse();
            } else {
                plain.engine.Advance();
                indexed.engine.Advance();
            }
            ASSERT_EQ(StateOf(plain.engine), StateOf(indexed.engine)) << s.name << " seed " << seed << " step " << step;
            ASSERT_EQ(plain.events.log.str(), indexed.events.log.str()) << s.name << " step " << step;
            ASSERT_EQ(indexed.engine.ValidateIndex(), "") << s.name << " seed " << seed << " step " << step;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, IndexedMatchesPlain, ::testing::ValuesIn(kSetups),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

TEST(IndexedLoop, FollowsABoxResizedBetweenSteps) {
    Scenario s{"resized", 150, 6000, 4000, 1, 20, 0, 0, false, false, 1.0f, 40};
    World plain(s, 7, true), indexed(s, 7, false);
    for (int step = 0; step < 60; ++step) {
        const float w = step % 20 < 10 ? 6000.0f : 3000.0f;
        plain.engine.MaxX = indexed.engine.MaxX = w;
        plain.engine.Advance();
        indexed.engine.Advance();
        ASSERT_EQ(StateOf(plain.engine), StateOf(indexed.engine)) << "step " << step;
        ASSERT_EQ(indexed.engine.ValidateIndex(), "") << "step " << step;
    }
}

TEST(IndexedLoop, SeesBowlsEditedBetweenSteps) {
    Scenario s{"edited", 80, 5000, 3000, 1, 5, 0, 0, false, false, 1.0f, 30};
    World plain(s, 3, true), indexed(s, 3, false);
    for (int step = 0; step < 40; ++step) {
        plain.engine.Advance();
        indexed.engine.Advance();
        ASSERT_EQ(indexed.engine.ValidateIndex(), "") << "step " << step;
        if (step == 10) {
            // Teleport a bowl onto another one, as a test or an editor could.
            for (World* w : {&plain, &indexed}) {
                w->engine.GetBowl(5).x = w->engine.GetBowl(9).x + 10;
                w->engine.GetBowl(5).y = w->engine.GetBowl(9).y;
            }
        }
        if (step == 20) {
            plain.engine.RemoveBowl(3);
            indexed.engine.RemoveBowl(3);
        }
        // Onto bowl 1, one axis at a time, x first then (with another bowl)
        // y first: an index that followed only one axis would miss the pair
        // when bowl 1 is stepped.
        if (step == 25 || step == 26 || step == 32 || step == 33)
            for (World* w : {&plain, &indexed}) {
                CBowl& b = w->engine.GetBowl(step < 30 ? 7 : 8);
                const CBowl& first = w->engine.GetBowl(1);
                if (step == 25 || step == 33) b.x = first.x + 10;
                if (step == 26 || step == 32) b.y = first.y;
            }
        ASSERT_EQ(StateOf(plain.engine), StateOf(indexed.engine)) << "step " << step;
        ASSERT_EQ(plain.events.log.str(), indexed.events.log.str());
    }
}

} // namespace

namespace {

// Two bowls at opposite ends of the float range: their distance does not fit
// a float, which must read as "far apart", not fail the step, in both loops.
TEST(IndexedLoop, BowlsFartherApartThanTheFloatRangeDoNotFailAStep) {
    for (bool plain : {true, false}) {
        CEnvEng engine;
        ManualClock clock;
        engine.init(clock);
        engine.SetPlainLoop(plain);
        engine.MaxX = 3.4e38f;
        engine.MaxY = 4230;
        engine.AddBowl(1, 3e38f, 100, 0, 0);
        engine.AddBowl(1, -3e38f, 100, 0, 0);
        EXPECT_NO_THROW(engine.Advance()) << (plain ? "plain" : "indexed");
        EXPECT_EQ(engine.t, 1);
    }
}

} // namespace
