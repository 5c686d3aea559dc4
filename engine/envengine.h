#pragma once
// The simulation environment: owns the ordered bowls, the box size, the step
// counter and the two options, and drives time from a bound clock. It draws
// nothing; listeners learn what happens through IEngineListener.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bowl.h"
#include "broadphase.h"
#include "clock.h"
#include "collision.h"
#include "enginelistener.h"
#include "historylog.h"
#include "vintroperror.h"

namespace vintrop {

// A box size in twips.
struct BoxSize {
    float width = 0, height = 0;
};

class CEnvEng {
public:
    CEnvEng();
    ~CEnvEng();
    CEnvEng(const CEnvEng&) = delete;
    CEnvEng& operator=(const CEnvEng&) = delete;

    float MaxX = 0;   // box width in twips; the scenario's own box or the window showing the scene
    float MaxY = 0;   // box height in twips
    int32_t t = 0;    // step counter

    // Listeners receive events in the order they were attached.
    void Attach(IEngineListener* listener);
    void Detach(IEngineListener* listener);
    // How the history window is made on first need; none in tests and the runner.
    void SetHistoryFactory(HistoryFactory factory) { m_HistoryFactory = std::move(factory); }

    // --- properties ---
    bool IsExecuting() const;
    int16_t sInterval() const;          // the clock's interval; Overflow if out of 16 bits
    void sInterval(int16_t vIntrvl);    // applies to a running clock at once
    int16_t KeepHistory() const { return m_KeepHistory; }
    void KeepHistory(int16_t vBool);    // -1 starts the history log, anything else ends it
    int16_t CentralCollision() const { return m_CentralCollision; }
    void CentralCollision(int16_t vOpt);
    double EnCinTot() const;            // total kinetic energy
    // The total as it was while two bowls still had the given velocities:
    // summed like EnCinTot, with those two bowls' velocities replaced.
    double EnCinTotWith(const CBowl& b1, float v1x, float v1y, const CBowl& b2, float v2x, float v2y) const;
    static double RelDist(const CBowl& b1, const CBowl& b2); // floor(distance) + 1
    // The box the scenario brings with it, saved in its file; none when the
    // box is whatever the window showing the scene makes it.
    const std::optional<BoxSize>& FixedBox() const { return m_FixedBox; }
    // Sets the scenario's own box, and MaxX and MaxY with it, or clears it
    // (MaxX and MaxY then stay until the window sets them). Throws
    // InvalidProperty for a box outside the limits (see FixedBoxSideHolds in
    // placement.h) and InvalidCall while a step runs, changing nothing.
    void SetFixedBox(std::optional<BoxSize> box);
    // Classroom colours, an option of the scenario saved in its file: on,
    // every bowl's Color is the palette's colour of its place
    // (ClassroomColourAt), and a removal recolours the bowls after it by
    // their new places; off, every bowl shows the colour the generator drew
    // for it when it was added (DrawnColor). The generator draws for every
    // bowl either way, so the option never changes the colours of bowls
    // added later. Allowed at any time: colours take no part in a step.
    bool ClassroomColours() const { return m_ClassroomColours; }
    void SetClassroomColours(bool on);
    // Coefficient of restitution between bowls, in whole percent, 0..100: a
    // collision leaves the pair's relative velocity along the line of centres
    // (in central mode the whole relative velocity) at -Elasticity/100 times
    // what it was; momentum is kept, the velocities across the line too.
    // 100 (the default) is the perfectly elastic collision of earlier
    // versions, computed exactly as they did. Walls stay elastic. An option
    // of the scenario, saved in its file when below 100, and of the whole
    // run: it changes only at t = 0, and below 100 there are no back steps
    // (Reverse throws InvalidCall), since a collision that lost energy cannot
    // be stepped back. Throws InvalidProperty outside 0..100 and InvalidCall
    // while a step runs or at t > 0, changing nothing.
    int16_t Elasticity() const { return m_Elasticity; }
    void SetElasticity(int16_t percent);
    static constexpr int16_t kFullyElastic = 100;

    // Counts the changes to the engine's state: every step, back step,
    // rewind, load, bowl added or removed and option changed advances it and
    // raises StateChanged. A window that edits a bowl through its reference
    // calls Touch() afterwards.
    uint64_t Revision() const { return m_Revision; }
    void Touch();

    // --- bowls, positions 1..N ---
    // While a step or a rewind delivers its events, the calls that add,
    // remove or re-step bowls or move the walls (AddBowl, RemoveBowl,
    // ClearBowls, Advance, Reverse, sRewind, Reset, Terminate, SerializeIn,
    // SetFixedBox, SetElasticity, CentralCollision) throw InvalidCall and
    // change nothing; the step goes on as if they had not been made. The
    // calls that take no part in a step (the clock, the history, classroom
    // colours, Touch) are allowed.
    // Adds vItem if given, else a new bowl from the values; assigns Id,
    // DrawnColor and Color.
    CBowl& AddBowl(int16_t Mass, float X0, float Y0, float Vx0, float Vy0,
                   std::unique_ptr<CBowl> vItem = nullptr);
    int16_t BowlCount() const { return static_cast<int16_t>(m_Bowls.size()); }
    CBowl& GetBowl(int vItem);          // SubscriptRange outside 1..N
    const CBowl& GetBowl(int vItem) const;
    void RemoveBowl(int IdxKey);        // SubscriptRange outside 1..N
    void ClearBowls();

