// The engine as a container and a run controller: numbering and colours,
// removal with contact sets, the options, the history log calls, the clock,
// rewind and reset.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "classroompalette.h"
#include "engine_support.h"
#include "numeric.h"

namespace vintrop {
namespace {

using testing::EngineTest;
using testing::Event;

std::vector<int16_t> Ids(const CEnvEng& e) {
    std::vector<int16_t> ids;
    for (int i = 1; i <= e.BowlCount(); ++i) ids.push_back(e.GetBowl(i).Id);
    return ids;
}

TEST_F(EngineTest, AddBowlSetsMassInitialAndCurrentState) {
    CBowl& b = Add(10, 500, 400, 3, -2);
    EXPECT_EQ(b.M(), 10.0f);
    EXPECT_FLOAT_EQ(b.r(), 133.04451f);
    EXPECT_EQ(b.Xo(), 500.0f);
    EXPECT_EQ(b.x, 500.0f);
    EXPECT_EQ(b.Vyo(), -2.0f);
    EXPECT_EQ(b.Vy, -2.0f);
    EXPECT_EQ(&eng.GetBowl(1), &b);
}

TEST_F(EngineTest, AddBowlTakesAGivenBowlAsItIs) {
    auto item = std::make_unique<CBowl>();
    item->SetM(4);
    item->SetXo(1500);
    item->Id = 99;
    CBowl& b = eng.AddBowl(1, 7, 7, 7, 7, std::move(item));
    EXPECT_EQ(b.M(), 4.0f);
    EXPECT_EQ(b.Xo(), 1500.0f);
    EXPECT_EQ(b.Vx, 0.0f);
    EXPECT_EQ(b.Id, 1); // numbered again
}

TEST_F(EngineTest, IdsCountBowlsBeforeAddingAndAreNeverRenumbered) {
    Add(1, 500, 500);
    Add(1, 1500, 500);
    Add(1, 2500, 500);
    EXPECT_EQ(Ids(eng), (std::vector<int16_t>{1, 2, 3}));
    const int32_t colour2 = eng.GetBowl(2).Color;
    eng.RemoveBowl(1);
    EXPECT_EQ(Ids(eng), (std::vector<int16_t>{2, 3}));
    EXPECT_EQ(eng.GetBowl(1).Color, colour2);
    Add(1, 3500, 500);
    EXPECT_EQ(Ids(eng), (std::vector<int16_t>{2, 3, 3}));
}

TEST(EngineColours, AreValidDeterministicAndVaried) {
    auto colours = [] {
        ManualClock clock;
        CEnvEng e;
        e.init(clock);
        std::vector<int32_t> c;
        for (int i = 0; i < 30; ++i) c.push_back(e.AddBowl(1, 100.0f * i, 100, 0, 0).Color);
        return c;
    };
    const std::vector<int32_t> first = colours();
    EXPECT_EQ(colours(), first); // fixed generator start: every run the same colours
    for (int32_t c : first) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 0xFFFFFF);
    }
    EXPECT_GT(std::set<int32_t>(first.begin(), first.end()).size(), 25u);
}

// WCAG relative luminance of an sRGB colour (red + 256 green + 65536 blue).
double Luminance(int32_t c) {
    const auto linear = [](int32_t v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c & 0xFF) + 0.7152 * linear((c >> 8) & 0xFF) + 0.0722 * linear(c >> 16);
}

// The "redmean" weighted RGB distance, a cheap estimate of how different
// two colours look (0 to about 765).
double Redmean(int32_t a, int32_t b) {
    const double r = ((a & 0xFF) + (b & 0xFF)) / 2.0, dr = (a & 0xFF) - (b & 0xFF);
    const double dg = ((a >> 8) & 0xFF) - ((b >> 8) & 0xFF), db = (a >> 16) - (b >> 16);
    return std::sqrt((2 + r / 256) * dr * dr + 4 * dg * dg + (2 + (255 - r) / 256) * db * db);
}

