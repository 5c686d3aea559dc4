#include "conservationlog.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "envengine.h"

namespace vintrop {

namespace {

void PairMomentumOf(const CBowl& b1, const CBowl& b2, double& x, double& y) {
    x = PairMomentum(b1.M(), b1.Vx, b2.M(), b2.Vx);
    y = PairMomentum(b1.M(), b1.Vy, b2.M(), b2.Vy);
}

double LargerBowlMomentum(const CBowl& b1, const CBowl& b2) {
    const auto of = [](const CBowl& b) { return std::hypot(double(b.Vx), double(b.Vy)) * b.M(); };
    return std::max(of(b1), of(b2));
}

bool Same(const Totals& a, const Totals& b) {
    return a.energy == b.energy && a.px == b.px && a.py == b.py;
}

Totals Min(const Totals& a, const Totals& b) {
    return {std::min(a.energy, b.energy), std::min(a.px, b.px), std::min(a.py, b.py)};
}

Totals Max(const Totals& a, const Totals& b) {
    return {std::max(a.energy, b.energy), std::max(a.px, b.px), std::max(a.py, b.py)};
}

} // namespace

ConservationLog::ConservationLog(const CEnvEng& engine, std::size_t spanLimit, std::size_t collisionLimit)
    : m_Engine(engine),
      m_SpanLimit(std::max<std::size_t>(spanLimit, 2)),
      m_CollisionLimit(std::max<std::size_t>(collisionLimit, 1)) {
    m_Spans.reserve(m_SpanLimit);
    TakePoint(engine.t);
}

void ConservationLog::Sync() {
    m_Pending.clear();
    // Most calls change nothing (a pause, a resize, new display options):
    // taking the same point again would cost a merged span its range.
    const Totals now = TotalsOf(m_Engine);
    if (m_Engine.t == m_LatestT && Same(now, m_Latest)) return;
    TakePoint(m_Engine.t);
}

std::optional<double> ConservationLog::RelativeEnergyChange() const {
    if (m_Spans.empty() || m_Spans.front().firstT != 0) return std::nullopt;
    const double e0 = m_Spans.front().first.energy;
    if (e0 == 0) return std::nullopt;
    return (m_Latest.energy - e0) / e0;
}

void ConservationLog::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    m_Open = CollisionMomentum{};
    PairMomentumOf(b1, b2, m_Open.beforeX, m_Open.beforeY);
    m_Open.bowlMomentum = LargerBowlMomentum(b1, b2);
}

void ConservationLog::AfterCollision(const CBowl& b1, const CBowl& b2) {
    PairMomentumOf(b1, b2, m_Open.afterX, m_Open.afterY);
    m_Open.bowlMomentum = std::max(m_Open.bowlMomentum, LargerBowlMomentum(b1, b2));
    // A sum beyond the float range has no point to show; the history window
    // does not count that collision either.
    for (double v : {m_Open.beforeX, m_Open.beforeY, m_Open.afterX, m_Open.afterY})
        if (!std::isfinite(v)) return;
    m_Pending.push_back(m_Open);
    if (m_Pending.size() > m_CollisionLimit) m_Pending.pop_front();
}

void ConservationLog::AdvanceCompleted() {
    const int32_t t = m_Engine.t;
    // Collisions met on the way back are the ones already kept, met again.
    if (t > m_LatestT) {
        for (CollisionMomentum& c : m_Pending) {
            c.t = t;
            m_Collisions.push_back(c);
        }
        while (m_Collisions.size() > m_CollisionLimit) m_Collisions.pop_front();
    }
    m_Pending.clear();
    TakePoint(t);
}

void ConservationLog::StepAborted() { m_Pending.clear(); }

void ConservationLog::TakePoint(int32_t t) {
    DropFrom(t);
    m_LatestT = t;
    m_Latest = TotalsOf(m_Engine);
    Append(t, m_Latest);
    ++m_Revision;
}

void ConservationLog::DropFrom(int32_t t) {
    while (!m_Spans.empty() && m_Spans.back().firstT >= t) m_Spans.pop_back();
    if (!m_Spans.empty() && m_Spans.back().lastT >= t) {
        // The span reaches past t: of the steps it covers only the first
        // one's exact totals are known, so it keeps just that.
        TotalsSpan& last = m_Spans.back();
        last.lastT = last.firstT;
        last.min = last.max = last.first;
    }
    while (!m_Collisions.empty() && m_Collisions.back().t > t) m_Collisions.pop_back();
}

void ConservationLog::Append(int32_t t, const Totals& totals) {
    if (!m_Spans.empty()) {
        TotalsSpan& last = m_Spans.back();
        const int64_t steps = static_cast<int64_t>(last.lastT) - last.firstT + 1;
        if (static_cast<int64_t>(t) == static_cast<int64_t>(last.lastT) + 1 && steps < m_Stride) {
            last.lastT = t;
            last.min = Min(last.min, totals);
            last.max = Max(last.max, totals);
            return;
        }
    }
    m_Spans.push_back(TotalsSpan{t, t, totals, totals, totals});
    if (m_Spans.size() >= m_SpanLimit) MergeNeighbours();
}

void ConservationLog::MergeNeighbours() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_Spans.size(); i += 2, ++kept) {
        TotalsSpan merged = m_Spans[i];
        if (i + 1 < m_Spans.size()) {
            const TotalsSpan& next = m_Spans[i + 1];
            merged.lastT = next.lastT;
            merged.min = Min(merged.min, next.min);
            merged.max = Max(merged.max, next.max);
        }
        m_Spans[kept] = merged;
    }
    m_Spans.resize(kept);
    if (m_Stride <= std::numeric_limits<int32_t>::max() / 2) m_Stride *= 2;
}

} // namespace vintrop