    // --- run control ---
    void init(IClock& sTimer);
    void sPlay();
    void sStop();
    void Advance();   // one step forward
    void Reverse();   // one step back; InvalidCall when !CanReverse()
    // Whether a back step undoes the run: only while no collision loses
    // energy, since a reverse step would lose energy again instead of giving
    // it back. The one rule every BACK asks (the runner steps back past
    // t = 0; the windows stop there).
    bool CanReverse() const { return m_Elasticity == kFullyElastic; }
    // Whether a step can run at all. A step counts the bowls in a 16-bit
    // counter that cannot pass 32767, so a scenario of 32767 bowls loads
    // (files may hold one) but every step of it fails with Overflow.
    bool CanStep() const { return m_Bowls.size() <= kMaxBowlsStepped; }
    // The error every step of this scenario would give, or nothing when a
    // step can run; shown as soon as such a scenario is loaded.
    std::optional<VintropError> StepRefusal() const;
    static constexpr std::size_t kMaxBowlsStepped = 32766;
    void sRewind();   // initial state, t = 0
    // The plain loop checks every ordered pair; the default indexed loop
    // checks only the pairs within reach and gives bit for bit the same
    // results. The plain loop stays as the reference.
    void SetPlainLoop(bool on) { m_PlainLoop = on; }
    bool PlainLoop() const { return m_PlainLoop; }
    // Right after a step: checks the pair index against the bowls (see
    // BroadPhase::Validate) and describes the first inconsistency; empty
    // when there is none or the step did not use the index.
    std::string ValidateIndex() const;
    void Reset();     // stop, rewind, no bowls, interval 50, no box of its own, classroom colours off,
                      // elasticity 100
    void Terminate(); // end the history window, release the bowls
    void ShowHistory(IOwnerWindow* pOwnerForm);
    void HideHistory();

    // --- scenario file (the caller opens and closes the stream) ---
    // Writes the options section only for a scenario with a box of its own,
    // classroom colours or an elasticity below 100; false, like a failed write, when that box no
    // longer holds the widest bowl (the file would not read back).
    bool SerializeOut(std::ostream& fd) const;
    // Reads a scenario onto the engine, its own box, classroom colours and
    // elasticity included (none, off and 100 when the file has none); on failure what was
    // read before the error stays applied, the options section is never
    // applied, and LastReadError() says which line and why.
    bool SerializeIn(std::istream& fd);
    const std::optional<VintropError>& LastReadError() const { return m_LastReadError; }

private:
    static constexpr int16_t kTrueValue = -1;
    // The indexed loop indexes a step's bowls from this many on.
    static constexpr int kIndexFrom = 8;
    // A query gives up when the crowded cells within reach hold more than
    // 1/kCrowdShare of the bowls left to check: those are then all checked
    // in turn, as the plain loop does.
    static constexpr int kCrowdShare = 4;

    IClock& Clock() const;
    void RefuseWhileStepping() const;   // InvalidCall while a step or rewind runs
    IHistoryLog* History();
    void StepAll(bool forward);      // raises StepAborted when a step fails
    void StepBowls(bool forward);
    void MoveAndReflect(CBowl& b, bool forward) const;
    void CheckFrom(int16_t i, int first, bool forward);   // every pair (i, j), j >= first
    void CheckCandidates(int16_t i, bool forward);
    bool CheckPair(int16_t i, int16_t j, bool forward); // true when B was pushed back
    CollisionResponse Response() const;   // the run's elasticity and collision mode
    void Recolour(int from);   // the Color of every bowl from that position on
    void RaiseBeforeCollision(const CBowl& b1, const CBowl& b2);
    void RaiseAfterCollision(const CBowl& b1, const CBowl& b2);
    void RaiseStep(const CBowl& b);
    void RaiseAdvanceCompleted();
    void RaiseStepAborted();
    void ApplyElasticity(int16_t percent);   // tells the listeners when it changes
    void RaiseStateChanged();
    int32_t NextColor();

    IClock* m_Timer = nullptr;                  // bound by init, not owned
    std::unique_ptr<IHistoryLog> m_pHistory;    // owned; created on first need
    HistoryFactory m_HistoryFactory;
    int16_t m_KeepHistory = 0;
    int16_t m_CentralCollision = 0;
    std::vector<std::unique_ptr<CBowl>> m_Bowls;
    std::vector<IEngineListener*> m_Listeners;
    int m_Dispatching = 0;                      // > 0 while events are delivered
    bool m_Stepping = false;                    // a step or rewind is delivering events
    uint32_t m_RndState = 0x50000;              // colour generator, fixed start
    std::optional<VintropError> m_LastReadError;
    std::optional<BoxSize> m_FixedBox;
    bool m_ClassroomColours = false;
    int16_t m_Elasticity = kFullyElastic;       // percent
    uint64_t m_Revision = 0;
    bool m_PlainLoop = false;
    BroadPhase m_Index;
    bool m_IndexUsed = false;                   // the last step completed on the index
    std::vector<int16_t> m_Found;               // what the index found; reused
    std::vector<int16_t> m_Candidates;          // the pairs to check, ascending; reused
};

} // namespace vintrop
