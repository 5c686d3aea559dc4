#include "envengine.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <istream>
#include <iterator>
#include <limits>
#include <ostream>
#include <string>

#include "classroompalette.h"
#include "collision.h"
#include "numeric.h"
#include "placement.h"
#include "scenarioreader.h"

namespace vintrop {

namespace {
// Positions and loop counters are 16-bit: a step or a count past 32767 is
// the overflow error.
constexpr int kMaxPosition = std::numeric_limits<int16_t>::max();
// CanStep's bound is the last count the step's counter can pass.
static_assert(CEnvEng::kMaxBowlsStepped + 1 == kMaxPosition, "CanStep and StepBowls must agree");

// The distance test compares in 32-bit floats. Two bowls farther apart than
// the largest float are simply far apart: the distance counts as infinite
// instead of failing the step.
float DistanceAsFloat(double d) {
    return d > std::numeric_limits<float>::max() ? std::numeric_limits<float>::infinity()
                                                 : static_cast<float>(d);
}

// The keys of the options section that give the scenario's own box.
constexpr const char* kBoxWidthKey = "BoxWidth";
constexpr const char* kBoxHeightKey = "BoxHeight";
// The key that turns classroom colours on; written only as "=1".
constexpr const char* kClassroomColoursKey = "ClassroomColours";
// The key of the elasticity in whole percent; written only below 100.
constexpr const char* kElasticityKey = "Elasticity";

// Below 100 % a touching pair collides only while its centres close faster
// than this share of (1 twip per step + the sum of the two bowls' speeds):
// slower, it rests against the other bowl. A pair that an inelastic
// collision left moving on together closes at no more than the float
// rounding of its velocities, about a sixteenth of this, so it is never made
// to collide again; a pair pressed against a wall, which halves its speed at
// each meeting, comes to rest after some twenty meetings instead of a
// hundred and fifty, when its speeds would reach the smallest floats.
constexpr double kRestingShare = 1.0 / (1 << 20);

// Whether two floats are the same value to the bit (a changed position).
bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Sorts the few positions a query finds, usually none to three.
void SortFew(int16_t* first, int16_t* last) {
    if (last - first > 16) {
        std::sort(first, last);
        return;
    }
    for (int16_t* i = first + (first != last); i < last; ++i)
        for (int16_t* j = i; j > first && j[-1] > j[0]; --j) std::swap(j[-1], j[0]);
}

// Marks a step or a rewind as running; while it runs, the calls that would
// add, remove or move the bowls under it are refused (RefuseWhileStepping),
// so a step never nests.
struct StepGuard {
    explicit StepGuard(bool& flag) : m_Flag(flag) {
        assert(!m_Flag && "a step runs inside another");
        m_Flag = true;
    }
    ~StepGuard() { m_Flag = false; }
    bool& m_Flag;
};
} // namespace

CEnvEng::CEnvEng() = default;

CEnvEng::~CEnvEng() {
    // Listeners are not owned; the history window is, and goes with us.
    if (m_pHistory) m_pHistory->Terminate();
}

// ---------------------------------------------------------------- listeners

void CEnvEng::Attach(IEngineListener* listener) {
    if (listener && std::find(m_Listeners.begin(), m_Listeners.end(), listener) == m_Listeners.end())
        m_Listeners.push_back(listener);
}

void CEnvEng::Detach(IEngineListener* listener) {
    auto it = std::find(m_Listeners.begin(), m_Listeners.end(), listener);
    if (it == m_Listeners.end()) return;
    if (m_Dispatching > 0)
        *it = nullptr; // compacted once delivery is over
    else
        m_Listeners.erase(it);
}

namespace {
template <typename F>
void Deliver(std::vector<IEngineListener*>& listeners, int& dispatching, F&& call) {
    // Nobody listens (the benchmarks, most tests): nothing to deliver and
    // nothing to compact afterwards. A step raises an event per bowl.
    if (listeners.empty()) return;
    // Counted down however delivery ends, a handler's error included.
    struct Dispatching {
        std::vector<IEngineListener*>& listeners;
        int& depth;
        ~Dispatching() {
            if (--depth == 0)
                listeners.erase(std::remove(listeners.begin(), listeners.end(), nullptr), listeners.end());
        }
    } dispatch{listeners, ++dispatching};
    // Index loop: a handler may attach or detach listeners meanwhile.
    for (std::size_t k = 0; k < listeners.size(); ++k)
        if (IEngineListener* l = listeners[k]) call(*l);
}
} // namespace

void CEnvEng::RaiseBeforeCollision(const CBowl& b1, const CBowl& b2) {
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.BeforeCollision(b1, b2); });
}
void CEnvEng::RaiseAfterCollision(const CBowl& b1, const CBowl& b2) {
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.AfterCollision(b1, b2); });
}
void CEnvEng::RaiseStep(const CBowl& b) {
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.Step(b); });
}
void CEnvEng::RaiseAdvanceCompleted() {
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.AdvanceCompleted(); });
}
void CEnvEng::RaiseStepAborted() {
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.StepAborted(); });
}
void CEnvEng::RaiseStateChanged() {
    ++m_Revision;
    Deliver(m_Listeners, m_Dispatching, [&](IEngineListener& l) { l.StateChanged(); });
}

