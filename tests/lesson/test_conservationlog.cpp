// The conservation graphs' data: one point per step that follows the
// transport, min/max spans within a fixed budget, the latest collisions'
// pair momenta.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <string>

#include "conservationlog.h"
#include "../engine/engine_support.h"

namespace vintrop::testing {
namespace {

// The totals summed here from the bowls, independently of TotalsOf.
Totals SumByHand(const CEnvEng& eng) {
    Totals s;
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        const CBowl& b = eng.GetBowl(i);
        const double vx = b.Vx, vy = b.Vy;
        s.energy = s.energy + (vx * vx + vy * vy) * (0.5 * b.M());
        s.px += static_cast<double>(b.M()) * b.Vx;
        s.py += static_cast<double>(b.M()) * b.Vy;
    }
    return s;
}

void ExpectSame(const Totals& got, const Totals& want, const std::string& where) {
    EXPECT_EQ(got.energy, want.energy) << where;
    EXPECT_EQ(got.px, want.px) << where;
    EXPECT_EQ(got.py, want.py) << where;
}

void LoadExample(CEnvEng& eng, const char* name) {
    eng.Reset();
    ASSERT_TRUE(ReadExample(eng, name));
}

class ConservationLogTest : public EngineTest {
protected:
    // Two bowls that meet head-on near t = 10 and then reach the walls.
    void TwoBowls() {
        Add(2, 3000, 2000, 40, 0);
        Add(1, 3900, 2000, -50, 3);
    }
    // Steps forward, keeping the exact totals after each step by t.
    void Forward(int steps) {
        for (int k = 0; k < steps; ++k) {
            eng.Advance();
            seen[eng.t] = SumByHand(eng);
        }
    }
    std::map<int32_t, Totals> seen;
};

TEST_F(ConservationLogTest, FollowsForwardStepsBackAndRewind) {
    TwoBowls();
    ConservationLog log(eng);
    eng.Attach(&log);
    seen[0] = SumByHand(eng);
    Forward(40);
    ASSERT_EQ(rec.Count(Event::After), 1) << "the scene should hold exactly one collision";

    // STEP: one point per step, each the totals after that step.
    ASSERT_EQ(log.Spans().size(), 41u);
    for (const TotalsSpan& s : log.Spans()) {
        EXPECT_EQ(s.firstT, s.lastT);
        ExpectSame(s.first, seen.at(s.firstT), "t=" + std::to_string(s.firstT));
    }
    ASSERT_EQ(log.Collisions().size(), 1u);
    const int32_t collisionT = log.Collisions().front().t;
    EXPECT_GT(collisionT, 0);
    EXPECT_LE(collisionT, 40);

    // BACK to just before the collision: it and every later point go, and
    // the point at the new t is the engine's state now, not the kept one.
    while (eng.t >= collisionT) eng.Reverse();
    EXPECT_EQ(log.Spans().size(), static_cast<size_t>(eng.t) + 1);
    EXPECT_EQ(log.Spans().back().firstT, eng.t);
    ExpectSame(log.Spans().back().first, SumByHand(eng), "after BACK");
    ExpectSame(log.Latest(), SumByHand(eng), "latest after BACK");
    EXPECT_TRUE(log.Collisions().empty()) << "a collision after the new t must go";

    // Forward again through the collision: it comes back once, not twice.
    Forward(5);
    EXPECT_EQ(log.Collisions().size(), 1u);
    EXPECT_EQ(log.Spans().back().firstT, eng.t);

    // REW: the graphs start again from t = 0.
    eng.sRewind();
    ASSERT_EQ(log.Spans().size(), 1u);
    EXPECT_EQ(log.Spans().front().firstT, 0);
    ExpectSame(log.Spans().front().first, seen.at(0), "after REW");
    EXPECT_TRUE(log.Collisions().empty());
}

TEST_F(ConservationLogTest, ChangesTheEngineDoesNotReportAreTakenBySync) {
    TwoBowls();
    ConservationLog log(eng);
    eng.Attach(&log);
    Forward(20);
    eng.sRewind();

    // An edit at t = 0: the only point is the new scenario's.
    eng.GetBowl(1).SetVxo(-10);
    eng.GetBowl(2).SetM(5);
    log.Sync();
    ASSERT_EQ(log.Spans().size(), 1u);
    ExpectSame(log.Spans().front().first, SumByHand(eng), "after the edit");
    ASSERT_TRUE(log.RelativeEnergyChange().has_value());
    EXPECT_EQ(*log.RelativeEnergyChange(), 0.0);

    // A reload: another scenario, the graphs start from its t = 0.
    Forward(30);
    LoadExample(eng, "gas-of-bowls.vintrop");
    log.Sync();
    ASSERT_EQ(log.Spans().size(), 1u);
    EXPECT_EQ(log.Spans().front().firstT, 0);
    ExpectSame(log.Spans().front().first, SumByHand(eng), "after the reload");
    EXPECT_TRUE(log.Collisions().empty());

    // New: no bowls, no energy, no relative change to speak of.
    eng.Reset();
    log.Sync();
    ASSERT_EQ(log.Spans().size(), 1u);
    EXPECT_EQ(log.Spans().front().first.energy, 0.0);
    EXPECT_FALSE(log.RelativeEnergyChange().has_value());
}

// The spans of a long run tile it from t = 0, and each one's first point,
// min and max are exactly those of the steps it covers. After BACK into a
// merged span only that span's first step is still known exactly, which
// leaves the one gap allowed before the last span.
void ExpectSpansMatch(const ConservationLog& log, const std::map<int32_t, Totals>& seen, int32_t t,
                      bool gapBeforeLast = false) {
    const auto& spans = log.Spans();
    ASSERT_FALSE(spans.empty());
    ASSERT_LT(spans.size(), log.SpanLimit());
    EXPECT_EQ(spans.front().firstT, 0);
    EXPECT_EQ(spans.back().lastT, t);
    for (size_t i = 0; i < spans.size(); ++i) {
        const TotalsSpan& s = spans[i];
        const bool cutByBack = gapBeforeLast && i + 2 == spans.size() && s.lastT + 1 != spans[i + 1].firstT;
        if (cutByBack) {
            ASSERT_EQ(s.lastT, s.firstT) << "a span cut by BACK keeps only its first step";
            ASSERT_LT(s.lastT, spans[i + 1].firstT);
        } else if (i + 1 < spans.size()) {
            ASSERT_EQ(s.lastT + 1, spans[i + 1].firstT) << "span " << i;
        }
        ExpectSame(s.first, seen.at(s.firstT), "first of span " + std::to_string(i));
        Totals lo = seen.at(s.firstT), hi = lo;
        for (int32_t k = s.firstT + 1; k <= s.lastT; ++k) {
            const Totals& v = seen.at(k);
            lo = {std::min(lo.energy, v.energy), std::min(lo.px, v.px), std::min(lo.py, v.py)};
            hi = {std::max(hi.energy, v.energy), std::max(hi.px, v.px), std::max(hi.py, v.py)};
        }
        ExpectSame(s.min, lo, "min of span " + std::to_string(i));
        ExpectSame(s.max, hi, "max of span " + std::to_string(i));
    }
}

TEST_F(ConservationLogTest, MemoryStaysBoundedOverALongRun) {
    LoadExample(eng, "gas-of-bowls.vintrop");
    Recorder collisions(&eng);
    eng.Attach(&collisions);
    ConservationLog log(eng, 16, 8);
    eng.Attach(&log);
    seen[0] = SumByHand(eng);
    size_t largest = 0;
    for (int k = 0; k < 3000; ++k) {
        Forward(1);
        largest = std::max(largest, log.Spans().size());
    }
    EXPECT_EQ(largest, 15u) << "the spans should fill their budget and never pass it";
    EXPECT_GE(log.Stride(), 256);
    ExpectSpansMatch(log, seen, eng.t);
    // A Sync with nothing changed (the program's pause, a resize) keeps
    // every span whole.
    const uint64_t revision = log.Revision();
    log.Sync();
    EXPECT_EQ(log.Revision(), revision);
    ExpectSpansMatch(log, seen, eng.t);

    // The collision plot keeps the latest ones, each tagged with its step.
    std::vector<int32_t> after;
    for (const auto& e : collisions.events)
        if (e.kind == Event::After) after.push_back(e.t + 1);
    ASSERT_GT(after.size(), 8u);
    ASSERT_EQ(log.Collisions().size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(log.Collisions()[i].t, after[after.size() - 8 + i]);

    // BACK into the newest span: it keeps only what is still before t.
    for (int k = 0; k < 3; ++k) {
        eng.Reverse();
        seen[eng.t] = SumByHand(eng);
    }
    ExpectSpansMatch(log, seen, eng.t, true);
    for (const auto& c : log.Collisions()) EXPECT_LE(c.t, eng.t);
}

// Stepping back one step at a time through a busy run with merged spans:
// after every single step the log holds what it held at that t on the way
// forward (collisions met again on the way back are not added twice), and
// its spans and latest point are the engine's.
TEST_F(ConservationLogTest, EverySingleBackStepLeavesWhatTheRunHadThere) {
    LoadExample(eng, "gas-of-bowls.vintrop");
    ConservationLog log(eng, 16);
    eng.Attach(&log);
    seen[0] = SumByHand(eng);
    std::map<int32_t, std::deque<CollisionMomentum>> held{{0, log.Collisions()}};
    for (int k = 0; k < 300; ++k) {
        Forward(1);
        held[eng.t] = log.Collisions();
    }
    ASSERT_GT(held.at(eng.t).size(), 40u);
    ASSERT_GT(log.Stride(), 8);
    while (eng.t > 0) {
        eng.Reverse();
        seen[eng.t] = SumByHand(eng);
        const std::string where = "back at t=" + std::to_string(eng.t);
        const auto& want = held.at(eng.t);
        ASSERT_EQ(log.Collisions().size(), want.size()) << where;
        for (size_t i = 0; i < want.size(); ++i) {
            const CollisionMomentum& c = log.Collisions()[i];
            EXPECT_EQ(c.t, want[i].t) << where;
            EXPECT_EQ(c.beforeX, want[i].beforeX) << where;
            EXPECT_EQ(c.afterY, want[i].afterY) << where;
        }
        ExpectSame(log.Latest(), seen.at(eng.t), where);
        ExpectSpansMatch(log, seen, eng.t, true);
        if (HasFatalFailure()) return;
    }
}

TEST_F(ConservationLogTest, EveryCollisionPointLiesOnTheLine) {
    LoadExample(eng, "gas-of-bowls.vintrop");
    ConservationLog log(eng, 64, 100000);
    eng.Attach(&log);
    float heaviest = 0;
    for (int i = 1; i <= eng.BowlCount(); ++i) heaviest = std::max(heaviest, eng.GetBowl(i).M());
    // No pair's momentum can exceed what all the energy in the heaviest
    // bowl would give: the scale for float rounding of the velocities.
    const double scale = 2 * std::sqrt(2 * heaviest * eng.EnCinTot());
    for (int k = 0; k < 2000; ++k) eng.Advance();
    ASSERT_GT(log.Collisions().size(), 20u);
    for (const CollisionMomentum& c : log.Collisions()) {
        EXPECT_NEAR(c.afterX, c.beforeX, 1e-6 * scale) << "t=" << c.t;
        EXPECT_NEAR(c.afterY, c.beforeY, 1e-6 * scale) << "t=" << c.t;
    }
    ASSERT_TRUE(log.RelativeEnergyChange().has_value());
    EXPECT_LT(std::abs(*log.RelativeEnergyChange()), 1e-5);
}

// The pair's momentum both windows show: each product and their sum exact,
// rounded once to a float. A product rounded to a float first loses what
// the first row keeps (2^-27) and moves the second by a whole unit.
// Two head-on pairs at 50 % each lose 20 of their 47.5 (1/2 * 10 * 3^2 +
// 1/2 * 5 * 1^2; the loss is 1/2 * (10 * 5 / 15) * 4^2 * (1 - 0.5^2)): the
// energy falls by 40 of 95.
TEST_F(ConservationLogTest, ALossShowsAsANegativeRelativeChange) {
    for (float y : {1000.0f, 3000.0f}) {
        Add(10, 1000, y, 3, 0);
        Add(5, 1250, y, -1, 0);
    }
    eng.SetElasticity(50);
    ConservationLog log(eng);
    eng.Attach(&log);
    log.Sync();
    Forward(100);
    ASSERT_TRUE(log.RelativeEnergyChange().has_value());
    EXPECT_NEAR(*log.RelativeEnergyChange(), -40.0 / 95.0, 1e-12);
    eng.Detach(&log);
}

TEST(PairMomentum, IsTheExactSumRoundedOnceToAFloat) {
    struct Row {
        float m1, v1, m2, v2, sum;
    };
    for (const Row& r : {Row{3, 0.1f, 1, -0.3f, -0x1p-27f}, Row{32767, 999, 32767, -998.9f, 3275.89990234375f},
                         Row{30000, 41.02f, 7, -0.71f, 1230595.0f}})
        EXPECT_EQ(PairMomentum(r.m1, r.v1, r.m2, r.v2), r.sum) << r.m1 << " * " << r.v1 << " + " << r.m2 << " * " << r.v2;
}

// A pair momentum beyond the float range is no point to plot, and the
// history window does not count that collision either.
TEST_F(ConservationLogTest, ACollisionWhoseMomentumOverflowsAFloatIsNotKept) {
    ConservationLog log(eng);
    CBowl& a = Add(300, 1000, 1000, 41, 0);
    CBowl& b = Add(7, 1200, 1000, -1, 0);
    for (float vy : {0.0f, 2e36f, 0.0f}) {
        a.Vy = vy;
        log.BeforeCollision(a, b);
        log.AfterCollision(a, b);
        ++eng.t;
        log.AdvanceCompleted();
    }
    ASSERT_EQ(log.Collisions().size(), 2u);
    EXPECT_EQ(log.Collisions().front().t, 1);
    EXPECT_EQ(log.Collisions().back().t, 3);
    EXPECT_EQ(log.Collisions().back().beforeX, 300 * 41 - 7);
}

// The scale of a collision's rounding, kept even where the sums are zero:
// the largest m * |v| of either bowl, before or after.
TEST_F(ConservationLogTest, ACollisionKeepsTheLargestBowlMomentumBeforeOrAfter) {
    ConservationLog log(eng);
    CBowl& a = Add(3, 1000, 1000, 0, 0);
    CBowl& b = Add(2, 1200, 1000, 0, 0);
    struct Row {
        float before[4], after[4];   // a.Vx, a.Vy, b.Vx, b.Vy
        double want;
    };
    const auto set = [&](const float* v) { a.Vx = v[0], a.Vy = v[1], b.Vx = v[2], b.Vy = v[3]; };
    for (const Row& r : {Row{{3, 4, -3, -4}, {0, 0, 6, -8}, 20}, Row{{0, 7, 0, 0}, {0, 1, 0, 0}, 21}}) {
        set(r.before);
        log.BeforeCollision(a, b);
        set(r.after);
        log.AfterCollision(a, b);
        ++eng.t;
        log.AdvanceCompleted();
        EXPECT_EQ(log.Collisions().back().bowlMomentum, r.want);
    }
}

} // namespace
} // namespace vintrop::testing