TEST(ClassroomPalette, EveryColourReadsOnBlackAndDiffersFromTheNext) {
    const int n = static_cast<int>(kClassroomPalette.size());
    std::set<std::string> names;
    for (int i = 1; i <= n; ++i) {
        const NamedColour &c = ClassroomColourAt(i), &next = ClassroomColourAt(i + 1);
        EXPECT_GE((Luminance(c.color) + 0.05) / 0.05, 4.5) << c.name;
        EXPECT_GE(Redmean(c.color, next.color), 150) << c.name << " next to " << next.name;
        names.insert(c.name);
    }
    EXPECT_EQ(names.size(), kClassroomPalette.size());
    EXPECT_STREQ(ClassroomColourAt(n + 1).name, ClassroomColourAt(1).name);
}

TEST_F(EngineTest, ClassroomColoursGoByPlaceAndOffGivesTheGeneratorsColoursBack) {
    ManualClock plainClock;
    CEnvEng plain;   // never switched on
    plain.init(plainClock);
    for (int i = 0; i < 15; ++i) plain.AddBowl(1, 200.0f * (i + 1), 500, 0, 0);
    for (int i = 0; i < 5; ++i) Add(1, 200.0f * (i + 1), 500);
    eng.SetClassroomColours(true);
    for (int i = 5; i < 14; ++i) Add(1, 200.0f * (i + 1), 500);
    eng.RemoveBowl(2);   // the bowls after it move up a place and change colour
    ASSERT_EQ(eng.BowlCount(), 13);
    for (int i = 1; i <= 13; ++i) EXPECT_EQ(eng.GetBowl(i).Color, ClassroomColourAt(i).color) << i;
    eng.SetClassroomColours(false);
    Add(1, 3000, 900);
    for (int i = 1; i <= 14; ++i) EXPECT_EQ(eng.GetBowl(i).Color, plain.GetBowl(i < 2 ? i : i + 1).Color) << i;
    eng.SetClassroomColours(true);
    eng.Reset();
    EXPECT_FALSE(eng.ClassroomColours());
}

TEST_F(EngineTest, PositionsOutsideTheCollectionAreSubscriptErrors) {
    Add(1, 500, 500);
    Add(2, 1500, 500);
    for (int bad : {0, -1, 3}) {
        EXPECT_VINTROP_ERROR(eng.GetBowl(bad), err::SubscriptRange);
        EXPECT_VINTROP_ERROR(eng.RemoveBowl(bad), err::SubscriptRange);
    }
    EXPECT_EQ(eng.BowlCount(), 2);
}

// Four bowls with contacts 1-2, 1-4, 3-4; removing position 2 must leave
// the sets naming the same bowls at their new positions.
TEST_F(EngineTest, RemoveBowlKeepsContactSetsPointingAtTheSameBowls) {
    for (int i = 0; i < 4; ++i) Add(1, 500.0f + 1000 * i, 500);
    auto link = [&](int16_t i, int16_t j) {
        eng.GetBowl(i).AddCollision(j);
        eng.GetBowl(j).AddCollision(i);
    };
    link(1, 2);
    link(1, 4);
    link(3, 4);
    eng.RemoveBowl(2);
    ASSERT_EQ(Ids(eng), (std::vector<int16_t>{1, 3, 4}));
    EXPECT_EQ(eng.GetBowl(1).Contacts(), (std::vector<int16_t>{3}));
    EXPECT_EQ(eng.GetBowl(2).Contacts(), (std::vector<int16_t>{3}));
    EXPECT_EQ(eng.GetBowl(3).Contacts(), (std::vector<int16_t>{1, 2}));
}

// Positions are 16-bit: 32767 bowls fit, a 32768th has no number, and a step
// over 32767 bowls overflows its inner position counter after the first bowl.
TEST_F(EngineTest, SixteenBitPositionLimits) {
    for (int k = 0; k < 32767; ++k) Add(0, static_cast<float>(k % 8000), 100);
    EXPECT_EQ(eng.GetBowl(32767).Id, 32767);
    EXPECT_VINTROP_ERROR(Add(0, 1, 1), err::Overflow);
    EXPECT_EQ(eng.BowlCount(), 32767);

    // What CanStep and StepRefusal say beforehand is what the step does.
    EXPECT_FALSE(eng.CanStep());
    EXPECT_EQ(eng.StepRefusal().value_or(VintropError(0, "")).Number(), err::Overflow);
    EXPECT_VINTROP_ERROR(eng.Advance(), err::Overflow);
    EXPECT_EQ(eng.t, 0);
    EXPECT_EQ(rec.Count(Event::Completed), 0);

    eng.RemoveBowl(32767);
    rec.Clear();
    EXPECT_TRUE(eng.CanStep() && !eng.StepRefusal());
    EXPECT_NO_THROW(eng.Advance());
    EXPECT_EQ(rec.Count(Event::Step), 32766);
}

