#pragma once
// The momentum of each colliding pair, before the impact and after it, kept
// on screen for a while: a collision lasts one step, far too short for a
// class to see a line drawn into that step's frame. While the simulation
// runs a mark fades out over kFadeMs of real time; while it stands on the
// step the collision ended (stopped, t unchanged) the mark stays whole. Any
// other step drops it. Times are milliseconds of the caller's monotonic clock.
#include <cstddef>
#include <cstdint>
#include <deque>

namespace vintrop {

class CBowl;

// A pair's momentum line: from the midpoint of the centres, the pair's
// total momentum at one tenth scale times `scale`, in twips, worked out in
// double and rounded to floats as stored values are. False when a value
// is beyond the float range.
struct MomentumLine {
    double fromX = 0, fromY = 0, toX = 0, toY = 0;
};
bool PairMomentumLine(const CBowl& b1, const CBowl& b2, double scale, MomentumLine& line);
// A bowl's momentum at one tenth scale times `scale`, from its centre: the
// offsets in twips, each rounded to a float. False when one is beyond the
// float range.
bool BowlMomentumOffset(const CBowl& b, double scale, float& dx, float& dy);

struct PairMark {
    MomentumLine before, after;     // share their `from`
    int32_t color1 = 0, color2 = 0; // the first bowl's before, the second's after
    bool hasBefore = false, hasAfter = false;
    bool pending = true;            // its step has not ended yet
    int32_t t = 0;                  // the step it ended
    int64_t born = 0;               // ms
};

class PairMarkList {
public:
    static constexpr int64_t kFadeMs = 1000;
    // Marks beyond this many are dropped oldest first: a crowd colliding at
    // every step would otherwise pile up a second's worth of them.
    static constexpr std::size_t kMaxMarks = 256;

    // The pair's line for the step being drawn; the line after the impact
    // joins the one before it.
    void Add(const CBowl& b1, const CBowl& b2, bool beforeImpact, double scale);
    // The step the marks added since the last call belong to has ended at
    // t. A step taken with the simulation stopped (STEP, BACK, a rewind)
    // drops the marks of earlier steps; a running one leaves them to fade.
    void StepCompleted(int32_t t, bool running, int64_t now);
    // The step being drawn failed: its marks go.
    void DropPending();
    void Clear() { m_Marks.clear(); }

    // How opaque a mark is now (0: not shown).
    static double Opacity(const PairMark& mark, int64_t now, int32_t t, bool running);
    // Drops the marks no longer shown; true while some mark is fading, so
    // its screen must repaint.
    bool Prune(int32_t t, bool running, int64_t now);
    const std::deque<PairMark>& Marks() const { return m_Marks; }

private:
    std::deque<PairMark> m_Marks;
};

} // namespace vintrop
