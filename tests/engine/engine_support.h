#pragma once
// Helpers shared by the engine tests: a listener that records every event
// with a snapshot of the bowls involved, and a fixture with an engine bound
// to a hand-driven clock in the initial 8085 x 4230 twip box.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bowl.h"
#include "clock.h"
#include "envengine.h"
#include "initialbox.h"
#include "scenarioinput.h"

namespace vintrop::testing {

// The values of one bowl at the moment an event was raised.
struct BowlState {
    int16_t Id = 0;
    float x = 0, y = 0, Vx = 0, Vy = 0, M = 0, r = 0;

    static BowlState Of(const CBowl& b) { return {b.Id, b.x, b.y, b.Vx, b.Vy, b.M(), b.r()}; }
};

struct Event {
    enum Kind { Before, After, Step, Completed } kind;
    int32_t t = 0;        // engine step counter when the event arrived
    BowlState b1, b2;     // b2 only for the collision events
};

class Recorder : public IEngineListener {
public:
    explicit Recorder(const CEnvEng* engine = nullptr) : m_Engine(engine) {}
    void Watch(const CEnvEng* engine) { m_Engine = engine; }

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override {
        events.push_back({Event::Before, T(), BowlState::Of(b1), BowlState::Of(b2)});
    }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override {
        events.push_back({Event::After, T(), BowlState::Of(b1), BowlState::Of(b2)});
    }
    void Step(const CBowl& b) override { events.push_back({Event::Step, T(), BowlState::Of(b), {}}); }
    void AdvanceCompleted() override { events.push_back({Event::Completed, T(), {}, {}}); }

    int Count(Event::Kind kind) const {
        int n = 0;
        for (const auto& e : events) n += e.kind == kind;
        return n;
    }
    // Compact trace such as "B1-2 A1-2 S1 S2 C" for order checks.
    std::string Trace() const {
        std::string s;
        for (const auto& e : events) {
            if (!s.empty()) s += ' ';
            switch (e.kind) {
            case Event::Before: s += "B" + std::to_string(e.b1.Id) + "-" + std::to_string(e.b2.Id); break;
            case Event::After: s += "A" + std::to_string(e.b1.Id) + "-" + std::to_string(e.b2.Id); break;
            case Event::Step: s += "S" + std::to_string(e.b1.Id); break;
            case Event::Completed: s += "C"; break;
            }
        }
        return s;
    }
    void Clear() { events.clear(); }

    std::vector<Event> events;

private:
    int32_t T() const { return m_Engine ? m_Engine->t : 0; }
    const CEnvEng* m_Engine;
};

// An engine bound to a ManualClock, in the box the main window starts with.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        eng.init(clock);
        eng.MaxX = kInitialBoxWidth;
        eng.MaxY = kInitialBoxHeight;
        rec.Watch(&eng);
        eng.Attach(&rec);
    }

    CBowl& Add(int16_t mass, float x, float y, float vx = 0, float vy = 0) {
        return eng.AddBowl(mass, x, y, vx, vy);
    }

    ManualClock clock;
    Recorder rec;
    CEnvEng eng;
};

#ifdef VINTROP_EXAMPLES_DIR
// Reads the teaching scenario `name` (from examples/) onto `engine`.
inline ::testing::AssertionResult ReadExample(CEnvEng& engine, const std::string& name) {
    const auto in = OpenScenarioFile(std::string(VINTROP_EXAMPLES_DIR) + "/" + name);
    if (engine.SerializeIn(*in)) return ::testing::AssertionSuccess();
    const auto& e = engine.LastReadError();
    return ::testing::AssertionFailure() << name << ": " << (e ? e->Description() : std::string("unreadable"));
}
#endif

inline uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Every bowl's position, number, exact centre, velocity and mass, and its
// contact set, after t: equal texts mean the same state to the bit.
inline std::string StateOf(const CEnvEng& engine) {
    std::string out = "t=" + std::to_string(engine.t) + '\n';
    for (int i = 1; i <= engine.BowlCount(); ++i) {
        const CBowl& b = engine.GetBowl(i);
        out += std::to_string(i) + ':' + std::to_string(b.Id);
        for (float v : {b.x, b.y, b.Vx, b.Vy, b.M()}) out += ' ' + std::to_string(Bits(v));
        out += " {";
        for (int16_t c : b.Contacts()) out += std::to_string(c) + ' ';
        out += "}\n";
    }
    return out;
}

// Float equality that also tells -0 from +0 and compares NaNs by pattern.
#define EXPECT_SAME_FLOAT(a, b) EXPECT_EQ(::vintrop::testing::Bits(a), ::vintrop::testing::Bits(b)) \
    << #a " = " << (a) << ", " #b " = " << (b)

// Runs a statement that must throw a VintropError with the given number.
#define EXPECT_VINTROP_ERROR(stmt, number)                                          \
    do {                                                                            \
        try {                                                                       \
            stmt;                                                                   \
            ADD_FAILURE() << #stmt " did not throw";                                \
        } catch (const ::vintrop::VintropError& e_) {                               \
            EXPECT_EQ(e_.Number(), (number)) << e_.Description();                   \
            EXPECT_EQ(e_.Source(), "Vintrop");                                      \
        }                                                                           \
    } while (0)

} // namespace vintrop::testing
