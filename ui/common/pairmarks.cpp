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
    QPointF from, to;
    if (!SceneRenderer::PairMomentumLine(b1, b2, from, to)) return;
    // The engine reports a pair before and then after its impact.
    const bool joins = !beforeImpact && !m_Marks.empty() && m_Marks.back().pending && !m_Marks.back().hasAfter;
    if (!joins) {
        if (m_Marks.size() == kMaxMarks) m_Marks.pop_front();
        m_Marks.emplace_back();
    }
    Mark& mark = m_Marks.back();
    mark.from = from;
    if (beforeImpact) {
        mark.before = to;
        mark.hasBefore = true;
        mark.color1 = b1.Color;
    } else {
        mark.after = to;
        mark.hasAfter = true;
        mark.color2 = b2.Color;
    }
}

void PairMarks::StepCompleted(int32_t t, bool running) {
    const qint64 now = m_Now();
    if (!running)
        m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(), [](const Mark& m) { return !m.pending; }),
                      m_Marks.end());
    for (Mark& mark : m_Marks) {
        if (!mark.pending) continue;
        mark.pending = false;
        mark.t = t;
        mark.born = now;
    }
}

void PairMarks::DropPending() {
    m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(), [](const Mark& m) { return m.pending; }),
                  m_Marks.end());
}

double PairMarks::Opacity(const Mark& mark, qint64 now, int32_t t, bool running) const {
    if (mark.pending) return 0.0;
    if (!running) return mark.t == t ? 1.0 : 0.0;   // paused on its step, or stepped away
    const qint64 age = now - mark.born;
    return age < kFadeMs ? 1.0 - static_cast<double>(std::max<qint64>(age, 0)) / kFadeMs : 0.0;
}

bool PairMarks::Prune(int32_t t, bool running) {
    const qint64 now = m_Now();
    m_Marks.erase(std::remove_if(m_Marks.begin(), m_Marks.end(),
                                 [&](const Mark& m) { return !m.pending && Opacity(m, now, t, running) <= 0.0; }),
                  m_Marks.end());
    return running && std::any_of(m_Marks.begin(), m_Marks.end(), [](const Mark& m) { return !m.pending; });
}

void PairMarks::Paint(QPainter& painter, QPointF origin, double twipsPerPixel, int lineWidth, const QRectF& clip,
                      int32_t t, bool running) const {
    if (m_Marks.empty() || !(twipsPerPixel > 0)) return;
    const qint64 now = m_Now();
    const auto at = [&](QPointF twips) { return origin + twips / twipsPerPixel; };
    ArrowStyle style;
    style.width = std::max(1, lineWidth);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(clip);
    for (const Mark& mark : m_Marks) {
        const double opacity = Opacity(mark, now, t, running);
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
            SceneRenderer::PaintArrow(painter, at(mark.from), at(mark.after), style, clip);
        }
        if (mark.hasBefore) {
            style.color = SceneRenderer::ColorOf(mark.color1);
            style.dashed = true;
            style.head = mark.hasAfter ? ArrowHead::None : ArrowHead::Filled;
            style.rim = mark.hasAfter ? QColor() : QColor(Qt::black);
            SceneRenderer::PaintArrow(painter, at(mark.from), at(mark.before), style, clip);
        }
    }
    painter.restore();
}

} // namespace vintrop
