#include "pairmarks.h"

#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <memory>

#include "appstate.h"
#include "bowl.h"
#include "scenerenderer.h"

namespace vintrop {

PairMarks::PairMarks() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_Now = [clock] { return clock->elapsed(); };
}

void PairMarks::Add(const CBowl& b1, const CBowl& b2, bool beforeImpact) {
    if (!FlgShowVect) return;
    m_List.Add(b1, b2, beforeImpact, SceneRenderer::VectorScaleOf());
}

void PairMarks::Paint(QPainter& painter, QPointF origin, double twipsPerPixel, int lineWidth, const QRectF& clip,
                      int32_t t, bool running) const {
    if (m_List.Marks().empty() || !(twipsPerPixel > 0)) return;
    const qint64 now = m_Now();
    const auto at = [&](double x, double y) { return origin + QPointF(x, y) / twipsPerPixel; };
    ArrowStyle style;
    style.width = std::max(1, lineWidth);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(clip);
    for (const PairMark& mark : m_List.Marks()) {
        const double opacity = PairMarkList::Opacity(mark, now, t, running);
        if (opacity <= 0.0) continue;
        painter.setOpacity(opacity);
        // Momentum is conserved, so the two lines coincide: the solid one
        // after the impact is drawn first, rimmed, and the dashed one before
        // it over it, so both bowls' colours show along the line.
        if (mark.hasAfter) {
            style.color = SceneRenderer::ColorOf(mark.color2);
            style.dashed = false;
            style.head = ArrowHead::Filled;
            style.rim = Qt::black;
            SceneRenderer::PaintArrow(painter, at(mark.after.fromX, mark.after.fromY),
                                      at(mark.after.toX, mark.after.toY), style, clip);
        }
        if (mark.hasBefore) {
            style.color = SceneRenderer::ColorOf(mark.color1);
            style.dashed = true;
            style.head = mark.hasAfter ? ArrowHead::None : ArrowHead::Filled;
            style.rim = mark.hasAfter ? QColor() : QColor(Qt::black);
            SceneRenderer::PaintArrow(painter, at(mark.before.fromX, mark.before.fromY),
                                      at(mark.before.toX, mark.before.toY), style, clip);
        }
    }
    painter.restore();
}

} // namespace vintrop