void CEnvEng::Touch() { RaiseStateChanged(); }

// --------------------------------------------------------------- properties

IClock& CEnvEng::Clock() const {
    if (!m_Timer) err::Raise(err::ObjectNotSet);
    return *m_Timer;
}

bool CEnvEng::IsExecuting() const { return m_Timer && m_Timer->Enabled(); }

int16_t CEnvEng::sInterval() const { return ToInt16(Clock().Interval()); }

void CEnvEng::sInterval(int16_t vIntrvl) { Clock().SetInterval(vIntrvl); }

IHistoryLog* CEnvEng::History() {
    if (!m_pHistory && m_HistoryFactory) m_pHistory = m_HistoryFactory();
    return m_pHistory.get();
}

void CEnvEng::CentralCollision(int16_t vOpt) {
    // The response of every later collision of the step would change.
    RefuseWhileStepping();
    const int16_t value = vOpt ? kTrueValue : 0;
    if (value == m_CentralCollision) return;
    m_CentralCollision = value;
    RaiseStateChanged();
}

void CEnvEng::KeepHistory(int16_t vBool) {
    m_KeepHistory = vBool;
    IHistoryLog* history = History();
    if (!history) return;
    if (vBool == kTrueValue)
        history->init(*this);
    else
        history->Terminate();
}

double CEnvEng::EnCinTot() const {
    double e = 0;
    for (const auto& b : m_Bowls) {
        const double vx = b->Vx, vy = b->Vy;
        e = e + (vx * vx + vy * vy) * (0.5 * b->M());
    }
    return e;
}

double CEnvEng::EnCinTotWith(const CBowl& b1, float v1x, float v1y, const CBowl& b2, float v2x,
                             float v2y) const {
    double e = 0;
    for (const auto& b : m_Bowls) {
        double vx = b->Vx, vy = b->Vy;
        if (b.get() == &b1) {
            vx = v1x;
            vy = v1y;
        } else if (b.get() == &b2) {
            vx = v2x;
            vy = v2y;
        }
        e = e + (vx * vx + vy * vy) * (0.5 * b->M());
    }
    return e;
}

double CEnvEng::RelDist(const CBowl& b1, const CBowl& b2) {
    const double dy = static_cast<double>(b1.y) - b2.y;
    const double dx = static_cast<double>(b1.x) - b2.x;
    const double q = dy * dy + dx * dx;
    return std::floor(std::sqrt(q)) + 1;
}

void CEnvEng::SetFixedBox(std::optional<BoxSize> box) {
    RefuseWhileStepping();
    if (box) {
        const double radius = LargestWholeRadius(*this);
        if (!FixedBoxSideHolds(box->width, radius) || !FixedBoxSideHolds(box->height, radius))
            err::Raise(err::InvalidProperty);
        MaxX = box->width;
        MaxY = box->height;
    }
    m_FixedBox = box;
    RaiseStateChanged();
}

