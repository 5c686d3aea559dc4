#include "collisionlog.h"

#include <cmath>
#include <limits>

#include "bowl.h"
#include "envengine.h"
#include "totals.h"

namespace vintrop {

namespace {
enum Column { ColT, ColB1, ColB2, ColM1, ColV1x, ColV1y, ColM2, ColV2x, ColV2y, ColSumX, ColSumY, ColLost };
static_assert(ColLost == kLossColumn);

// Summed as the engine sums its total, so that a two-bowl scene's loss is
// the drop of that total.
double PairEnergy(double m1, double m2, float v1x, float v1y, float v2x, float v2y) {
    const double ax = v1x, ay = v1y, bx = v2x, by = v2y;
    return (ax * ax + ay * ay) * (0.5 * m1) + (bx * bx + by * by) * (0.5 * m2);
}

// The velocities and the two momentum sums of a row; false when a sum
// overflows a float, leaving the row filled up to that column.
bool FillVelocities(CollisionRow& row, const CBowl& b1, const CBowl& b2) {
    row.v1x = b1.Vx;
    row.v1y = b1.Vy;
    row.v2x = b2.Vx;
    row.v2y = b2.Vy;
    row.filled = 9;
    row.sumX = PairMomentum(b1.M(), b1.Vx, b2.M(), b2.Vx);
    if (!std::isfinite(row.sumX)) return false;
    row.filled = 10;
    row.sumY = PairMomentum(b1.M(), b1.Vy, b2.M(), b2.Vy);
    if (!std::isfinite(row.sumY)) return false;
    row.filled = 11;
    return true;
}
} // namespace

std::string CollisionCellText(const CollisionRow& row, int column, const text::Separators& s, bool portable) {
    if (column == ColLost && row.filled == kCollisionColumns)
        return row.after ? (row.lossKnown ? text::Fixed(row.lost, s) : std::string()) : "-";
    if (column < 0 || column >= row.filled) return {};
    if (row.after) {
        switch (column) {
        case ColT:
        case ColB1:
        case ColB2: return "-";
        case ColM1:
        case ColM2: return portable ? "-" : " - ";
        default: break;
        }
    }
    switch (column) {
    case ColT: return text::Integer(row.t);
    case ColB1: return text::Integer(row.b1);
    case ColB2: return text::Integer(row.b2);
    case ColM1: return text::General(row.m1, s);
    case ColV1x: return text::Fixed(row.v1x, s);
    case ColV1y: return text::Fixed(row.v1y, s);
    case ColM2: return text::General(row.m2, s);
    case ColV2x: return text::Fixed(row.v2x, s);
    case ColV2y: return text::Fixed(row.v2y, s);
    case ColSumX: return text::Fixed(row.sumX, s);
    case ColSumY: return text::Fixed(row.sumY, s);
    default: return {};
    }
}

void CollisionLog::Add(const CollisionRow& row) { m_Rows.push_back(row); }

bool CollisionLog::Before(const CEnvEng& engine, const CBowl& b1, const CBowl& b2) {
    if (m_Rows.size() > kRowLimit) {
        m_Rows.erase(m_Rows.begin(), m_Rows.begin() + 2);
        m_FirstSerial += 2;
    }
    CollisionRow row;
    row.t = engine.t;
    row.b1 = b1.Id;
    row.b2 = b2.Id;
    row.m1 = b1.M();
    row.m2 = b2.M();
    const bool complete = FillVelocities(row, b1, b2);
    Add(row);
    m_HasBefore = complete;
    if (complete) m_Before = row;
    // A sum beyond the float range: the row stays as far as it got and the
    // collision is not counted. The simulation itself goes on.
    if (!complete) return true;
    // The energy shown is the total before this collision is resolved.
    m_Pending = Pending{&b1, &b2, b1.Vx, b1.Vy, b2.Vx, b2.Vy};
    m_HasPending = true;
    if (m_Count == std::numeric_limits<int32_t>::max()) return false;
    ++m_Count;
    return true;
}

void CollisionLog::After(const CBowl& b1, const CBowl& b2) {
    CollisionRow row;
    row.after = true;
    if (FillVelocities(row, b1, b2) && m_HasBefore) {
        row.lost = PairEnergy(m_Before.m1, m_Before.m2, m_Before.v1x, m_Before.v1y, m_Before.v2x, m_Before.v2y) -
                   PairEnergy(m_Before.m1, m_Before.m2, row.v1x, row.v1y, row.v2x, row.v2y);
        row.lossKnown = true;
    }
    m_HasBefore = false;
    Add(row);
}

bool CollisionLog::FlushStep(const CEnvEng& engine) {
    m_HasBefore = false;
    if (!m_HasPending) return false;
    m_HasPending = false;
    const Pending& p = m_Pending;
    m_PanelEnergy = engine.EnCinTotWith(*p.b1, p.v1x, p.v1y, *p.b2, p.v2x, p.v2y);
    m_PanelCount = m_Count;
    m_PanelsShown = true;
    return true;
}

void CollisionLog::Clear(const CEnvEng& engine) {
    m_FirstSerial += m_Rows.size();
    m_Rows.clear();
    m_Count = 0;
    m_HasPending = false;
    m_HasBefore = false;
    m_PanelEnergy = engine.EnCinTot();
    m_PanelCount = 0;
    m_PanelsShown = true;
}

void CollisionLog::RestartCount() {
    m_Count = 0;
    m_HasPending = false;
}

void CollisionLog::Reset() {
    m_FirstSerial += m_Rows.size();
    m_Rows.clear();
    m_Count = 0;
    m_HasPending = false;
    m_HasBefore = false;
    m_PanelsShown = false;
    m_PanelEnergy = 0;
    m_PanelCount = 0;
}

} // namespace vintrop
