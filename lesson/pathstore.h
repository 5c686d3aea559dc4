#pragma once
// Where the bowls and their centre of mass have been over their latest
// steps, for the scene to draw as paths behind the disks. Plain data,
// bounded whatever the run's length or the crowd: each path is a ring of at
// most Capacity() points, one per step, newest replacing oldest.
//
// Memory: all paths together hold at most kPointLimit points (two floats
// each, 32 MiB). Paths are the bowls plus the centre of mass, so a crowd
// where (bowls + 1) x steps would pass the limit keeps fewer steps per path:
// 32,767 bowls keep 128 steps, whatever is asked beyond that.
//
// It follows the transport as the conservation log does: a step forward adds
// a point; a step back or a rewind drops every point from the new t on and
// takes the one at t again (so REW and STOP leave one point, no line).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "enginelistener.h"

namespace vintrop {

class CEnvEng;

class PathStore : public IEngineListener {
public:
    static constexpr std::size_t kPointLimit = std::size_t{1} << 22;
    static constexpr int kDefaultSteps = 200;

    struct Point {
        float x = 0, y = 0;   // twips; NaN where the centre of mass was undefined (no mass)
    };

    explicit PathStore(const CEnvEng& engine, std::size_t pointLimit = kPointLimit);

    // Records while on, each path over `steps` steps (at least 2); off, or
    // another number of steps, forgets what was recorded. On, it starts
    // from the engine's state at once.
    void Configure(bool on, int steps);
    bool On() const { return m_On; }
    // Points each path keeps: the steps asked for, fewer in a crowd too
    // large for kPointLimit, never fewer than 2.
    int Capacity() const { return m_Capacity; }

    // After what the engine does not report (a load, New, an edit, a failed
    // step): when the bowls are not the ones last recorded, or not where
    // they were, the paths start again from the engine's state.
    void Sync();

    // --- reading ---
    // Paths: 0 is the centre of mass, 1..BowlCount() the bowls in order.
    int PathCount() const { return m_Paths; }
    int Points() const { return m_Count; }      // points held per path
    int32_t LatestT() const { return m_LatestT; }
    // Point k of a path, 0 the oldest, Points() - 1 the newest (at LatestT()).
    Point At(int path, int k) const {
        return m_Data[static_cast<std::size_t>(path) * Cap() + Slot(k)];
    }
    int32_t StepAt(int k) const { return m_T[Slot(k)]; }   // the step point k was taken at
    // For reading a path fast: its ring of Capacity() points, point k in
    // slot (OldestSlot() + k) % Capacity().
    const Point* Ring(int path) const { return m_Data.data() + static_cast<std::size_t>(path) * Cap(); }
    int OldestSlot() const { return m_Oldest; }
    int32_t Color(int path) const { return m_Colors[static_cast<std::size_t>(path)]; }   // 0 for the centre
    // Describes the first inconsistency between the rings and their
    // bookkeeping; empty when there is none.
    std::string Validate() const;

    // --- IEngineListener ---
    void AdvanceCompleted() override;

private:
    std::size_t Cap() const { return static_cast<std::size_t>(m_Capacity); }
    std::size_t Slot(int k) const { return (static_cast<std::size_t>(m_Oldest) + static_cast<std::size_t>(k)) % Cap(); }
    void Restart();              // sized for the engine's bowls, holding its state at t
    void TakePoint();            // the engine's state at its t, after dropping every later point
    bool AtLatestPoint() const;  // the engine's bowls are the ones recorded, where the newest point has them

    const CEnvEng& m_Engine;
    std::size_t m_PointLimit;
    bool m_On = false;
    int m_Steps = kDefaultSteps;
    int m_Capacity = 2;
    int m_Paths = 0;
    int m_Count = 0;             // points per path
    int m_Oldest = 0;            // the slot of point 0
    int32_t m_LatestT = 0;
    std::vector<Point> m_Data;   // path p's ring at [p * capacity, (p + 1) * capacity)
    std::vector<int32_t> m_T;    // the step of each slot
    std::vector<int32_t> m_Colors;
};

} // namespace vintrop
