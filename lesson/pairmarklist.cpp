#include "pairmarklist.h"

#include <algorithm>

#include "bowl.h"
#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

bool PairMomentumLine(const CBowl& b1, const CBowl& b2, double scale, MomentumLine& line) {
    try {
        const float mx = ToSingle((static_cast<double>(b1.x) + static_cast<double>(b2.x)) / 2.0);
        const float my = ToSingle((static_cast<double>(b1.y) + static_cast<double>(b2.y)) / 2.0);
        const float ox = ToSingle((static_cast<double>(b2.M()) / 10.0 * static_cast<double>(b2.Vx) +
                                   static_cast<double>(b1.M()) / 10.0 * static_cast<double>(b1.Vx)) * scale);
        const float oy = ToSingle((static_cast<double>(b2.M()) / 10.0 * static_cast<double>(b2.Vy) +
                                   static_cast<double>(b1.M()) / 10.0 * static_cast<double>(b1.Vy)) * scale);
        line.fromX = mx;
        line.fromY = my;
        line.toX = static_cast<double>(mx) + ox;
        line.toY = static_cast<double>(my) + oy;
        return true;
    } catch (const VintropError&) {
        return false;   // a sum beyond float range
    }
}

bool BowlMomentumOffset(const CBowl& b, double scale, float& dx, float& dy) {
    try {
        dx = ToSingle(static_cast<double>(b.M()) / 10.0 * static_cast<double>(b.Vx) * scale);
        dy = ToSingle(static_cast<double>(b.M()) / 10.0 * static_cast<double>(b.Vy) * scale);
        return true;
    } catch (const VintropError&) {
        return false;
    }
}

void PairMarkList::Add(const CBowl& b1, const CBowl& b2, bool beforeImpact, double scale) {
    MomentumLine line;
    if (!PairMomentumLine(b1, b2, scale, line)) return;
    // The engine reports a pair before and then after its impact.
    const bool joins = !beforeImpact && !m_Marks.empty() && m_Marks.back().pending && !m_Marks.back().hasAfter;
    if (!joins) {
        if (m_Marks.size() == kMaxMarks) m_Marks.pop_front();
        m_Marks.emplace_back();
    }
    PairMark& mark = m_Marks.back();
    if (beforeImpact) {
        mark.before = line;
        mark.hasBefore = true;
        mark.color1 = b1.Color;
    } else {
        mark.after = line;
        mark.hasAfter = true;
        mark.color2 = b2.Color;
    }
}

void PairMarkList::StepCompleted(int32_t t, bool running, int64_t now) {
    if (!running)
        m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(), [](const PairMark& m) { return !m.pending; }),
                      m_Marks.end());
    for (PairMark& mark : m_Marks) {
        if (!mark.pending) continue;
        mark.pending = false;
        mark.t = t;
        mark.born = now;
    }
}

void PairMarkList::DropPending() {
    m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(), [](const PairMark& m) { return m.pending; }),
                  m_Marks.end());
}

double PairMarkList::Opacity(const PairMark& mark, int64_t now, int32_t t, bool running) {
    if (mark.pending) return 0.0;
    if (!running) return mark.t == t ? 1.0 : 0.0;   // paused on its step, or stepped away
    const int64_t age = now - mark.born;
    return age < kFadeMs ? 1.0 - static_cast<double>(std::max<int64_t>(age, 0)) / kFadeMs : 0.0;
}

bool PairMarkList::Prune(int32_t t, bool running, int64_t now) {
    m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(),
                                 [&](const PairMark& m) { return !m.pending && Opacity(m, now, t, running) <= 0.0; }),
                  m_Marks.end());
    return running && std::any_of(m_Marks.begin(), m_Marks.end(), [](const PairMark& m) { return !m.pending; });
}

} // namespace vintrop