TEST_F(EngineTest, ClearBowlsEmptiesSilently) {
    Add(1, 500, 500);
    Add(1, 1500, 500);
    eng.ClearBowls();
    EXPECT_EQ(eng.BowlCount(), 0);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(Add(1, 500, 500).Id, 1);
}

TEST_F(EngineTest, CentralCollisionIsNormalised) {
    EXPECT_EQ(eng.CentralCollision(), 0);
    eng.CentralCollision(5);
    EXPECT_EQ(eng.CentralCollision(), -1);
    eng.CentralCollision(0);
    EXPECT_EQ(eng.CentralCollision(), 0);
    eng.CentralCollision(1);
    EXPECT_EQ(eng.CentralCollision(), -1);
}

TEST_F(EngineTest, KineticEnergyTotal) {
    EXPECT_EQ(eng.EnCinTot(), 0.0);
    Add(2, 500, 500, 3, 4);
    EXPECT_EQ(eng.EnCinTot(), 25.0);
    Add(1, 1500, 500, -1, 0);
    EXPECT_EQ(eng.EnCinTot(), 25.5);
}

// ---------------------------------------------------------------- history

struct HistoryCalls {
    int created = 0;
    int destroyed = 0;
    std::vector<std::string> calls;
    CEnvEng* boundTo = nullptr;
    IOwnerWindow* owner = nullptr;
};

class FakeHistory : public IHistoryLog {
public:
    explicit FakeHistory(HistoryCalls& c) : m_C(c) { ++m_C.created; }
    ~FakeHistory() override { ++m_C.destroyed; }
    void init(CEnvEng& e) override {
        m_C.calls.push_back("init");
        m_C.boundTo = &e;
    }
    void Terminate() override { m_C.calls.push_back("Terminate"); }
    void Reset() override { m_C.calls.push_back("Reset"); }
    void Show(IOwnerWindow* o) override {
        m_C.calls.push_back(o ? "Show owned" : "Show modal");
        m_C.owner = o;
    }
    void Hide() override { m_C.calls.push_back("Hide"); }

private:
    HistoryCalls& m_C;
};

class HistoryTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        eng.SetHistoryFactory([this] { return std::make_unique<FakeHistory>(h); });
    }
    // The fake writes into h, which goes before the engine: end it here.
    void TearDown() override { eng.Terminate(); }
    HistoryCalls h;
};

TEST_F(HistoryTest, KeepHistoryMinusOneStartsTheLogAnythingElseEndsIt) {
    eng.KeepHistory(-1);
    EXPECT_EQ(eng.KeepHistory(), -1);
    EXPECT_EQ(h.boundTo, &eng);
    eng.KeepHistory(0);
    eng.KeepHistory(5);
    EXPECT_EQ(eng.KeepHistory(), 5); // stored as given
    eng.KeepHistory(1);
    eng.KeepHistory(-1);
    EXPECT_EQ(h.calls, (std::vector<std::string>{"init", "Terminate", "Terminate", "Terminate", "init"}));
    EXPECT_EQ(h.created, 1); // made on first need, then kept
}

TEST_F(HistoryTest, KeepHistoryOffAlsoCreatesTheWindowFirst) {
    eng.KeepHistory(0);
    EXPECT_EQ(h.created, 1);
    EXPECT_EQ(h.calls, (std::vector<std::string>{"Terminate"}));
}

TEST_F(HistoryTest, ShowAndHideReachTheWindow) {
    struct Owner : IOwnerWindow {} owner;
    eng.ShowHistory(&owner);
    eng.ShowHistory(nullptr);
    eng.HideHistory();
    EXPECT_EQ(h.calls, (std::vector<std::string>{"Show owned", "Show modal", "Hide"}));
}

