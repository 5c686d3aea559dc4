// Fuzz target for the scenario reader (libFuzzer entry point). Every input is
// a scenario file. An input that reads is checked twice over:
//  - its text form is stable: written, read into a fresh engine and written
//    again, it gives the same text, and the same box of its own, if any;
//  - the indexed pair loop gives bit for bit what the plain loop gives over a
//    few steps forward and then back: every bowl's position, velocity and
//    contacts, the step counter, the collision events, and which step failed
//    with which error, if one did.
// The steps run in the scenario's own box when its options section gives
// one. Otherwise the reader ignores what follows the last bowl, so two more
// lines there, if present, give the box width and height in twips (the main
// window's initial 8085 x 4230 otherwise): the fuzzer can vary the box, also
// beyond the limits of a box of the scenario's own.
// A failed check prints what differs and aborts, so that libFuzzer keeps the
// input and the corpus replay in the normal test run fails on it.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <limits>
#include <sstream>
#include <string>

#include "clock.h"
#include "envengine.h"
#include "scenarioreader.h"
#include "vintroperror.h"

namespace {

using namespace vintrop;

// Stepping is bounded so that one input runs in milliseconds: the plain loop
// costs bowls^2 pair checks a step.
constexpr int kMaxStepsEachWay = 16;
constexpr int kPairChecksPerInput = 40000;
constexpr int kMaxSteppedBowls = 300;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz_scenario: check failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Folds every event, with the exact bits of what it reports, into a hash
// (FNV-1a), so two runs can be compared event for event.
class EventHash : public IEngineListener {
public:
    uint64_t Value() const { return m_Hash; }

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override { Pair('B', b1, b2); }
    void AfterCollision(const CBowl& b1, const CBowl& b2) override { Pair('A', b1, b2); }
    void Step(const CBowl& b) override {
        Add('S');
        Add(static_cast<uint32_t>(b.Id));
        Add(Bits(b.x));
        Add(Bits(b.y));
    }
    void AdvanceCompleted() override { Add('C'); }
    void StepAborted() override { Add('X'); }

private:
    void Pair(char tag, const CBowl& b1, const CBowl& b2) {
        Add(static_cast<uint32_t>(tag));
        for (const CBowl* b : {&b1, &b2}) {
            Add(static_cast<uint32_t>(b->Id));
            for (float v : {b->x, b->y, b->Vx, b->Vy}) Add(Bits(v));
        }
    }
    void Add(uint32_t word) {
        for (int k = 0; k < 4; ++k) {
            m_Hash ^= (word >> (8 * k)) & 0xFFu;
            m_Hash *= 0x100000001B3ull;
        }
    }

    uint64_t m_Hash = 0xCBF29CE484222325ull;
};

// An engine with its own clock, as the runner sets one up.
struct Session {
    ManualClock clock;
    CEnvEng engine;
    EventHash events;

    Session() {
        engine.init(clock);
        engine.Attach(&events);
    }

    bool Read(std::istream& in) {
        const bool ok = engine.SerializeIn(in);
        if (ok && engine.LastReadError()) Fail("a successful read left a read error");
        if (!ok && (!engine.LastReadError() || engine.LastReadError()->Line() < 1))
            Fail("a failed read does not name the line that failed");
        return ok;
    }

