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

// Counts the collisions and keeps the last one's bowls after the impact
// and the total energy just before it, straight from the engine's events.
struct LastCollision : IEngineListener {
    const CEnvEng* engine = nullptr;
    int collisions = 0;
    double id1 = 0, v2y = 0, energy = 0;
    void BeforeCollision(const CBowl&, const CBowl&) override {
        ++collisions;
        if (engine) energy = engine->EnCinTot();
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        id1 = b1.Id;
        v2y = b2.Vy;
    }
};

// Steps with `last` listening until the first step that has collisions.
void StepToACollision(LessonSession& session, LastCollision& last) {
    last.engine = &session.Engine();
    const_cast<CEnvEng&>(session.Engine()).Attach(&last);
    while (last.collisions == 0 && session.Engine().t < 100) ASSERT_TRUE(session.Forward());
    const_cast<CEnvEng&>(session.Engine()).Detach(&last);
}

TEST(LessonSession, KeepsTheNewestCollisionsOfACrowdedStepWithTheEnergyBeforeTheLast) {
    // 150 bowls on one spot, each moving its own way: thousands of pairs
    // collide in the first step.
    std::vector<std::array<double, 5>> pile;
    for (int i = 0; i < 150; ++i) pile.push_back({1, 4000, 2000, 3 * std::cos(i * 0.1), 3 * std::sin(i * 0.1)});
    LessonSession session;
    ASSERT_TRUE(Open(session, Scenario(pile)));
    session.SetKeepHistory(true);
    LastCollision last;
    StepToACollision(session, last);
    ASSERT_EQ(session.Engine().t, 1);
    ASSERT_GT(last.collisions, 600);
    EXPECT_EQ(session.History().Count(), last.collisions);
    EXPECT_EQ(session.History().PanelCount(), last.collisions);
    EXPECT_EQ(session.History().PanelEnergy(), last.energy);
    // The newest 1,002 rows, as the program's history holds them: the
    // oldest pairs made room.
    const auto& rows = session.History().Rows();
    ASSERT_EQ(rows.size(), 1002u);
    EXPECT_EQ(session.History().NextSerial(), 2u * uint64_t(last.collisions));
    EXPECT_TRUE(rows.back().after);
    EXPECT_EQ(session.HistoryCell(rows.size() - 2, 1), std::to_string(int(last.id1)));
    EXPECT_EQ(rows.back().v2y, float(last.v2y));
}

TEST(LessonSession, ListsEachLossyCollisionOfAStepWithTheEnergyBeforeTheLast) {
    // Two pairs that meet in the same step at 50 %: the panel shows the
    // total just before the second impact, which the first already lowered.
    LessonSession session;
    ASSERT_TRUE(Open(session, Scenario({{10, 1000, 1000, 3, 0}, {5, 1250, 1000, -1, 0},
                                        {10, 1000, 3000, 3, 0}, {5, 1250, 3000, -1, 0}},
                                       "[options]\nElasticity=50\n")));
    session.SetKeepHistory(true);
    LastCollision last;
    StepToACollision(session, last);
    ASSERT_EQ(last.collisions, 2);
    // Each pair has 1/2 * 10 * 3^2 + 1/2 * 5 * 1^2 = 47.5 at the start, and
    // each impact loses 1/2 * (10 * 5 / 15) * 4^2 * (1 - 0.5^2) = 20.
    EXPECT_DOUBLE_EQ(last.energy, 95 - 20);
    EXPECT_EQ(session.History().PanelEnergy(), last.energy);
    EXPECT_EQ(session.History().Count(), 2);
    ASSERT_EQ(session.History().Rows().size(), 4u);
    for (int r : {1, 3}) EXPECT_EQ(session.HistoryCell(std::size_t(r), kLossColumn), "20.00");
    EXPECT_DOUBLE_EQ(session.Engine().EnCinTot(), 95 - 40);
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
    // A broken file with an interval of its own leaves the lesson's interval.
    EXPECT_FALSE(Open(session, "20\n0\n0\n1\n10\nnot a number\n"));
    EXPECT_EQ(session.Engine().sInterval(), 50);
    // A good scenario padded to the limit is read; one byte more is refused unread.
    std::string large = Scenario({{1, 500, 500, 1, 1}});
    large.resize(LessonSession::kMaxFileBytes + 1, '\n');
    EXPECT_FALSE(Open(session, large));
    EXPECT_EQ(session.MessageDetail(), "The file is larger than 16 MB.");
    EXPECT_EQ(session.StateText(), before);
    EXPECT_EQ(session.Engine().sInterval(), 50);
    EXPECT_TRUE(session.Forward());
    EXPECT_EQ(session.Engine().t, 2);
    large.pop_back();
    EXPECT_TRUE(Open(session, large));
    EXPECT_EQ(session.Engine().BowlCount(), 1);
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

TEST(LessonSession, ARefusedFileKeepsTheIntervalOfTheLessonShown) {
    LessonSession session;
    ASSERT_TRUE(Open(session, "20\n0\n0\n1\n10\n1000\n1000\n3\n0\n"));
    EXPECT_EQ(session.Engine().sInterval(), 20);
    ASSERT_TRUE(session.Forward());
    EXPECT_FALSE(Open(session, "7\n0\n0\n1\n10\nnot a number\n"));
    EXPECT_EQ(session.Engine().sInterval(), 20);
    // The clock still drives the lesson shown, not the one thrown away.
    EXPECT_TRUE(session.Forward());
    EXPECT_EQ(session.Engine().t, 2);
}


} // namespace
} // namespace vintrop