TEST_F(HistoryTest, TerminateEndsAndReleasesTheWindowAndTheBowls) {
    eng.KeepHistory(-1);
    Add(1, 500, 500);
    Add(1, 1500, 500);
    eng.Terminate();
    EXPECT_EQ(h.calls.back(), "Terminate");
    EXPECT_EQ(h.destroyed, 1);
    EXPECT_EQ(eng.BowlCount(), 0);

    // A later use starts afresh.
    eng.KeepHistory(-1);
    EXPECT_EQ(h.created, 2);
    EXPECT_EQ(Add(1, 500, 500).Id, 1);
}

TEST_F(EngineTest, HistoryWithoutAFactoryIsNoError) {
    EXPECT_NO_THROW(eng.KeepHistory(-1));
    EXPECT_EQ(eng.KeepHistory(), -1);
    EXPECT_NO_THROW(eng.ShowHistory(nullptr));
    EXPECT_NO_THROW(eng.HideHistory());
    EXPECT_NO_THROW(eng.Terminate());
}

// ------------------------------------------------------------ run control

TEST_F(EngineTest, InitBindsTheClockAndZeroesTheCounter) {
    eng.t = 12;
    ManualClock other;
    eng.init(other);
    EXPECT_EQ(eng.t, 0);
    eng.sPlay();
    EXPECT_TRUE(other.Enabled());
    EXPECT_FALSE(clock.Enabled());
}

TEST_F(EngineTest, ClockTicksStepOnlyWhilePlaying) {
    Add(1, 500, 500, 10, 0);
    clock.Tick();
    EXPECT_EQ(eng.t, 0);
    EXPECT_FALSE(eng.IsExecuting());
    eng.sPlay();
    EXPECT_TRUE(eng.IsExecuting());
    clock.Tick();
    clock.Tick();
    EXPECT_EQ(eng.t, 2);
    EXPECT_EQ(eng.GetBowl(1).x, 520.0f);
    eng.sStop();
    EXPECT_FALSE(eng.IsExecuting());
    clock.Tick();
    EXPECT_EQ(eng.t, 2);
}

TEST_F(EngineTest, IntervalGoesToTheClockAndNegativeIsRefused) {
    EXPECT_EQ(eng.sInterval(), 50);
    eng.sInterval(30);
    EXPECT_EQ(clock.Interval(), 30);
    EXPECT_EQ(eng.sInterval(), 30);
    EXPECT_VINTROP_ERROR(eng.sInterval(-1), err::InvalidProperty);
    EXPECT_EQ(eng.sInterval(), 30);
    eng.sInterval(0);
    EXPECT_EQ(eng.sInterval(), 0);
}

TEST_F(EngineTest, IntervalBeyondSixteenBitsReadsAsOverflow) {
    clock.SetInterval(40000);
    EXPECT_VINTROP_ERROR(eng.sInterval(), err::Overflow);
}

TEST(EngineWithoutClock, RunControlReportsTheMissingClock) {
    CEnvEng e;
    EXPECT_FALSE(e.IsExecuting());
    EXPECT_VINTROP_ERROR(e.sPlay(), err::ObjectNotSet);
    EXPECT_VINTROP_ERROR(e.sInterval(), err::ObjectNotSet);
}

TEST_F(EngineTest, RewindRestoresInitialStateWithEventsAndKeepsTheClockRunning) {
    CBowl& a = Add(1, 1000, 1000, 0, 1);
    CBowl& b = Add(1, 1050, 1000); // they collide and stay in contact for a while
    Add(3, 4000, 2000, -20, 30);
    eng.sPlay();
    for (int i = 0; i < 3; ++i) eng.Advance();
    ASSERT_TRUE(a.ExistCollision(2));
    rec.Clear();

    eng.sRewind();
    EXPECT_EQ(rec.Trace(), "S1 S2 S3 C");
    EXPECT_EQ(rec.events[0].b1.x, 1000.0f); // each bowl already reset when reported
    EXPECT_EQ(rec.events[0].b1.Vy, 1.0f);
    EXPECT_EQ(rec.events[2].b1.y, 2000.0f);
    EXPECT_EQ(rec.events[3].t, 0);
    EXPECT_EQ(eng.t, 0);
    EXPECT_TRUE(eng.IsExecuting());
    EXPECT_TRUE(a.Contacts().empty());
    EXPECT_TRUE(b.Contacts().empty());
    EXPECT_EQ(b.Vx, 0.0f);
    EXPECT_EQ(b.Vy, 0.0f);
}

