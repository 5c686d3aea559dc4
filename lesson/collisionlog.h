#pragma once
// The collision history as the program's History window and the web page
// both keep it: a before row and an after row for every collision the engine
// reports, the newest kMaxRows of them, the number of collisions listed and
// the total kinetic energy just before the last of them. Fed from the
// engine's BeforeCollision and AfterCollision events; the caller says when
// a step is over.
#include <cstdint>
#include <deque>
#include <string>

#include "numbertexts.h"

namespace vintrop {

class CBowl;
class CEnvEng;

// One row of the log. A before row carries every value; an after row shows
// "-" for t, B1, B2 and " - " for the masses. `filled` counts the columns
// that hold a value (11 for a complete row; fewer when a momentum sum did
// not fit a 32-bit float and the row was left as far as it had got).
// The kinetic energy the collision lost belongs to its after row, known
// when both rows are complete; a before row shows "-" there.
struct CollisionRow {
    bool after = false;
    int filled = 0;
    int32_t t = 0;
    int16_t b1 = 0, b2 = 0;
    float m1 = 0, v1x = 0, v1y = 0;
    float m2 = 0, v2x = 0, v2y = 0;
    float sumX = 0, sumY = 0;   // m1v1x+m2v2x, m1v1y+m2v2y
    bool lossKnown = false;
    double lost = 0;            // KE before minus KE after
};

// The columns: t, B1, B2, m1, v1x, v1y, m2, v2x, v2y, the two sums, and
// the energy lost, shown only while collisions lose energy.
inline constexpr int kCollisionColumns = 11;
inline constexpr int kLossColumn = kCollisionColumns;

// A cell as the history shows it; empty where the row was left unfinished.
// For a file other programs read (`portable`): every placeholder of an
// after row is "-", with no blanks around it.
std::string CollisionCellText(const CollisionRow& row, int column, const text::Separators& s, bool portable = false);

class CollisionLog {
public:
    // Before a new pair comes in, the oldest pair makes room once the log
    // holds more than kRowLimit rows: it never holds more than kMaxRows.
    static constexpr std::size_t kRowLimit = 1000;
    static constexpr std::size_t kMaxRows = kRowLimit + 2;

    // A collision about to be resolved (b1, b2 as the engine reports them):
    // its before row. It is counted when both momentum sums fit a float;
    // false when the counter is already at its 32-bit limit (it then stays
    // there, and the row is kept all the same).
    bool Before(const CEnvEng& engine, const CBowl& b1, const CBowl& b2);
    // The same pair after the impact: its after row, with the energy lost.
    void After(const CBowl& b1, const CBowl& b2);
    // The step is over, or failed part-way: the panels take the energy just
    // before the step's last counted collision. False when the step counted
    // none, which leaves the panels as they were. The energy is worked out
    // here, once a step, from the other bowls' velocities now, which the
    // rest of the step changed only in sign (a wall), leaving every term the same.
    bool FlushStep(const CEnvEng& engine);

    // No rows; the panels show the engine's energy now and no collisions.
    void Clear(const CEnvEng& engine);
    // The counter starts again (a new binding); rows stay, panels go blank.
    void RestartCount();
    // The rows and the panels as at the start.
    void Reset();

    const std::deque<CollisionRow>& Rows() const { return m_Rows; }
    // Rows ever added, and of those the ones dropped since: the serial of
    // Rows()[k] is FirstSerial() + k. A mirror of the rows catches up by
    // comparing serials.
    uint64_t FirstSerial() const { return m_FirstSerial; }
    uint64_t NextSerial() const { return m_FirstSerial + m_Rows.size(); }

    int32_t Count() const { return m_Count; }
    // Lets a test start the counter near its limit.
    void StartCountAt(int32_t count) { m_Count = count; }
    // The panels: whether they show anything, the energy and the count.
    bool PanelsShown() const { return m_PanelsShown; }
    double PanelEnergy() const { return m_PanelEnergy; }
    int32_t PanelCount() const { return m_PanelCount; }

private:
    void Add(const CollisionRow& row);

    std::deque<CollisionRow> m_Rows;
    uint64_t m_FirstSerial = 0;
    int32_t m_Count = 0;
    // The last counted collision's bowls and their velocities before it.
    struct Pending {
        const CBowl* b1;
        const CBowl* b2;
        float v1x, v1y, v2x, v2y;
    };
    bool m_HasPending = false;
    Pending m_Pending{};
    // The before row of the collision being resolved, for its loss.
    bool m_HasBefore = false;
    CollisionRow m_Before;
    bool m_PanelsShown = false;
    double m_PanelEnergy = 0;
    int32_t m_PanelCount = 0;
};

} // namespace vintrop