    std::string Write() const {
        std::ostringstream out(std::ios::binary);
        if (!engine.SerializeOut(out)) Fail("writing a scenario that was just read failed");
        return out.str();
    }
};

// The scenario's own box; without one, the box from the two lines after
// the last bowl of `bytes` when both are sizes the runner would accept;
// the initial box otherwise.
void ReadBox(const std::string& bytes, const CEnvEng& engine, float& width, float& height) {
    if (const auto& box = engine.FixedBox()) {
        width = box->width;
        height = box->height;
        return;
    }
    width = 8085;
    height = 4230;
    std::istringstream in(bytes, std::ios::binary);
    ScenarioReader rest(in);
    try {
        for (int k = 0; k < 4 + 5 * engine.BowlCount(); ++k) rest.Number();   // read once already
        const double w = rest.Number();
        const double h = rest.Number();
        const auto usable = [](double v) {
            return std::isfinite(v) && v >= 0 && v <= std::numeric_limits<float>::max();
        };
        if (usable(w) && usable(h)) {
            width = static_cast<float>(w);
            height = static_cast<float>(h);
        }
    } catch (const VintropError&) {
        // No box lines: keep the initial box.
    }
}

std::string Describe(const CBowl& b) {
    std::ostringstream s;
    s << "bowl " << b.Id << " x=" << Bits(b.x) << " y=" << Bits(b.y) << " Vx=" << Bits(b.Vx)
      << " Vy=" << Bits(b.Vy) << " contacts=" << b.Contacts().size();
    return s.str();
}

void CompareEngines(const Session& plain, const Session& indexed, const std::string& when) {
    const CEnvEng& p = plain.engine;
    const CEnvEng& q = indexed.engine;
    if (p.t != q.t)
        Fail(when + ": t differs: plain " + std::to_string(p.t) + ", indexed " + std::to_string(q.t));
    if (p.BowlCount() != q.BowlCount()) Fail(when + ": bowl count differs");
    for (int i = 1; i <= p.BowlCount(); ++i) {
        const CBowl& a = p.GetBowl(i);
        const CBowl& b = q.GetBowl(i);
        if (Bits(a.x) != Bits(b.x) || Bits(a.y) != Bits(b.y) || Bits(a.Vx) != Bits(b.Vx) ||
            Bits(a.Vy) != Bits(b.Vy) || a.Contacts() != b.Contacts())
            Fail(when + ": plain " + Describe(a) + ", indexed " + Describe(b));
    }
    if (plain.events.Value() != indexed.events.Value()) Fail(when + ": the collision events differ");
}

// One step; returns the number of the VintropError it raised, 0 if none.
int StepOnce(CEnvEng& e, bool forward) {
    try {
        if (forward)
            e.Advance();
        else
            e.Reverse();
        return 0;
    } catch (const VintropError& error) {
        return error.Number();
    }
}

void CheckRoundTrip(const Session& read) {
    const std::string text1 = read.Write();
    Session again;
    std::istringstream in(text1, std::ios::binary);
    if (!again.Read(in))
        Fail("the written scenario does not read back (line " +
             std::to_string(again.engine.LastReadError()->Line()) + ": " +
             again.engine.LastReadError()->Description() + ")\n" + text1);
    const std::string text2 = again.Write();
    if (text1 != text2) Fail("the scenario changed on a round trip:\n" + text1 + "---\n" + text2);
    // A box written wrongly would still write the same text again.
    const auto& box1 = read.engine.FixedBox();
    const auto& box2 = again.engine.FixedBox();
    if (box1.has_value() != box2.has_value() ||
        (box1 && (Bits(box1->width) != Bits(box2->width) || Bits(box1->height) != Bits(box2->height))))
        Fail("the scenario's own box changed on a round trip:\n" + text1);
}

void CheckLoopsAgree(const std::string& bytes, Session& indexed, float width, float height) {
    const int n = indexed.engine.BowlCount();
    if (n > kMaxSteppedBowls) return;
    Session plain;
    std::istringstream in(bytes, std::ios::binary);
    if (!plain.Read(in)) Fail("the same bytes read once and failed the second time");
    plain.engine.SetPlainLoop(true);
    plain.engine.SetElasticity(indexed.engine.Elasticity());
    for (Session* s : {&plain, &indexed}) {
        s->engine.MaxX = width;
        s->engine.MaxY = height;
    }
    CompareEngines(plain, indexed, "after reading");

    const int steps = std::max(1, std::min(kMaxStepsEachWay, kPairChecksPerInput / std::max(1, n * n)));
    for (int k = 0; k < 2 * steps; ++k) {
        const bool forward = k < steps;
        const int errPlain = StepOnce(plain.engine, forward);
        const int errIndexed = StepOnce(indexed.engine, forward);
        const std::string when = "step " + std::to_string(k + 1) + (forward ? " forward" : " back");
        if (errPlain != errIndexed)
            Fail(when + ": plain raised error " + std::to_string(errPlain) + ", indexed " +
                 std::to_string(errIndexed));
        CompareEngines(plain, indexed, when);
        if (errPlain != 0) return; // both failed at the same point the same way
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Session first;
    std::istringstream in(bytes, std::ios::binary);
    if (!first.Read(in)) return 0;
    float width = 0, height = 0;
    ReadBox(bytes, first.engine, width, height);
    // Below 100 % the scenario's own elasticity; else one the sum of the bytes
    // draws (about half the inputs stay at 100 %), so the fuzzer varies it.
    unsigned sum = 0;
    for (unsigned char c : bytes) sum += c;
    if (first.engine.Elasticity() == CEnvEng::kFullyElastic) first.engine.SetElasticity(int16_t(std::min(sum % 202, 100u)));

    CheckRoundTrip(first);
    CheckLoopsAgree(bytes, first, width, height);
    return 0;
}
