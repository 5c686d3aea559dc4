// The history's energy panel shows the total as it was before the last
// collision of a step, worked out once the step is over from the two bowls'
// velocities kept at that collision. Walls only flip signs afterwards, so the
// total must come out the same to the bit.
#include <gtest/gtest.h>

#include "envengine.h"

using namespace vintrop;

namespace {

struct LastCollision : IEngineListener {
    CEnvEng* engine = nullptr;
    const CBowl* b1 = nullptr;
    const CBowl* b2 = nullptr;
    float v1x = 0, v1y = 0, v2x = 0, v2y = 0;
    double total = 0;
    int collisions = 0;
    void BeforeCollision(const CBowl& a, const CBowl& b) override {
        b1 = &a;
        b2 = &b;
        v1x = a.Vx, v1y = a.Vy, v2x = b.Vx, v2y = b.Vy;
        total = engine->EnCinTot();
        ++collisions;
    }
};

TEST(Energy, TotalBeforeALaterCollisionIsRecoveredExactlyAfterTheStep) {
    for (int16_t central : {int16_t(0), int16_t(-1)}) {
        CEnvEng engine;
        ManualClock clock;
        engine.init(clock);
        engine.CentralCollision(central);
        engine.MaxX = 2600;
        engine.MaxY = 1900;
        for (int k = 0; k < 30; ++k)
            engine.AddBowl(static_cast<int16_t>(1 + (k * 7) % 13), 150.0f + (k % 6) * 400, 150.0f + (k / 6) * 360,
                           static_cast<float>((k * 37) % 61 - 30) + 0.37f, static_cast<float>((k * 53) % 47 - 23) - 0.11f);
        LastCollision last;
        last.engine = &engine;
        engine.Attach(&last);
        int checked = 0;
        for (int step = 0; step < 200; ++step) {
            const int before = last.collisions;
            if (step % 50 < 40)
                engine.Advance();
            else
                engine.Reverse();
            if (last.collisions == before) continue;
            ++checked;
            EXPECT_EQ(engine.EnCinTotWith(*last.b1, last.v1x, last.v1y, *last.b2, last.v2x, last.v2y), last.total)
                << "step " << step;
        }
        EXPECT_GT(checked, 20);
    }
}

TEST(Energy, AFailedStepIsReportedToListeners) {
    struct Aborts : IEngineListener {
        int aborted = 0, completed = 0;
        void StepAborted() override { ++aborted; }
        void AdvanceCompleted() override { ++completed; }
    } listener;
    CEnvEng engine;
    ManualClock clock;
    engine.init(clock);
    engine.MaxX = 3.4e38f;
    engine.MaxY = 3.4e38f;
    engine.AddBowl(1, 3.0e38f, 100, 3.0e38f, 0);   // moves beyond the float range
    engine.Attach(&listener);
    EXPECT_THROW(engine.Advance(), VintropError);
    EXPECT_EQ(listener.aborted, 1);
    EXPECT_EQ(listener.completed, 0);
}

} // namespace
