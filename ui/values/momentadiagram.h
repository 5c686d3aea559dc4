#pragma once
// The momenta diagram: every bowl's momentum m·v laid tip to tail in the
// bowl's colour, the chain ending where the total momentum, drawn as one
// arrow from the first tail, ends; and for the latest collisions, each
// colliding pair's two momenta and their sum before and after the impact,
// side by side: the two sums are the same arrow.
//
// PairCollisions listens to the engine for the pairs; MomentaPicture is the
// geometry (momentum units, y downwards as in the box), which the widget
// scales to its place and paints.
#include <QPointF>
#include <QWidget>
#include <QtGlobal>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "enginelistener.h"

namespace vintrop {

class CEnvEng;

// One momentum arrow: from its tail to its tip, in the colour of a bowl
// (red + 256 * green + 65536 * blue), or -1 for the summary of many bowls.
struct MomentumArrow {
    QPointF from, to;
    int32_t color = 0;
};

// A colliding pair's momenta m1·v1 and m2·v2, before and after the impact.
struct PairCollision {
    int16_t id1 = 0, id2 = 0;
    int32_t color1 = 0, color2 = 0;
    QPointF before1, before2, after1, after2;
    bool complete = false;   // the impact was resolved
    int32_t t = 0;           // the step it ended
    qint64 shownAt = 0;      // ms, when that step ended
    QPointF SumBefore() const { return before1 + before2; }
    QPointF SumAfter() const { return after1 + after2; }
};

class PairCollisions : public IEngineListener {
public:
    // The pairs shown at once, newest first; an older one makes room.
    static constexpr std::size_t kMaxPairs = 3;
    // How long a collision stays while the simulation runs, ms of real time.
    static constexpr qint64 kHoldMs = 3000;

    explicit PairCollisions(const CEnvEng& engine);
    void SetClock(std::function<qint64()> nowMs) { m_Now = std::move(nowMs); }

    // Drops what is no longer shown: a collision of a step the conductor
    // went back before (BACK, REW, New, Open start from there), one older
    // than kHoldMs while running, all of them when the bowls changed in
    // number. True when anything went.
    bool Prune();
    // Newest first.
    const std::deque<PairCollision>& Shown() const { return m_Shown; }

    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;
    void AdvanceCompleted() override;
    void StepAborted() override { m_Pending.clear(); }

private:
    const CEnvEng& m_Engine;
    std::vector<PairCollision> m_Pending;   // the step under way
    std::deque<PairCollision> m_Shown;
    int m_Count = 0;                        // bowls when last seen
    std::function<qint64()> m_Now;
};

struct MomentaPicture {
    // At most this many bowls are drawn one by one; the rest of the chain is
    // one grey arrow (color -1) summing them, so the chain still ends at the
    // total's tip.
    static constexpr int kChainLimit = 200;

    std::vector<MomentumArrow> chain;   // tip to tail from (0, 0)
    QPointF total;                      // the total momentum, from (0, 0); exactly TotalsOf's
    int summarised = 0;                 // bowls in the grey arrow

    static MomentaPicture Of(const CEnvEng& engine, int chainLimit = kChainLimit);
};

class MomentaDiagram : public QWidget {
    Q_OBJECT
public:
    MomentaDiagram(const CEnvEng& engine, const PairCollisions& pairs, QWidget* parent = nullptr);

    // Lines as wide as the scene's at that scale.
    void SetLineScale(double scale) { m_LineScale = scale; }

    QSize sizeHint() const override { return {420, 480}; }
    QSize minimumSizeHint() const override { return {200, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CEnvEng& m_Engine;
    const PairCollisions& m_Pairs;
    double m_LineScale = 1.0;
};

} // namespace vintrop
