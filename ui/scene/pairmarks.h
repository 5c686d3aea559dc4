#pragma once
// The pairs' momentum marks of a scene on screen: the list of marks (their
// lifetime, count and lines) painted over the picture, the line before the
// impact dashed in the first bowl's colour and the line after it solid in
// the second's, with a black rim so that it shows on a disk of its own
// colour; fading ones translucent.
#include <QPointF>
#include <QRectF>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "pairmarklist.h"

class QPainter;

namespace vintrop {

class CBowl;

class PairMarks {
public:
    static constexpr qint64 kFadeMs = PairMarkList::kFadeMs;
    static constexpr std::size_t kMaxMarks = PairMarkList::kMaxMarks;

    PairMarks();
    // Where the marks read the time: milliseconds of a monotonic clock.
    void SetClock(std::function<qint64()> nowMs) { m_Now = std::move(nowMs); }

    // While FlgShowVect is on: the pair's momentum line (see
    // SceneRenderer::PairMomentumLine) for the step being drawn.
    void Add(const CBowl& b1, const CBowl& b2, bool beforeImpact);
    void StepCompleted(int32_t t, bool running) { m_List.StepCompleted(t, running, m_Now()); }
    void DropPending() { m_List.DropPending(); }
    bool Prune(int32_t t, bool running) { return m_List.Prune(t, running, m_Now()); }
    // Paints the marks shown in logical pixels: twips (0, 0) at `origin`,
    // lines `lineWidth` wide, cut to `clip`.
    void Paint(QPainter& painter, QPointF origin, double twipsPerPixel, int lineWidth, const QRectF& clip,
               int32_t t, bool running) const;
    std::size_t Count() const { return m_List.Marks().size(); }

private:
    PairMarkList m_List;
    std::function<qint64()> m_Now;
};

} // namespace vintrop