// Rewinding empties the contact sets, so a second run from the start repeats
// the first one bit for bit, collisions included.
TEST_F(EngineTest, ReplayAfterRewindIsIdentical) {
    CBowl& a = Add(1, 1000, 1000, 0, 1);
    Add(1, 1050, 1000);
    Add(5, 3000, 1000, -40, 3);
    Add(2, 2000, 1030, 25, 0);
    auto run = [&] {
        rec.Clear();
        for (int i = 0; i < 16; ++i) eng.Advance();
        std::vector<uint32_t> bits;
        for (const auto& e : rec.events) bits.push_back(testing::Bits(e.b1.x) ^ testing::Bits(e.b1.Vy));
        return std::make_pair(rec.Trace(), bits);
    };
    const auto first = run();
    ASSERT_GE(rec.Count(Event::Before), 2);
    ASSERT_FALSE(a.Contacts().empty()) << "the test needs a contact left over at the rewind";
    eng.sRewind();
    EXPECT_EQ(run(), first);
}

TEST_F(EngineTest, ResetRewindsStopsEmptiesAndRestoresTheInterval) {
    eng.CentralCollision(-1);
    Add(1, 1000, 1000, 5, 0);
    Add(2, 3000, 1000, 0, 5);
    eng.sInterval(120);
    eng.sPlay();
    eng.Advance();
    rec.Clear();

    eng.Reset();
    EXPECT_EQ(rec.Trace(), "S1 S2 C");
    EXPECT_EQ(rec.events[0].b1.x, 1000.0f);
    EXPECT_EQ(eng.BowlCount(), 0);
    EXPECT_FALSE(eng.IsExecuting());
    EXPECT_EQ(eng.sInterval(), 50);
    EXPECT_EQ(eng.t, 0);
    EXPECT_EQ(eng.CentralCollision(), -1); // options survive
}

TEST_F(EngineTest, ListenersHearEventsInAttachOrderUntilDetached) {
    struct Tagged : IEngineListener {
        std::string tag;
        std::string* log = nullptr;
        void AdvanceCompleted() override { *log += tag; }
    };
    std::string log;
    Tagged first, second;
    first.tag = "1";
    second.tag = "2";
    first.log = second.log = &log;
    eng.Attach(&first);
    eng.Attach(&second);
    eng.Advance();
    eng.Detach(&first);
    eng.Advance();
    EXPECT_EQ(log, "122");
}

// ------------------------------------ listeners may not change the bowls

// At one kind of event, makes one call that would change the bowls under the
// running step, and counts how the engine answered.
struct Meddler : IEngineListener {
    CEnvEng* engine = nullptr;
    Event::Kind when = Event::Step;
    std::function<void(CEnvEng&)> call;
    bool letThrough = false;   // pass the error on instead of catching it
    int refused = 0, allowed = 0;

    void At(Event::Kind kind) {
        if (kind != when) return;
        try {
            call(*engine);
            ++allowed;
        } catch (const VintropError& e) {
            EXPECT_EQ(e.Number(), err::InvalidCall) << e.Description();
            ++refused;
            if (letThrough) throw;
        }
    }
    void BeforeCollision(const CBowl&, const CBowl&) override { At(Event::Before); }
    void AfterCollision(const CBowl&, const CBowl&) override { At(Event::After); }
    void Step(const CBowl&) override { At(Event::Step); }
    void AdvanceCompleted() override { At(Event::Completed); }
};

// Eight bowls, so that steps use the index: 1 runs into 2 on the first step
// forward, 3 and 4 move apart and so meet on the first step back.
void MeddlingScene(CEnvEng& e, ManualClock& clock) {
    e.init(clock);
    e.MaxX = 8085;
    e.MaxY = 4230;
    e.AddBowl(1, 1000, 1000, 60, 0);
    e.AddBowl(1, 1150, 1000, 0, 0);
    e.AddBowl(1, 3000, 2000, -60, 0);
    e.AddBowl(1, 3130, 2000, 60, 0);
    for (int k = 0; k < 4; ++k) e.AddBowl(2, 500 + 1800.0f * k, 3500, 5, -5);
}

// With the clock's state and interval, which Reset would change.
std::string Snapshot(const CEnvEng& e) {
    return std::to_string(e.IsExecuting()) + ' ' + std::to_string(e.sInterval()) + ' ' + testing::StateOf(e);
}

