#pragma once
// What the conservation graphs show, kept while the engine runs: the totals
// after every step (kinetic energy, momentum x and y) and, for each
// collision, the pair's momentum before and after. Plain data, bounded
// whatever the run's length:
//  - the time series holds at most SpanLimit() spans. A span covers a run of
//    consecutive steps with the minimum and maximum of each total over them
//    and the exact totals at its first step. When the spans run out, each
//    two neighbours merge into one, so the whole run stays in view at half
//    the resolution;
//  - the collision points are the latest CollisionLimit() collisions whose
//    momentum sums fit a float.
// It follows the transport: a step forward adds a point, a step back or a
// rewind drops every point after the new t and takes the one at t again.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "enginelistener.h"
#include "totals.h"

namespace vintrop {

class CEnvEng;

struct TotalsSpan {
    int32_t firstT = 0;
    int32_t lastT = 0;
    Totals first;       // the totals at firstT
    Totals min, max;    // over firstT..lastT
};

// One collision's pair momentum m1 * v1 + m2 * v2 (PairMomentum), before
// and after.
struct CollisionMomentum {
    int32_t t = 0;      // the step that met it (t after that step)
    double beforeX = 0, beforeY = 0;
    double afterX = 0, afterY = 0;
    // The largest momentum m * |v| of either bowl, before or after: the
    // scale of the float rounding in the sums, which may be zero.
    double bowlMomentum = 0;
};

class ConservationLog : public IEngineListener {
public:
    static constexpr std::size_t kSpanLimit = 2048;
    static constexpr std::size_t kCollisionLimit = 2048;

    explicit ConservationLog(const CEnvEng& engine, std::size_t spanLimit = kSpanLimit,
                             std::size_t collisionLimit = kCollisionLimit);

    // Takes the engine's state as the point at its t, dropping any later
    // point and collision: after a load, New or an edit (at t = 0 that
    // starts the graphs again), or to catch up after a failed step.
    void Sync();

    const std::vector<TotalsSpan>& Spans() const { return m_Spans; }
    // Steps per span for new points: 1 until the first merge, then doubling.
    int32_t Stride() const { return m_Stride; }
    // The latest collisions, oldest first.
    const std::deque<CollisionMomentum>& Collisions() const { return m_Collisions; }
    // The latest point: the engine's t and totals when last seen.
    int32_t LatestT() const { return m_LatestT; }
    const Totals& Latest() const { return m_Latest; }
    // The points kept, oldest first: each span's first step with its exact
    // totals, then the latest step when it does not start a span.
    template <typename Visit>
    void ForEachPoint(Visit visit) const {
        for (const TotalsSpan& s : m_Spans) visit(s.firstT, s.first);
        if (m_Spans.empty() || m_Spans.back().firstT != m_LatestT) visit(m_LatestT, m_Latest);
    }
    // (E(t) - E(0)) / E(0) at the latest point; none when the series does
    // not start at t = 0 or E(0) is zero.
    std::optional<double> RelativeEnergyChange() const;
    // Changes whenever what is kept changes; a view redraws only then.
    uint64_t Revision() const { return m_Revision; }
    std::size_t SpanLimit() const { return m_SpanLimit; }
    std::size_t CollisionLimit() const { return m_CollisionLimit; }
    const CEnvEng& Engine() const { return m_Engine; }   // the engine logged

    // --- IEngineListener ---
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;
    void AdvanceCompleted() override;
    void StepAborted() override;

private:
    void TakePoint(int32_t t);
    void DropFrom(int32_t t);    // every point from t on, every collision after t
    void Append(int32_t t, const Totals& totals);
    void MergeNeighbours();

    const CEnvEng& m_Engine;
    std::size_t m_SpanLimit;
    std::size_t m_CollisionLimit;
    std::vector<TotalsSpan> m_Spans;
    int32_t m_Stride = 1;
    std::deque<CollisionMomentum> m_Collisions;
    // The collisions of the step under way; they count once it went forward.
    std::deque<CollisionMomentum> m_Pending;
    CollisionMomentum m_Open;    // between BeforeCollision and AfterCollision
    int32_t m_LatestT = 0;
    Totals m_Latest;
    uint64_t m_Revision = 0;
};

} // namespace vintrop
