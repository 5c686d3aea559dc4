#include "momentadiagram.h"

#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>

#include "envengine.h"
#include "guarded.h"
#include "numberformat.h"
#include "scenerenderer.h"
#include "totals.h"

namespace vintrop {

namespace {

QPointF MomentumOf(const CBowl& b) {
    const double m = b.M();
    return {m * b.Vx, m * b.Vy};
}

bool SamePair(const PairCollision& a, const PairCollision& b) {
    return (a.id1 == b.id1 && a.id2 == b.id2) || (a.id1 == b.id2 && a.id2 == b.id1);
}

const QColor kBackground(0, 0, 0);
const QColor kText(230, 230, 230);
const QColor kSummary(150, 150, 150);

// Arrows to draw in one box, scaled together: the chain tip to tail and the
// sum from the first tail.
struct VectorSet {
    std::vector<MomentumArrow> chain;
    QPointF sum;
};

// The momentum-space rectangle holding the origin and every point of `sets`.
QRectF Bounds(std::initializer_list<const VectorSet*> sets) {
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    const auto take = [&](QPointF p) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return;
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    };
    for (const VectorSet* s : sets) {
        for (const MomentumArrow& a : s->chain) take(a.to);
        take(s->sum);
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

// Draws `set` into `box`, scaled so that `bounds` fits. A chain along one
// line (a head-on lesson) would run back over itself: its arrows then lie
// one below the other, each starting under the last one's tip, the sum last.
void DrawSet(QPainter& painter, const QRectF& box, const QRectF& bounds, const VectorSet& set, double lineWidth) {
    const double margin = 6 * lineWidth;
    const QRectF room = box.adjusted(margin, margin, -margin, -margin);
    if (room.width() <= 0 || room.height() <= 0) return;
    const double big = std::max(bounds.width(), bounds.height());
    if (!(big > 0) || !std::isfinite(big)) {
        painter.setPen(kText);
        painter.drawText(box, Qt::AlignCenter, QStringLiteral("0"));
        return;
    }
    const auto count = static_cast<int>(set.chain.size()) + 1;
    const bool flat = bounds.height() <= big * 0.02 && count <= 40;
    ArrowStyle style;
    style.width = lineWidth;
    style.unit = lineWidth;
    style.head = ArrowHead::Filled;
    const QRectF clip = box;
    if (flat) {
        const double scale = room.width() / std::max(bounds.width(), big * 1e-9);
        const double lane = std::min(room.height() / count, 14 * lineWidth);
        const double top = room.center().y() - lane * count / 2 + lane / 2;
        const auto at = [&](double x, int k) { return QPointF(room.left() + (x - bounds.left()) * scale, top + k * lane); };
        for (int k = 0; k < count - 1; ++k) {
            const MomentumArrow& a = set.chain[static_cast<std::size_t>(k)];
            if (k > 0) {   // from the last tip down to this tail
                painter.setPen(QPen(kSummary, std::max(1.0, lineWidth / 2), Qt::DotLine));
                painter.drawLine(at(a.from.x(), k - 1), at(a.from.x(), k));
            }
            style.color = a.color < 0 ? kSummary : SceneRenderer::ColorOf(a.color);
            SceneRenderer::PaintArrow(painter, at(a.from.x(), k), at(a.to.x(), k), style, clip);
        }
        painter.setPen(QPen(kSummary, std::max(1.0, lineWidth / 2), Qt::DotLine));
        painter.drawLine(at(0, 0), at(0, count - 1));
        style.color = Qt::white;
        style.width = 2 * lineWidth;
        SceneRenderer::PaintArrow(painter, at(0, count - 1), at(set.sum.x(), count - 1), style, clip);
        return;
    }
    const double scale = std::min(room.width() / std::max(bounds.width(), big * 1e-9),
                                  room.height() / std::max(bounds.height(), big * 1e-9));
    const QPointF shift = room.center() - bounds.center() * scale;
    const auto at = [&](QPointF p) { return shift + p * scale; };
    // The sum under the chain, wider, so the chain shows along it.
    style.color = Qt::white;
    style.width = 2.5 * lineWidth;
    SceneRenderer::PaintArrow(painter, at({0, 0}), at(set.sum), style, clip);
    style.width = lineWidth;
    for (const MomentumArrow& a : set.chain) {
        style.color = a.color < 0 ? kSummary : SceneRenderer::ColorOf(a.color);
        SceneRenderer::PaintArrow(painter, at(a.from), at(a.to), style, clip);
    }
}

QString VectorText(QPointF p) { return QStringLiteral("(%1, %2)").arg(fmt::Fixed(p.x()), fmt::Fixed(p.y())); }

} // namespace

// ------------------------------------------------------------------ pairs

PairCollisions::PairCollisions(const CEnvEng& engine) : m_Engine(engine), m_Count(engine.BowlCount()) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_Now = [clock] { return clock->elapsed(); };
}

void PairCollisions::BeforeCollision(const CBowl& b1, const CBowl& b2) {
    PairCollision c;
    c.id1 = b1.Id;
    c.id2 = b2.Id;
    c.color1 = b1.Color;
    c.color2 = b2.Color;
    c.before1 = MomentumOf(b1);
    c.before2 = MomentumOf(b2);
    m_Pending.push_back(c);
}

void PairCollisions::AfterCollision(const CBowl& b1, const CBowl& b2) {
    if (m_Pending.empty() || m_Pending.back().complete) return;
    PairCollision& c = m_Pending.back();
    c.after1 = MomentumOf(b1);
    c.after2 = MomentumOf(b2);
    c.complete = true;
}

void PairCollisions::AdvanceCompleted() {
    const qint64 now = m_Now();
    // Collisions of bowls that have since gone or come, never shown.
    if (m_Engine.BowlCount() != m_Count) {
        m_Count = m_Engine.BowlCount();
        m_Shown.clear();
    }
    for (PairCollision& c : m_Pending) {
        if (!c.complete) continue;
        c.t = m_Engine.t;
        c.shownAt = now;
        // The pair's new collision takes the place of its last one.
        m_Shown.erase(std::remove_if(m_Shown.begin(), m_Shown.end(),
                                     [&](const PairCollision& s) { return SamePair(s, c); }),
                      m_Shown.end());
        m_Shown.push_front(c);
        if (m_Shown.size() > kMaxPairs) m_Shown.pop_back();
    }
    m_Pending.clear();
}

bool PairCollisions::Prune() {
    const std::size_t before = m_Shown.size();
    if (m_Engine.BowlCount() != m_Count) {
        m_Count = m_Engine.BowlCount();
        m_Shown.clear();
    }
    const qint64 now = m_Now();
    const bool running = m_Engine.IsExecuting();
    const int32_t t = m_Engine.t;
    m_Shown.erase(std::remove_if(m_Shown.begin(), m_Shown.end(),
                                 [&](const PairCollision& c) {
                                     return c.t > t || (t == 0 && c.t > 0) || (running && now - c.shownAt > kHoldMs);
                                 }),
                  m_Shown.end());
    return m_Shown.size() != before;
}

// ---------------------------------------------------------------- picture

MomentaPicture MomentaPicture::Of(const CEnvEng& engine, int chainLimit) {
    MomentaPicture p;
    const int n = engine.BowlCount();
    const int drawn = std::min(n, std::max(chainLimit, 0));
    p.chain.reserve(static_cast<std::size_t>(drawn) + 1);
    // Summed in double in the bowls' order, as TotalsOf sums: the last tip
    // is the total.
    double x = 0, y = 0;
    for (int i = 1; i <= drawn; ++i) {
        const CBowl& b = engine.GetBowl(i);
        const double m = b.M();
        MomentumArrow a;
        a.from = {x, y};
        x += m * b.Vx;
        y += m * b.Vy;
        a.to = {x, y};
        a.color = b.Color;
        p.chain.push_back(a);
    }
    const Totals totals = TotalsOf(engine);
    p.total = {totals.px, totals.py};
    if (drawn < n) {
        p.summarised = n - drawn;
        p.chain.push_back({QPointF(x, y), p.total, -1});
    }
    return p;
}

// ----------------------------------------------------------------- widget

MomentaDiagram::MomentaDiagram(const CEnvEng& engine, const PairCollisions& pairs, QWidget* parent)
    : QWidget(parent), m_Engine(engine), m_Pairs(pairs) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MomentaDiagram::paintEvent(QPaintEvent*) {
    Guarded(
        this,
        [this] {
            QPainter painter(this);
            painter.fillRect(rect(), kBackground);
            painter.setRenderHint(QPainter::Antialiasing);
            const double lw = std::max(1.0, m_LineScale * 1.5);
            const double line = QFontMetricsF(font(), this).height();
            const auto& pairs = m_Pairs.Shown();

            // The whole scene: the chain and its total.
            const MomentaPicture picture = MomentaPicture::Of(m_Engine);
            const double sceneHeight = pairs.empty() ? height() : height() * 0.45;
            QString title = QStringLiteral("Total momentum Σ m·v = %1").arg(VectorText(picture.total));
            if (picture.summarised > 0)
                title += QStringLiteral("   (grey: the last %1 bowls together)").arg(picture.summarised);
            painter.setPen(kText);
            const QRectF titleBox(4, 0, width() - 8, line * 2.2);
            painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title);
            const VectorSet scene{picture.chain, picture.total};
            DrawSet(painter, QRectF(0, titleBox.bottom(), width(), sceneHeight - titleBox.bottom()), Bounds({&scene}),
                    scene, lw);

            // Each pair shown: its momenta before and after, on one scale.
            if (pairs.empty()) return;
            // As many of the newest as leave each room for its captions and
            // a readable picture.
            const auto fit = static_cast<std::size_t>(std::max(1.0, (height() - sceneHeight) / (line * 8)));
            const std::size_t rows = std::min(pairs.size(), fit);
            const double rowHeight = (height() - sceneHeight) / static_cast<double>(rows);
            double top = sceneHeight;
            for (std::size_t row = 0; row < rows; ++row) {
                const PairCollision& c = pairs[row];
                painter.setPen(QPen(kSummary, 1));
                painter.drawLine(QPointF(0, top), QPointF(width(), top));
                painter.setPen(kText);
                const QRectF label(4, top, width() - 8, line * 1.1);
                painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                                 QStringLiteral("Bowls %1 + %2, t = %3").arg(c.id1).arg(c.id2).arg(c.t));
                const VectorSet before{{{QPointF(), c.before1, c.color1}, {c.before1, c.SumBefore(), c.color2}},
                                       c.SumBefore()};
                const VectorSet after{{{QPointF(), c.after1, c.color1}, {c.after1, c.SumAfter(), c.color2}},
                                      c.SumAfter()};
                const QRectF bounds = Bounds({&before, &after});
                const double half = width() / 2.0;
                const double boxTop = label.bottom() + line * 2.2;
                const double boxHeight = top + rowHeight - boxTop;
                // Each side's caption over its sum, shortened to its half.
                const QFontMetricsF metrics(font(), this);
                const auto caption = [&](double left, const QString& text, QPointF sum) {
                    painter.drawText(QRectF(left + 4, label.bottom(), half - 8, line * 1.1), Qt::AlignCenter, text);
                    painter.drawText(QRectF(left + 4, label.bottom() + line * 1.1, half - 8, line * 1.1),
                                     Qt::AlignCenter,
                                     metrics.elidedText(QStringLiteral("sum ") + VectorText(sum), Qt::ElideRight, half - 8));
                };
                caption(0, QStringLiteral("before"), c.SumBefore());
                caption(half, QStringLiteral("after"), c.SumAfter());
                DrawSet(painter, QRectF(0, boxTop, half, boxHeight), bounds, before, lw);
                DrawSet(painter, QRectF(half, boxTop, half, boxHeight), bounds, after, lw);
                painter.setPen(QPen(kSummary, 1, Qt::DotLine));
                painter.drawLine(QPointF(half, boxTop), QPointF(half, top + rowHeight));
                top += rowHeight;
            }
        },
        Report::Later);
}

} // namespace vintrop
