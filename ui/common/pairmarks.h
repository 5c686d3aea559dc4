#pragma once
// The momentum of each colliding pair, before the impact (dashed, in the
// first bowl's colour) and after it (solid, in the second's), kept on screen
// for a while: a collision lasts one step, far too short for a class to see a
// line drawn into that step's frame. A mark is painted over the picture, with
// a black rim so that it shows on a disk of its own colour; while the
// simulation runs it fades out over kFadeMs of real time, and while the
// simulation stands on the step the collision ended (stopped, t unchanged)
// it stays whole. Any other step drops it.
#include <QPointF>
#include <QRectF>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

class QPainter;

namespace vintrop {

class CBowl;

class PairMarks {
public:
    static constexpr qint64 kFadeMs = 1000;
    // Marks beyond this many are dropped oldest first: a crowd colliding at
    // every step would otherwise pile up a second's worth of them.
    static constexpr std::size_t kMaxMarks = 256;

    PairMarks();
    // Where the marks read the time: milliseconds of a monotonic clock.
    void SetClock(std::function<qint64()> nowMs) { m_Now = std::move(nowMs); }

    // While FlgShowVect is on: the pair's momentum line (see
    // SceneRenderer::PairMomentumLine) for the step being drawn. The line
    // after the impact joins the one before it.
    void Add(const CBowl& b1, const CBowl& b2, bool beforeImpact);
    // The step the marks added since the last call belong to has ended at
    // t. A step taken with the simulation stopped (STEP, BACK, a rewind)
    // drops the marks of earlier steps; a running one leaves them to fade.
    void StepCompleted(int32_t t, bool running);
    // The step being drawn failed: its marks go.
    void DropPending();

    // Drops the marks no longer shown at step t with the simulation running
    // or not; true while some mark is fading, so its screen must repaint.
    bool Prune(int32_t t, bool running);
    // Paints the marks shown, fading ones translucent, in logical pixels:
    // twips (0, 0) at `origin`, lines `lineWidth` wide, cut to `clip`.
    void Paint(QPainter& painter, QPointF origin, double twipsPerPixel, int lineWidth, const QRectF& clip,
               int32_t t, bool running) const;
    std::size_t Count() const { return m_Marks.size(); }

private:
    struct Mark {
        QPointF from, before, after;   // twips: the midpoint, the lines' ends
        int32_t color1 = 0, color2 = 0;
        bool hasBefore = false, hasAfter = false;
        bool pending = true;           // its step has not ended yet
        int32_t t = 0;                 // the step it ended
        qint64 born = 0;               // ms
    };
    // How opaque the mark is now (0: not shown).
    double Opacity(const Mark& mark, qint64 now, int32_t t, bool running) const;

    std::deque<Mark> m_Marks;
    std::function<qint64()> m_Now;
};

} // namespace vintrop