struct Transport {
    const char* name;
    void (*run)(CEnvEng&);
    bool collides;   // delivers BeforeCollision and AfterCollision
};

TEST(StepLock, EveryCallThatChangesTheBowlsIsRefusedFromEveryEvent) {
    const Transport transports[] = {
        {"Advance", [](CEnvEng& e) { e.Advance(); }, true},
        {"Reverse", [](CEnvEng& e) { e.Reverse(); }, true},
        {"sRewind", [](CEnvEng& e) { e.sRewind(); }, false},
    };
    const std::pair<const char*, std::function<void(CEnvEng&)>> calls[] = {
        {"AddBowl", [](CEnvEng& e) { e.AddBowl(1, 6000, 1000, 0, 0); }},
        {"RemoveBowl", [](CEnvEng& e) { e.RemoveBowl(1); }},
        {"ClearBowls", [](CEnvEng& e) { e.ClearBowls(); }},
        {"Reset", [](CEnvEng& e) { e.Reset(); }},
        {"Terminate", [](CEnvEng& e) { e.Terminate(); }},
        {"Advance", [](CEnvEng& e) { e.Advance(); }},
        {"Reverse", [](CEnvEng& e) { e.Reverse(); }},
        {"sRewind", [](CEnvEng& e) { e.sRewind(); }},
        {"SetFixedBox", [](CEnvEng& e) { e.SetFixedBox(BoxSize{1000, 1000}); }},
        {"SetElasticity", [](CEnvEng& e) { e.SetElasticity(e.Elasticity() == 100 ? 50 : 100); }},
        {"CentralCollision", [](CEnvEng& e) { e.CentralCollision(e.CentralCollision() ? 0 : -1); }},
        {"SerializeIn", [](CEnvEng& e) {
             std::istringstream in("20\r\n0\r\n0\r\n1\r\n1\r\n100\r\n100\r\n0\r\n0\r\n");
             e.SerializeIn(in);
         }},
    };
    for (const Transport& transport : transports)
        for (Event::Kind when : {Event::Before, Event::After, Event::Step, Event::Completed}) {
            if (!transport.collides && (when == Event::Before || when == Event::After)) continue;
            for (const auto& [name, call] : calls) {
                const std::string row = std::string(name) + " during " + transport.name + " at event " +
                                        std::to_string(when);
                // The same scene, once with the meddler and once without.
                ManualClock clock, twinClock;
                CEnvEng engine, twin;
                MeddlingScene(engine, clock);
                MeddlingScene(twin, twinClock);
                engine.sPlay();
                twin.sPlay();
                if (!transport.collides) {
                    engine.Advance();
                    twin.Advance();
                }
                Meddler meddler;
                meddler.engine = &engine;
                meddler.when = when;
                meddler.call = call;
                engine.Attach(&meddler);
                transport.run(engine);
                transport.run(twin);
                EXPECT_GT(meddler.refused, 0) << row;
                EXPECT_EQ(meddler.allowed, 0) << row;
                EXPECT_EQ(Snapshot(engine), Snapshot(twin)) << row;
                // Refused calls leave nothing behind: the next step is the twin's too.
                engine.Advance();
                twin.Advance();
                EXPECT_EQ(Snapshot(engine), Snapshot(twin)) << row;
                EXPECT_EQ(engine.ValidateIndex(), "") << row;
            }
        }
}

// The calls that take no part in a step are allowed from its events and
// leave it exactly as a twin's without them.
TEST(StepLock, CallsThatTakeNoPartInTheStepAreAllowedAndChangeNoneOfIt) {
    const std::pair<const char*, std::function<void(CEnvEng&)>> calls[] = {
        {"sInterval", [](CEnvEng& e) { e.sInterval(20); }},
        {"sStop", [](CEnvEng& e) { e.sStop(); }},
        {"SetClassroomColours", [](CEnvEng& e) { e.SetClassroomColours(!e.ClassroomColours()); }},
        {"KeepHistory", [](CEnvEng& e) { e.KeepHistory(-1); }},
        {"Touch", [](CEnvEng& e) { e.Touch(); }},
    };
    for (Event::Kind when : {Event::Before, Event::After, Event::Step, Event::Completed})
        for (const auto& [name, call] : calls) {
            const std::string row = std::string(name) + " at event " + std::to_string(when);
            ManualClock clock, twinClock;
            CEnvEng engine, twin;
            MeddlingScene(engine, clock);
            MeddlingScene(twin, twinClock);
            Meddler meddler;
            meddler.engine = &engine;
            meddler.when = when;
            meddler.call = call;
            engine.Attach(&meddler);
            engine.Advance();
            twin.Advance();
            EXPECT_GT(meddler.allowed, 0) << row;
            EXPECT_EQ(meddler.refused, 0) << row;
            EXPECT_EQ(testing::StateOf(engine), testing::StateOf(twin)) << row;
        }
}