void CEnvEng::SetClassroomColours(bool on) {
    if (on == m_ClassroomColours) return;
    m_ClassroomColours = on;
    Recolour(1);
    RaiseStateChanged();
}

void CEnvEng::SetElasticity(int16_t percent) {
    RefuseWhileStepping();
    if (percent < 0 || percent > kFullyElastic) err::Raise(err::InvalidProperty);
    // A run keeps the elasticity it started with: a back step at 100 %
    // through collisions that lost energy would show a past that never was.
    if (t != 0 && percent != m_Elasticity) err::Raise(err::InvalidCall);
    ApplyElasticity(percent);
}

void CEnvEng::ApplyElasticity(int16_t percent) {
    if (percent == m_Elasticity) return;
    m_Elasticity = percent;
    Deliver(m_Listeners, m_Dispatching, [](IEngineListener& l) { l.ElasticityChanged(); });
    RaiseStateChanged();
}

void CEnvEng::Recolour(int from) {
    for (int i = from; i <= BowlCount(); ++i) {
        CBowl& b = *m_Bowls[static_cast<std::size_t>(i - 1)];
        b.Color = m_ClassroomColours ? ClassroomColourAt(i).color : b.DrawnColor;
    }
}

// -------------------------------------------------------------------- bowls

void CEnvEng::RefuseWhileStepping() const {
    if (m_Stepping) err::Raise(err::InvalidCall);
}

CBowl& CEnvEng::AddBowl(int16_t Mass, float X0, float Y0, float Vx0, float Vy0,
                        std::unique_ptr<CBowl> vItem) {
    RefuseWhileStepping();
    if (!vItem) {
        vItem = std::make_unique<CBowl>();
        vItem->SetM(static_cast<float>(Mass));
        vItem->SetXo(X0);
        vItem->SetYo(Y0);
        vItem->SetVxo(Vx0);
        vItem->SetVyo(Vy0);
    }
    if (m_Bowls.size() >= static_cast<std::size_t>(kMaxPosition)) err::Raise(err::Overflow);
    vItem->Id = static_cast<int16_t>(m_Bowls.size() + 1);
    vItem->DrawnColor = NextColor();
    m_Bowls.push_back(std::move(vItem));
    Recolour(BowlCount());
    RaiseStateChanged();
    return *m_Bowls.back();
}

