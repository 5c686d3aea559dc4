// The paths at the most bowls a step takes, 32,766 (the 32,767th place is
// the inner loop's end, where a step overflows): the store keeps within
// its point budget by keeping fewer steps, and its rings stay right through
// steps forward and back past the oldest point kept.
#include <gtest/gtest.h>

#include "../../bench/common.h"
#include "../engine/engine_support.h"
#include "pathstore.h"

namespace vintrop {
namespace {

TEST(PathStore, AtTheBowlLimitKeepsWithinItsBudgetForwardAndBack) {
    ManualClock clock;
    CEnvEng eng;
    eng.init(clock);
    eng.MaxX = 60000;
    eng.MaxY = 40000;
    bench::FillBox(eng, 32766, eng.MaxX, eng.MaxY);
    ASSERT_EQ(eng.BowlCount(), 32766);
    PathStore paths(eng);
    eng.Attach(&paths);
    paths.Configure(true, 1000);
    EXPECT_EQ(paths.Capacity(), 128);   // 2^22 points over 32,767 paths
    for (int k = 0; k < 130; ++k) eng.Advance();
    const auto expectNewestIsTheEngines = [&] {
        ASSERT_EQ(paths.Validate(), "");
        ASSERT_EQ(paths.LatestT(), eng.t);
        for (int i = 1; i <= eng.BowlCount(); i += 4099) {
            const PathStore::Point p = paths.At(i, paths.Points() - 1);
            EXPECT_EQ(p.x, eng.GetBowl(i).x) << i;
            EXPECT_EQ(p.y, eng.GetBowl(i).y) << i;
        }
    };
    EXPECT_EQ(paths.Points(), 128);
    EXPECT_EQ(paths.StepAt(0), 3);
    expectNewestIsTheEngines();
    for (int k = 0; k < 129; ++k) eng.Reverse();   // past the oldest point kept
    EXPECT_EQ(eng.t, 1);
    EXPECT_EQ(paths.Points(), 1);
    expectNewestIsTheEngines();
    eng.Detach(&paths);
}

// Classroom colours switched on while paused recolour every path, the last
// bowl's too, to its bowl's colour.
using PathStoreTest = testing::EngineTest;

TEST_F(PathStoreTest, EveryPathTakesItsBowlsColourWhenTheColoursChange) {
    for (int k = 0; k < 3; ++k) Add(10, 1000 + 2000.0f * k, 2000, 1, 0);
    PathStore paths(eng);
    eng.Attach(&paths);
    paths.Configure(true, 50);
    eng.Advance();
    eng.SetClassroomColours(true);
    paths.Sync();
    for (int i = 1; i <= eng.BowlCount(); ++i) EXPECT_EQ(paths.Color(i), eng.GetBowl(i).Color) << i;
    eng.Detach(&paths);
}

} // namespace
} // namespace vintrop
