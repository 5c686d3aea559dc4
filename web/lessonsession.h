#pragma once
// One lesson as the web page runs it: the engine with a scenario read from
// text, stepped by hand, and what the page draws and lists after each step,
// the collisions of that step and the bowls' state, laid out as flat arrays
// of doubles that the page reads straight out of the module's memory. Plain
// C++, so that it can be built and checked anywhere the engine builds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clock.h"
#include "envengine.h"

namespace vintrop {

class LessonSession : public IEngineListener {
public:
    // A file larger than this is refused before it is read: 32,767 bowls of
    // five numbers written in full fit many times over, and a page must not
    // take a whole file of any size into memory.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;
    // The collisions kept of the last step for the page, newest last: as
    // many as the history lists.
    static constexpr std::size_t kMaxEvents = 1002;
    // Doubles per bowl in Bowls(): id, x, y, Vx, Vy, M, r, Color.
    static constexpr int kBowlFields = 8;
    // Doubles per collision in Events(): after (0 before the impact, 1
    // after), t, id1, id2, m1, m2, x1, y1, x2, y2, v1x, v1y, v2x, v2y,
    // colour1, colour2, and the pair's momentum along x and along y (as the
    // history shows them: inf or NaN where the float sum fails).
    static constexpr int kEventFields = 18;

    LessonSession();
    ~LessonSession() override;

    // Reads a scenario from text. On success it replaces the lesson at t = 0;
    // on failure the lesson shown before stays as it was, and Message() says
    // why in the program's words.
    bool Open(const char* text, std::size_t size);
    // One step forward or back; false when the step failed (Message() says
    // why) or is not allowed (back at t = 0 or below 100 % elasticity).
    bool Forward();
    bool Backward();
    void Rewind();   // t = 0, the start values; the collision count starts again

    const std::string& Message() const { return m_Message; }
    const std::string& MessageDetail() const { return m_Detail; }
    const CEnvEng& Engine() const { return *m_Engine; }
    bool CanStepBack() const;
    // Whether the energy at the step's last collision is taken for the
    // history, a pass over all bowls per step. The lesson's own flag at Open.
    void SetKeepHistory(bool on) { m_KeepHistory = on; }
    bool KeepHistory() const { return m_KeepHistory; }
    uint64_t Collisions() const { return m_Collisions; }
    // The last step's collisions the history lists (both sums finite), all
    // of them, not only those Events() keeps; and while the history is kept,
    // the total kinetic energy just before the last of them.
    int StepListed() const { return m_StepListed; }
    double ListedEnergy() const { return m_ListedEnergy; }

    const std::vector<double>& Bowls();
    // The newest kMaxEvents collisions of the last step, in place: valid
    // until the next step, open or rewind.
    struct EventView {
        const double* first;
        std::size_t count;   // doubles
        const double* data() const { return first; }
        std::size_t size() const { return count; }
    };
    EventView Events() const;
    // The bowls and the totals as the runner prints them after its steps:
    // "bowl,ID,X,Y,VX,VY" lines, then "end,T,COLLISIONS,ENERGY".
    std::string StateText() const;

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;

private:
    void AddEvent(const CBowl& b1, const CBowl& b2, bool after);
    bool RunStep(bool forward);
    // Works out ListedEnergy() for the step's last listed collision.
    void FlushEnergy();

    // The last collision's bowls and their velocities before the impact: the
    // total energy then is worked out once, when the step is over, from the
    // other bowls' velocities then, which the rest of the step changes only
    // in sign (the desktop history does the same).
    struct PendingEnergy {
        const CBowl* b1;
        const CBowl* b2;
        float v1x, v1y, v2x, v2y;
    };

    ManualClock m_Clock;
    std::unique_ptr<CEnvEng> m_Engine;
    std::vector<double> m_StepEvents;   // this step's collisions, kEventFields each
    std::vector<double> m_Bowls;
    std::string m_Message, m_Detail;
    uint64_t m_Collisions = 0;
    bool m_KeepHistory = false;
    std::optional<PendingEnergy> m_PendingEnergy;
    int m_StepListed = 0;
    double m_ListedEnergy = 0;
};

} // namespace vintrop
