#include "pathstore.h"

#include <algorithm>
#include <limits>

#include "envengine.h"
#include "totals.h"

namespace vintrop {

PathStore::PathStore(const CEnvEng& engine, std::size_t pointLimit)
    : m_Engine(engine), m_PointLimit(std::max<std::size_t>(pointLimit, 2)) {}

void PathStore::Configure(bool on, int steps) {
    steps = std::max(steps, 2);
    if (on == m_On && steps == m_Steps) return;
    m_On = on;
    m_Steps = steps;
    if (on) {
        Restart();
        return;
    }
    // Off: nothing is kept, not even the memory.
    m_Count = m_Paths = m_Oldest = 0;
    std::vector<Point>().swap(m_Data);
    std::vector<int32_t>().swap(m_T);
    std::vector<int32_t>().swap(m_Colors);
}

void PathStore::Sync() {
    if (!m_On) return;
    if (!AtLatestPoint()) {
        Restart();
        return;
    }
    // The colours may change at any time (classroom colours).
    for (int i = 1; i < m_Paths; ++i) m_Colors[static_cast<std::size_t>(i)] = m_Engine.GetBowl(i).Color;
}

void PathStore::AdvanceCompleted() {
    if (!m_On) return;
    if (m_Engine.BowlCount() + 1 != m_Paths)
        Restart();
    else
        TakePoint();
}

bool PathStore::AtLatestPoint() const {
    if (m_Count == 0 || m_Paths != m_Engine.BowlCount() + 1 || m_LatestT != m_Engine.t) return false;
    for (int i = 1; i < m_Paths; ++i) {
        const CBowl& b = m_Engine.GetBowl(i);
        const Point p = At(i, m_Count - 1);
        if (p.x != b.x || p.y != b.y) return false;
    }
    return true;
}

void PathStore::Restart() {
    m_Paths = m_Engine.BowlCount() + 1;
    const std::size_t fits = m_PointLimit / static_cast<std::size_t>(m_Paths);
    m_Capacity = static_cast<int>(std::max<std::size_t>(2, std::min(static_cast<std::size_t>(m_Steps), fits)));
    m_Data.assign(static_cast<std::size_t>(m_Paths) * Cap(), Point{});
    m_T.assign(Cap(), 0);
    m_Colors.assign(static_cast<std::size_t>(m_Paths), 0);
    m_Count = 0;
    m_Oldest = 0;
    TakePoint();
}

void PathStore::TakePoint() {
    const int32_t t = m_Engine.t;
    while (m_Count > 0 && StepAt(m_Count - 1) >= t) --m_Count;
    if (m_Count == m_Capacity) {
        m_Oldest = (m_Oldest + 1) % m_Capacity;
        --m_Count;
    }
    const std::size_t slot = Slot(m_Count);
    m_T[slot] = t;
    const CentreOfMass centre = CentreOfMassOf(m_Engine);
    constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
    m_Data[slot] = centre.valid ? Point{static_cast<float>(centre.x), static_cast<float>(centre.y)} : Point{kNone, kNone};
    for (int i = 1; i < m_Paths; ++i) {
        const CBowl& b = m_Engine.GetBowl(i);
        m_Data[static_cast<std::size_t>(i) * Cap() + slot] = Point{b.x, b.y};
        m_Colors[static_cast<std::size_t>(i)] = b.Color;
    }
    ++m_Count;
    m_LatestT = t;
}

std::string PathStore::Validate() const {
    if (!m_On) return m_Count == 0 && m_Data.empty() ? std::string() : "points kept while off";
    if (m_Data.size() != static_cast<std::size_t>(m_Paths) * Cap() || m_T.size() != Cap() ||
        m_Colors.size() != static_cast<std::size_t>(m_Paths))
        return "rings not sized for their paths";
    if (static_cast<std::size_t>(m_Paths) * Cap() > std::max<std::size_t>(m_PointLimit, 2 * static_cast<std::size_t>(m_Paths)))
        return "more points than the limit";
    if (m_Count < 1 || m_Count > m_Capacity || m_Oldest < 0 || m_Oldest >= m_Capacity) return "count out of range";
    for (int k = 1; k < m_Count; ++k)
        if (StepAt(k) <= StepAt(k - 1)) return "steps not increasing at point " + std::to_string(k);
    if (StepAt(m_Count - 1) != m_LatestT) return "newest point not at the latest step";
    return {};
}

} // namespace vintrop