int32_t CEnvEng::NextColor() {
    // A linear congruential generator on [0, 1) with a fixed start, so every
    // run of the program hands out the same colours.
    const auto next = [this] {
        m_RndState = (m_RndState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
        return static_cast<double>(m_RndState) / 16777216.0;
    };
    const double r1 = next(), r2 = next(), r3 = next();
    const auto level = [](double v) { return static_cast<int32_t>(std::nearbyint(v * 255)); };
    return level(r1) + 256 * level(r2) + 65536 * level(r3);
}

CBowl& CEnvEng::GetBowl(int vItem) {
    if (vItem < 1 || vItem > static_cast<int>(m_Bowls.size())) err::Raise(err::SubscriptRange);
    return *m_Bowls[static_cast<std::size_t>(vItem - 1)];
}

const CBowl& CEnvEng::GetBowl(int vItem) const {
    return const_cast<CEnvEng*>(this)->GetBowl(vItem);
}

void CEnvEng::RemoveBowl(int IdxKey) {
    RefuseWhileStepping();
    if (IdxKey < 1 || IdxKey > static_cast<int>(m_Bowls.size())) err::Raise(err::SubscriptRange);
    m_Bowls.erase(m_Bowls.begin() + (IdxKey - 1));
    // Contact sets hold positions: keep them pointing at the same bowls.
    for (auto& b : m_Bowls) b->ShiftContactsAfterRemoval(static_cast<int16_t>(IdxKey));
    // The bowls after it move up a place and take that place's colour.
    if (m_ClassroomColours) Recolour(IdxKey);
    RaiseStateChanged();
}

void CEnvEng::ClearBowls() {
    RefuseWhileStepping();
    m_Bowls.clear();
    RaiseStateChanged();
}

// -------------------------------------------------------------- run control

void CEnvEng::init(IClock& sTimer) {
    m_Timer = &sTimer;
    m_Timer->SetTickHandler([this] { Advance(); });
    t = 0;
}

void CEnvEng::sPlay() { Clock().SetEnabled(true); }

void CEnvEng::sStop() { Clock().SetEnabled(false); }

void CEnvEng::Advance() { StepAll(true); }

void CEnvEng::Reverse() {
    if (!CanReverse()) err::Raise(err::InvalidCall);
    StepAll(false);
}

void CEnvEng::StepAll(bool forward) {
    RefuseWhileStepping();
    try {
        StepBowls(forward);
    } catch (const VintropError&) {
        // The bowls stepped before the failure keep their new state.
        RaiseStepAborted();
        RaiseStateChanged();
        throw;
    }
    RaiseStateChanged();
}

void CEnvEng::StepBowls(bool forward) {
    StepGuard guard(m_Stepping);
    const int n = BowlCount();
    // A handful of bowls is checked pair by pair faster than it is indexed.
    const bool indexed = !m_PlainLoop && n >= kIndexFrom;
    m_IndexUsed = false;
    // Positions may have been changed since the last step (editing, rewind,
    // a resized box), so the index catches up with the bowls each step.
    if (indexed) m_Index.Rebuild(m_Bowls, MaxX, MaxY);
    for (int i = 1; i <= n; ++i) {
        CBowl& b = *m_Bowls[static_cast<std::size_t>(i - 1)];
        MoveAndReflect(b, forward);
        const int count = BowlCount();
        if (indexed)
            CheckCandidates(static_cast<int16_t>(i), forward);
        else
            CheckFrom(static_cast<int16_t>(i), 1, forward);
        // The 16-bit counter of the inner loop cannot step past 32767.
        if (count == kMaxPosition) err::Raise(err::Overflow);
        RaiseStep(b);
    }
    const int64_t next = static_cast<int64_t>(t) + (forward ? 1 : -1);
    if (next > std::numeric_limits<int32_t>::max() || next < std::numeric_limits<int32_t>::min())
        err::Raise(err::Overflow);
    t = static_cast<int32_t>(next);
    m_IndexUsed = indexed;
    RaiseAdvanceCompleted();
}

std::optional<VintropError> CEnvEng::StepRefusal() const {
    if (CanStep()) return std::nullopt;
    return err::Make(err::Overflow);
}

std::string CEnvEng::ValidateIndex() const {
    return m_IndexUsed ? m_Index.Validate(m_Bowls, MaxX, MaxY) : std::string();
}

void CEnvEng::MoveAndReflect(CBowl& b, bool forward) const {
    if (forward)
        b.Advance();
    else
        b.Reverse();
    // Each test reads what the one before left; equality counts as a touch.
    // The position is clamped, not mirrored.
    const double r = b.r();
    if (ToSingle(r + b.x) >= MaxX) {
        b.x = ToSingle(static_cast<double>(MaxX) - r);
        b.Vx = -b.Vx;
    }
    if (ToSingle(b.x - r) <= 0) {
        b.x = b.r();
        b.Vx = -b.Vx;
    }
    if (ToSingle(r + b.y) >= MaxY) {
        b.y = ToSingle(static_cast<double>(MaxY) - r);
        b.Vy = -b.Vy;
    }
    if (ToSingle(b.y - r) <= 0) {
        b.y = b.r();
        b.Vy = -b.Vy;
    }
}

void CEnvEng::CheckFrom(int16_t i, int first, bool forward) {
    const int count = BowlCount();
    for (int j = first; j <= count; ++j)
        if (j != i) CheckPair(i, static_cast<int16_t>(j), forward);
}

void CEnvEng::CheckCandidates(int16_t i, bool forward) {
    // The same pairs in the same ascending order as the plain loop, minus
    // those that can neither collide (too far apart) nor be released (not in
    // contact): for them the plain loop's check does nothing.
    CBowl& b = *m_Bowls[static_cast<std::size_t>(i - 1)];
    const int count = BowlCount();
    m_Index.Update(i, b);
    int16_t lastJ = 0;  // every pair up to here is checked
    for (;;) {
        // Where a crowd within reach is about as large as what is left to
        // check, checking every pair left is cheaper than sorting the crowd.
        const auto limit = static_cast<std::size_t>(count - lastJ) / kCrowdShare;
        const int found = m_Index.Query(i, b, lastJ, limit, m_Found);
        if (found < 0) {
            CheckFrom(i, lastJ + 1, forward);
            m_Index.Update(i, b);
            return;
        }
        const int16_t* next = m_Found.data();
        const int16_t* last = next + found;
        SortFew(m_Found.data(), m_Found.data() + found);
        // Bowls in contact are checked wherever they are.
        if (b.Touching().UnionAbove(lastJ, next, last, m_Candidates)) {
            next = m_Candidates.data();
            last = next + m_Candidates.size();
        }
        for (;; ++next) {
            if (next == last) return;
            const int16_t j = *next;
            lastJ = j;
            const float x = b.x, y = b.y;
            // A push-back moves B unless it is at rest; once it has moved,
            // the bowls within reach are looked up again from where it is.
            if (CheckPair(i, j, forward) && !(SameBits(b.x, x) && SameBits(b.y, y))) break;
        }
        m_Index.Update(i, b);
    }
}

namespace {
// Whether b1 and b2 close in along the line of their centres faster than the
// resting share of 1 + their speeds, in the direction the step moves them.
// Coincident centres have no line: any relative motion closes in then.
bool Approaching(const CBowl& b1, const CBowl& b2, bool forward) {
    const double dx = static_cast<double>(b2.x) - b1.x;
    const double dy = static_cast<double>(b2.y) - b1.y;
    const double wx = static_cast<double>(b1.Vx) - b2.Vx;
    const double wy = static_cast<double>(b1.Vy) - b2.Vy;
    const double d = std::sqrt(dx * dx + dy * dy);
    double closing = std::sqrt(wx * wx + wy * wy);
    if (d > 0) closing = (forward ? 1 : -1) * (wx * dx + wy * dy) / d;
    const double speeds = std::hypot(static_cast<double>(b1.Vx), static_cast<double>(b1.Vy)) +
                          std::hypot(static_cast<double>(b2.Vx), static_cast<double>(b2.Vy));
    return closing > kRestingShare * (1 + speeds);
}
} // namespace

bool CEnvEng::CheckPair(int16_t i, int16_t j, bool forward) {
    CBowl& b = *m_Bowls[static_cast<std::size_t>(i - 1)];
    CBowl& c = *m_Bowls[static_cast<std::size_t>(j - 1)];
    const bool elastic = m_Elasticity == kFullyElastic;
    // The centres' distance, rounded down and plus one, against the radius
    // sum rounded to a float: both tests read the same two numbers.
    const double d = RelDist(b, c);
    const float apart = DistanceAsFloat(d);
    const float reach = ToSingle(static_cast<double>(b.r()) + c.r());
    if (b.ExistCollision(j)) {
        // Touching from an earlier collision: the pair is released once the
        // centres are at least the radius sum apart.
        if (reach < apart) {
            b.RemoveCollision(j);
            c.RemoveCollision(i);
            return false;
        }
        // Elastic, a pair in contact waits for its release. Below 100 % an
        // inelastic collision may leave it moving on together, touching: it
        // collides again only while it closes in (pressed by a third bowl),
        // never for the sequential steps of its own two bowls.
        if (elastic) return false;
    } else if (!(reach >= apart)) {
        return false;
    }
    if (!elastic && !Approaching(b, c, forward)) return false;

    // Push B back along its own path by the overlap (the sum is not rounded).
    const double radii = static_cast<double>(c.r()) + b.r();
    b.ManualAdvance(forward ? d - radii : radii - d);
    // A bowl that has just turned at a wall is pushed back towards it. Slow
    // bowls that stay together crowd the walls, so below 100 % the push-back
    // stops at the wall, where the bowl's own move would have clamped it.
    if (!elastic) {
        const double r = b.r();
        if (ToSingle(r + b.x) > MaxX) b.x = ToSingle(static_cast<double>(MaxX) - r);
        if (ToSingle(b.x - r) < 0) b.x = b.r();
        if (ToSingle(r + b.y) > MaxY) b.y = ToSingle(static_cast<double>(MaxY) - r);
        if (ToSingle(b.y - r) < 0) b.y = b.r();
    }
    RaiseBeforeCollision(b, c);
    ResolveCollision(b, c, Response());
    RaiseAfterCollision(b, c);
    b.AddCollision(j);
    c.AddCollision(i);
    return true;
}

CollisionResponse CEnvEng::Response() const {
    return CollisionResponse{m_Elasticity, m_CentralCollision != 0};
}

void CEnvEng::sRewind() {
    RefuseWhileStepping();
    {
        StepGuard guard(m_Stepping);
        for (auto& b : m_Bowls) {
            b->x = b->Xo();
            b->y = b->Yo();
            b->Vx = b->Vxo();
            b->Vy = b->Vyo();
            // A replay after a rewind must meet the same collisions as the
            // first run, so no contact may survive from before.
            b->ClearCollision();
            RaiseStep(*b);
        }
        t = 0;
        RaiseAdvanceCompleted();
    }
    RaiseStateChanged();
}

void CEnvEng::Reset() {
    RefuseWhileStepping();
    sStop();
    sRewind();
    ClearBowls();
    m_FixedBox.reset();
    m_ClassroomColours = false;
    ApplyElasticity(kFullyElastic);
    sInterval(static_cast<int16_t>(kDefaultInterval));
    RaiseStateChanged();
}

void CEnvEng::Terminate() {
    RefuseWhileStepping();
    if (m_pHistory) {
        m_pHistory->Terminate();
        m_pHistory.reset();
    }
    m_Bowls.clear();
    RaiseStateChanged();
}

void CEnvEng::ShowHistory(IOwnerWindow* pOwnerForm) {
    if (IHistoryLog* history = History()) history->Show(pOwnerForm);
}

void CEnvEng::HideHistory() {
    if (m_pHistory) m_pHistory->Hide();
}

// ------------------------------------------------------------ scenario file

bool CEnvEng::SerializeOut(std::ostream& fd) const {
    try {
        fd << FormatG9(Clock().Interval()) << "\r\n";
        fd << std::to_string(m_CentralCollision) << "\r\n";
        fd << std::to_string(m_KeepHistory) << "\r\n";
        fd << std::to_string(m_Bowls.size()) << "\r\n";
        if (!fd) return false;
        for (const auto& b : m_Bowls)
            if (!b->SerializeOut(fd)) return false;
        if (m_FixedBox) {
            const double radius = LargestWholeRadius(*this);
            if (!FixedBoxSideHolds(m_FixedBox->width, radius) || !FixedBoxSideHolds(m_FixedBox->height, radius))
                return false;
        }
        // Without options the file is what earlier versions wrote.
        const bool inelastic = m_Elasticity != kFullyElastic;
        if (m_FixedBox || m_ClassroomColours || inelastic) fd << ScenarioReader::kOptionsMarker << "\r\n";
        if (m_FixedBox) {
            fd << kBoxWidthKey << '=' << FormatG9(m_FixedBox->width) << "\r\n";
            fd << kBoxHeightKey << '=' << FormatG9(m_FixedBox->height) << "\r\n";
        }
        if (m_ClassroomColours) fd << kClassroomColoursKey << "=1\r\n";
        if (inelastic) fd << kElasticityKey << '=' << std::to_string(m_Elasticity) << "\r\n";
        return static_cast<bool>(fd);
    } catch (const VintropError&) {
        return false;
    }
}

namespace {
// The box the options section gives: none when it names neither side.
// Throws at the line of the side at fault: InvalidProperty for one side
// alone (named where it is given) or a side outside the limits for bowls of
// whole radius up to `radius`, the number's own error for a malformed one.
std::optional<BoxSize> FixedBoxOf(const std::vector<ScenarioReader::Option>& options, double radius) {
    const ScenarioReader::Option* sides[2] = {};
    for (const auto& option : options) {
        if (option.key == kBoxWidthKey) sides[0] = &option;
        if (option.key == kBoxHeightKey) sides[1] = &option;
    }
    if (!sides[0] && !sides[1]) return std::nullopt;
    float values[2] = {};
    for (int k = 0; k < 2; ++k) {
        const ScenarioReader::Option& given = *(sides[k] ? sides[k] : sides[1 - k]);
        try {
            if (!sides[k]) err::Raise(err::InvalidProperty);
            const double v = ParseNumber(given.value);
            // Checked in double first: beyond the float range no float is left to check.
            if (!(std::fabs(v) <= kMaxFixedBoxSide)) err::Raise(err::InvalidProperty);
            values[k] = static_cast<float>(v);
            if (!FixedBoxSideHolds(values[k], radius)) err::Raise(err::InvalidProperty);
        } catch (VintropError& e) {
            e.SetLine(given.line);
            throw;
        }
    }
    return BoxSize{values[0], values[1]};
}

// Whether the options section turns classroom colours on: a number as on
// the other lines, 1 on and 0 off (off too when the key is not there).
// Throws at its line: the number's own error for a malformed one,
// InvalidProperty for any other number.
bool ClassroomColoursOf(const std::vector<ScenarioReader::Option>& options) {
    for (const auto& option : options) {
        if (option.key != kClassroomColoursKey) continue;
        try {
            const double v = ParseNumber(option.value);
            if (v != 0 && v != 1) err::Raise(err::InvalidProperty);
            return v == 1;
        } catch (VintropError& e) {
            e.SetLine(option.line);
            throw;
        }
    }
    return false;
}

// The elasticity the options section gives, 100 without the key. Throws at
// its line: the number's own error for a malformed one, InvalidProperty for
// a number that is not a whole one from 0 to 100.
int16_t ElasticityOf(const std::vector<ScenarioReader::Option>& options) {
    for (const auto& option : options) {
        if (option.key != kElasticityKey) continue;
        try {
            const double v = ParseNumber(option.value);
            if (!(v >= 0 && v <= CEnvEng::kFullyElastic) || v != std::floor(v)) err::Raise(err::InvalidProperty);
            return static_cast<int16_t>(v);
        } catch (VintropError& e) {
            e.SetLine(option.line);
            throw;
        }
    }
    return CEnvEng::kFullyElastic;
}
} // namespace

bool CEnvEng::SerializeIn(std::istream& fd) {
    RefuseWhileStepping();
    m_LastReadError.reset();
    m_FixedBox.reset();
    RaiseStateChanged();
    SetClassroomColours(false);
    ApplyElasticity(kFullyElastic);
    ScenarioReader in(fd);
    try {
        // A file that could not be opened arrives as a failed stream.
        if (!fd) err::Raise(err::FileNotFound);
        sInterval(ToInt16(in.Number()));
        CentralCollision(in.Number() != 0 ? kTrueValue : 0);
        KeepHistory(in.Number() != 0 ? kTrueValue : 0);
        const int16_t n = ToInt16(in.Number());
        for (int k = 1; k <= n; ++k) {
            auto bowl = std::make_unique<CBowl>();
            bowl->ReadFrom(in);
            AddBowl(0, 0, 0, 0, 0, std::move(bowl));
        }
        // The options come last, once every bowl the box must hold is
        // known; all are checked before any is applied.
        const auto options = in.Options();
        const auto box = FixedBoxOf(options, LargestWholeRadius(*this));
        const bool classroom = ClassroomColoursOf(options);
        const int16_t elasticity = ElasticityOf(options);
        if (box) SetFixedBox(*box);
        SetClassroomColours(classroom);
        ApplyElasticity(elasticity);
        return true;
    } catch (const VintropError& e) {
        m_LastReadError = e;
        if (e.Line() == 0) m_LastReadError->SetLine(in.LinesRead());
        return false;
    }
}

} // namespace vintrop