// A handler that lets the refusal through aborts the step; the engine keeps
// its bowls and steps on once the handler is gone.
TEST(StepLock, ARefusalLetThroughAbortsOnlyThatStep) {
    ManualClock clock;
    CEnvEng engine;
    MeddlingScene(engine, clock);
    testing::Recorder rec(&engine);
    Meddler meddler;
    meddler.engine = &engine;
    meddler.when = Event::Before;
    meddler.call = [](CEnvEng& e) { e.RemoveBowl(2); };
    meddler.letThrough = true;
    engine.Attach(&meddler);
    engine.Attach(&rec);
    EXPECT_VINTROP_ERROR(engine.Advance(), err::InvalidCall);
    EXPECT_EQ(engine.BowlCount(), 8);
    EXPECT_EQ(engine.t, 0);
    engine.Detach(&meddler);
    rec.Clear();
    engine.Advance();
    EXPECT_EQ(engine.t, 1);
    EXPECT_EQ(rec.Count(Event::Completed), 1);
    EXPECT_EQ(engine.ValidateIndex(), "");
    // Outside a step the same call is allowed.
    engine.RemoveBowl(2);
    EXPECT_EQ(engine.BowlCount(), 7);
}

// Every call that changes the engine moves its revision on and reports each
// advance once, after it; the same options set again move nothing.
TEST_F(EngineTest, EveryChangeAdvancesTheRevisionAndIsReportedOnce) {
    struct Counter : IEngineListener {
        const CEnvEng* engine = nullptr;
        uint64_t heard = 0, seen = 0;   // the reports, and the revision the last one saw
        void StateChanged() override { ++heard, seen = engine->Revision(); }
    } counter;
    counter.engine = &eng;
    Add(10, 1000, 1000, 20, 0), Add(10, 3000, 1000, -20, 0);
    std::ostringstream saved;
    ASSERT_TRUE(eng.SerializeOut(saved));
    eng.Attach(&counter);
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"step", [&] { eng.Advance(); }}, {"back", [&] { eng.Reverse(); }}, {"rewind", [&] { eng.sRewind(); }},
        {"AddBowl", [&] { Add(5, 5000, 3000); }}, {"RemoveBowl", [&] { eng.RemoveBowl(3); }},
        {"SerializeIn", [&] { std::istringstream in(saved.str()); EXPECT_TRUE(eng.SerializeIn(in)); }},
        {"SetFixedBox", [&] { eng.SetFixedBox(BoxSize{6000, 4000}); }},
        {"SetClassroomColours", [&] { eng.SetClassroomColours(true); }},
        {"SetElasticity", [&] { eng.SetElasticity(80); }}, {"CentralCollision", [&] { eng.CentralCollision(kTrue); }},
        {"Touch", [&] { eng.Touch(); }}, {"ClearBowls", [&] { eng.ClearBowls(); }},
        {"", [&] { eng.SetClassroomColours(true), eng.SetElasticity(80), eng.CentralCollision(kTrue); }}};
    for (const auto& [name, change] : changes) {
        const uint64_t before = eng.Revision(), heard = counter.heard;
        change();
        EXPECT_EQ(eng.Revision() > before, *name != '\0') << name;
        EXPECT_EQ(counter.heard - heard, eng.Revision() - before) << name;
        EXPECT_EQ(counter.seen, eng.Revision()) << name;
    }
    eng.Detach(&counter);
}

// The test build keeps assert() live: the engine's own checks run in every test.
TEST(Build, KeepsAssertionsLive) {
#ifdef NDEBUG
    ADD_FAILURE() << "built with NDEBUG: the engine's assertions are dead in the tests";
#endif
}

} // namespace
} // namespace vintrop
