// The web page's lesson session: what it keeps of a step, and that a lesson
// it cannot read leaves the one shown before untouched.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "lessonsession.h"

namespace vintrop {
namespace {

// A scenario's text: interval 50, non-central, no history, then the bowls
// (mass, x, y, vx, vy), then an options section when given.
std::string Scenario(const std::vector<std::array<double, 5>>& bowls, const std::string& options = "") {
    std::string text = "50\n0\n0\n" + std::to_string(bowls.size()) + "\n";
    for (const auto& b : bowls)
        for (double v : b) text += std::to_string(v) + "\n";
    return text + options;
}

bool Open(LessonSession& session, const std::string& text) { return session.Open(text.data(), text.size()); }

// Remembers the last collision's bowls after the impact, and the total
// energy just before it.
struct LastCollision : IEngineListener {
    const CEnvEng* engine = nullptr;
    double id1 = 0, v2y = 0, energy = 0;
    void BeforeCollision(const CBowl&, const CBowl&) override {
        if (engine) energy = engine->EnCinTot();
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        id1 = b1.Id;
        v2y = b2.Vy;
    }
};

TEST(LessonSession, KeepsTheNewestCollisionsOfACrowdedStepWithTheEnergyBeforeTheLast) {
    // 150 bowls on one spot, each moving its own way: thousands of pairs
    // collide in the first step.
    std::vector<std::array<double, 5>> pile;
    for (int i = 0; i < 150; ++i) pile.push_back({1, 4000, 2000, 3 * std::cos(i * 0.1), 3 * std::sin(i * 0.1)});
    LessonSession session;
    ASSERT_TRUE(Open(session, Scenario(pile)));
    LastCollision last;
    const_cast<CEnvEng&>(session.Engine()).Attach(&last);
    ASSERT_TRUE(session.Forward());
    ASSERT_GT(session.Collisions(), LessonSession::kMaxEvents);
    EXPECT_EQ(uint64_t(session.StepListed()), session.Collisions());
    const auto& events = session.Events();
    ASSERT_EQ(events.size(), LessonSession::kMaxEvents * LessonSession::kEventFields);
    const double* newest = events.data() + events.size() - LessonSession::kEventFields;
    EXPECT_EQ(newest[0], 1.0);             // an after row
    EXPECT_EQ(newest[2], last.id1);
    EXPECT_EQ(newest[13], double(float(last.v2y)));
    const_cast<CEnvEng&>(session.Engine()).Detach(&last);
}

TEST(LessonSession, GivesTheHistoryTheEnergyJustBeforeTheStepsLastImpact) {
    // A head-on collision that loses energy, with the history kept.
    LessonSession session;
    ASSERT_TRUE(Open(session, Scenario({{10, 1000, 1000, 3, 0}, {5, 1250, 1000, -1, 0}}, "[options]\nElasticity=50\n")));
    session.SetKeepHistory(true);
    LastCollision last;
    last.engine = &session.Engine();
    const_cast<CEnvEng&>(session.Engine()).Attach(&last);
    while (session.Collisions() == 0 && session.Engine().t < 100) ASSERT_TRUE(session.Forward());
    const_cast<CEnvEng&>(session.Engine()).Detach(&last);
    EXPECT_EQ(session.StepListed(), 1);
    EXPECT_EQ(session.ListedEnergy(), last.energy);
    EXPECT_LT(session.Engine().EnCinTot(), last.energy);
}

TEST(LessonSession, AFileItCannotReadLeavesTheLessonAsItWas) {
    LessonSession session;
    ASSERT_TRUE(Open(session, Scenario({{10, 1000, 1000, 3, 0}, {5, 2000, 1000, 0, 0}})));
    ASSERT_TRUE(session.Forward());
    const std::string before = session.StateText();
    const std::string broken = "50\n0\n0\n2\n10\n1000\nnot a number\n";
    EXPECT_FALSE(Open(session, broken));
    EXPECT_EQ(session.Message(), "Errore lettura Dati");
    EXPECT_EQ(session.MessageDetail(), "Line 7: Errore 13: Type mismatch Vintrop");
    // A good scenario padded past the limit is refused unread.
    std::string large = Scenario({{1, 500, 500, 1, 1}});
    large.resize(LessonSession::kMaxFileBytes + 1, '\n');
    EXPECT_FALSE(Open(session, large));
    EXPECT_EQ(session.StateText(), before);
    EXPECT_TRUE(session.Forward());
    EXPECT_EQ(session.Engine().t, 2);
}

TEST(LessonSession, StepsBackOnlyAfterAStepAndOnlyWhenElastic) {
    LessonSession session;
    const auto bowls = Scenario({{10, 1000, 1000, 3, 0}});
    ASSERT_TRUE(Open(session, bowls));
    EXPECT_FALSE(session.Backward());
    ASSERT_TRUE(session.Forward());
    EXPECT_TRUE(session.Backward());
    EXPECT_EQ(session.Engine().t, 0);
    ASSERT_TRUE(Open(session, bowls + "[options]\nElasticity=50\n"));
    ASSERT_TRUE(session.Forward());
    EXPECT_FALSE(session.CanStepBack());
    EXPECT_FALSE(session.Backward());
    EXPECT_EQ(session.Engine().t, 1);
}

} // namespace
} // namespace vintrop
