#include "scenerenderer.h"

#include <QFontMetricsF>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "appstate.h"
#include "bowl.h"
#include "numeric.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
// Bowls with an Id below this keep their brush and number text between frames.
constexpr int kStyleCache = 4096;
// Lines are cut to the buffer plus this margin (logical pixels) before they
// reach the rasteriser.
constexpr double kLineMargin = 64.0;

QPen CosmeticPen(const QColor& color, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(color, 1, style);
    pen.setCosmetic(true);   // one pixel whatever the twips scale
    return pen;
}

// Cuts the segment p1-p2 to `box` (Liang-Barsky). Returns false when nothing
// of it lies inside; t0 is how far along the original segment the kept part
// starts (0..1).
bool ClipSegment(const QRectF& box, double& x1, double& y1, double& x2, double& y2, double& t0) {
    const double dx = x2 - x1, dy = y2 - y1;
    double lo = 0.0, hi = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - box.left(), box.right() - x1, y1 - box.top(), box.bottom() - y1};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) return false;   // parallel to this edge and outside it
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0.0)
            lo = std::max(lo, r);
        else
            hi = std::min(hi, r);
        if (lo > hi) return false;
    }
    const double sx = x1, sy = y1;
    x1 = sx + lo * dx;
    y1 = sy + lo * dy;
    x2 = sx + hi * dx;
    y2 = sy + hi * dy;
    t0 = lo;
    return true;
}
} // namespace

SceneRenderer::SceneRenderer()
    : m_Twips(QTransform::fromScale(1.0 / 15.0, 1.0 / 15.0)),
      m_Outline(CosmeticPen(Qt::black)),
      m_Vector(CosmeticPen(Qt::white)),
      m_Pair(CosmeticPen(Qt::white)),
      m_TextOnLight(Qt::black),
      m_TextOnDark(Qt::white) {
    m_Text.setTextFormat(Qt::PlainText);
}

SceneRenderer::~SceneRenderer() { End(); }

void SceneRenderer::Begin() {
    if (m_Buffer.isNull()) return;
    m_Painter.begin(&m_Buffer);
    m_Painter.setRenderHint(QPainter::Antialiasing, false);
    m_Painter.setBackgroundMode(Qt::TransparentMode);
    m_Painter.setFont(m_Font);
    m_Painter.setWorldTransform(m_Twips);
}

void SceneRenderer::End() {
    if (m_Painter.isActive()) m_Painter.end();
}

void SceneRenderer::Resize(QSize pixels, qreal devicePixelRatio, double twipsPerPixel) {
    pixels = pixels.expandedTo(QSize(0, 0));
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1.0;
    if (!(twipsPerPixel > 0)) twipsPerPixel = 15.0;
    if (pixels == m_Pixels && devicePixelRatio == m_Ratio && twipsPerPixel == m_TwipsPerPixel &&
        !m_Buffer.isNull()) {
        Clear();
        return;
    }

    End();
    m_Pixels = pixels;
    m_Ratio = devicePixelRatio;
    m_TwipsPerPixel = twipsPerPixel;
    m_Twips = QTransform::fromScale(1.0 / twipsPerPixel, 1.0 / twipsPerPixel);
    const QSize device(qRound(pixels.width() * devicePixelRatio), qRound(pixels.height() * devicePixelRatio));
    if (device.isEmpty()) {
        m_Buffer = QImage();
    } else {
        m_Buffer = QImage(device, QImage::Format_RGB32);
        m_Buffer.setDevicePixelRatio(devicePixelRatio);
        // Text on the buffer takes the screen's size: 1440 twips per inch.
        const int dotsPerMeter = qRound(1440.0 / twipsPerPixel / 0.0254);
        m_Buffer.setDotsPerMeterX(dotsPerMeter);
        m_Buffer.setDotsPerMeterY(dotsPerMeter);
        m_Buffer.fill(Qt::black);
    }
    const QFontMetricsF metrics(m_Font, m_Buffer.isNull() ? nullptr : &m_Buffer);
    m_LineHeightTwips = metrics.height() * twipsPerPixel;
    Begin();
    m_Current = QPointF(0, 0);
}

double SceneRenderer::InnerWidthTwips() const { return m_Pixels.width() * m_TwipsPerPixel; }

double SceneRenderer::InnerHeightTwips() const { return m_Pixels.height() * m_TwipsPerPixel; }

void SceneRenderer::Clear() {
    m_Current = QPointF(0, 0);
    if (!m_Painter.isActive()) return;
    m_Painter.setWorldTransform(QTransform());
    m_Painter.fillRect(QRectF(QPointF(0, 0), QSizeF(m_Pixels)), Qt::black);
    m_Painter.setWorldTransform(m_Twips);
}

QColor SceneRenderer::ColorOf(int32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QColor SceneRenderer::TextColorOn(const QColor& fill) {
    // Perceived brightness on 0..255: dark fills get white numbers.
    const int brightness = (299 * fill.red() + 587 * fill.green() + 114 * fill.blue()) / 1000;
    return brightness < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

const SceneRenderer::BowlStyle& SceneRenderer::StyleOf(const CBowl& b) {
    BowlStyle* style = &m_Scratch;
    if (b.Id >= 0 && b.Id < kStyleCache) {
        if (static_cast<std::size_t>(b.Id) >= m_Styles.size()) m_Styles.resize(static_cast<std::size_t>(b.Id) + 1);
        style = &m_Styles[static_cast<std::size_t>(b.Id)];
        if (style->color == b.Color && !style->number.text().isEmpty()) return *style;
    }
    const QColor fill = ColorOf(b.Color);
    style->color = b.Color;
    style->fill = QBrush(fill);
    style->darkFill = TextColorOn(fill) == QColor(Qt::white);
    style->number.setTextFormat(Qt::PlainText);
    style->number.setText(QString::number(b.Id));
    return *style;
}

void SceneRenderer::DrawDisk(QPainter& painter, double x, double y, double r, const QBrush& fill) const {
    // A disk wholly off the buffer (or at an absurd position) is not drawn.
    const double cx = x / m_TwipsPerPixel, cy = y / m_TwipsPerPixel, rp = r / m_TwipsPerPixel;
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(rp)) return;
    if (cx + rp < -1.0 || cx - rp > m_Pixels.width() + 1.0 || cy + rp < -1.0 ||
        cy - rp > m_Pixels.height() + 1.0)
        return;
    painter.setPen(m_Outline);
    painter.setBrush(fill);
    painter.drawEllipse(QPointF(x, y), r, r);
}

void SceneRenderer::DrawSegment(double x1, double y1, double x2, double y2, QPen& pen) {
    if (!m_Painter.isActive()) return;
    if (x1 == x2 && y1 == y2) return;   // no length, nothing to see
    double px1 = x1 / m_TwipsPerPixel, py1 = y1 / m_TwipsPerPixel;
    double px2 = x2 / m_TwipsPerPixel, py2 = y2 / m_TwipsPerPixel;
    if (!std::isfinite(px1) || !std::isfinite(py1) || !std::isfinite(px2) || !std::isfinite(py2)) return;
    const QRectF box(-kLineMargin, -kLineMargin, m_Pixels.width() + 2 * kLineMargin,
                     m_Pixels.height() + 2 * kLineMargin);
    if (box.contains(px1, py1) && box.contains(px2, py2)) {
        m_Painter.setPen(pen);
        m_Painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
        return;
    }
    // Partly far outside: draw only the part near the buffer, in pixels, with
    // a dash pattern that continues from where the whole line would start.
    double t0 = 0.0;
    const double length = std::hypot(px2 - px1, py2 - py1);
    if (!ClipSegment(box, px1, py1, px2, py2, t0)) return;
    QPen clipped = pen;
    if (pen.style() != Qt::SolidLine) clipped.setDashOffset(t0 * length);
    m_Painter.setWorldTransform(QTransform());
    m_Painter.setPen(clipped);
    m_Painter.drawLine(QPointF(px1, py1), QPointF(px2, py2));
    m_Painter.setWorldTransform(m_Twips);
}

void SceneRenderer::DrawTextAt(const QStaticText& text, QPointF twips) {
    if (!m_Painter.isActive()) return;
    const QPointF px(twips.x() / m_TwipsPerPixel, twips.y() / m_TwipsPerPixel);
    if (!std::isfinite(px.x()) || !std::isfinite(px.y())) return;
    if (px.x() > m_Pixels.width() || px.y() > m_Pixels.height() || px.x() < -1000 || px.y() < -1000) return;
    // Text is drawn in pixels: through the twips scale it would be 1/15 size.
    m_Painter.setWorldTransform(QTransform());
    if (m_LastFillDark) {
        m_Painter.setPen(m_TextOnDark);
    } else {
        // Black text on a light bowl: a one-pixel white rim keeps the part
        // that runs past a small disk readable on the black background.
        m_Painter.setPen(m_TextOnDark);
        for (const QPointF& rim : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            m_Painter.drawStaticText(px + rim, text);
        m_Painter.setPen(m_TextOnLight);
    }
    m_Painter.drawStaticText(px, text);
    m_Painter.setWorldTransform(m_Twips);
}

void SceneRenderer::DrawBowl(const CBowl& b) {
    const BowlStyle& style = StyleOf(b);
    m_LastFillDark = style.darkFill;
    const double x = b.x, y = b.y;
    if (m_Painter.isActive()) DrawDisk(m_Painter, x, y, b.r(), style.fill);
    m_Current = QPointF(x, y);

    if (FlgShowNumber) {
        DrawTextAt(style.number, m_Current);
        m_Current = QPointF(0, m_Current.y() + m_LineHeightTwips);
    }

    if (FlgShowVect) {
        try {
            // Momentum at one tenth scale; each offset rounded to a float.
            const float dx = ToSingle(static_cast<double>(b.M()) / 10.0 * static_cast<double>(b.Vx));
            const float dy = ToSingle(static_cast<double>(b.M()) / 10.0 * static_cast<double>(b.Vy));
            DrawSegment(x, y, x + dx, y + dy, m_Vector);
        } catch (const VintropError&) {
            // An offset beyond float range: this vector is skipped.
        }
        m_Current = QPointF(x, y);
    }
}

void SceneRenderer::DrawPairMomentum(const CBowl& b1, const CBowl& b2, bool beforeImpact) {
    if (!FlgShowVect) return;
    try {
        // Midpoint of the centres and the pair's momentum at one tenth scale,
        // worked out in double and rounded to floats as stored values are.
        const float mx = ToSingle((static_cast<double>(b1.x) + static_cast<double>(b2.x)) / 2.0);
        const float my = ToSingle((static_cast<double>(b1.y) + static_cast<double>(b2.y)) / 2.0);
        const float ox = ToSingle(static_cast<double>(b2.M()) / 10.0 * static_cast<double>(b2.Vx) +
                                  static_cast<double>(b1.M()) / 10.0 * static_cast<double>(b1.Vx));
        const float oy = ToSingle(static_cast<double>(b2.M()) / 10.0 * static_cast<double>(b2.Vy) +
                                  static_cast<double>(b1.M()) / 10.0 * static_cast<double>(b1.Vy));
        m_Pair.setColor(ColorOf(beforeImpact ? b1.Color : b2.Color));
        m_Pair.setStyle(beforeImpact ? Qt::DashLine : Qt::SolidLine);
        const double ex = static_cast<double>(mx) + ox, ey = static_cast<double>(my) + oy;
        DrawSegment(mx, my, ex, ey, m_Pair);
        m_Current = QPointF(ex, ey);
    } catch (const VintropError&) {
        // A sum beyond float range: no line for this pair.
    }
}

void SceneRenderer::PrintText(const QString& text) {
    m_Text.setText(text);
    DrawTextAt(m_Text, m_Current);
    m_Current = QPointF(0, m_Current.y() + m_LineHeightTwips);
}

QImage SceneRenderer::Snapshot() const { return m_Buffer.copy(); }

void SceneRenderer::CopyTo(QImage& picture) const {
    if (m_Buffer.isNull()) {
        picture = QImage();
        return;
    }
    if (picture.size() != m_Buffer.size() || picture.format() != m_Buffer.format() ||
        picture.bytesPerLine() != m_Buffer.bytesPerLine()) {
        picture = m_Buffer.copy();
        return;
    }
    std::memcpy(picture.bits(), m_Buffer.constBits(), static_cast<std::size_t>(m_Buffer.sizeInBytes()));
    picture.setDevicePixelRatio(m_Buffer.devicePixelRatio());
}

void SceneRenderer::DrawProvisionalCircle(QImage& picture, float x, float y, float r) const {
    if (picture.isNull()) return;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setWorldTransform(m_Twips);
    DrawDisk(painter, x, y, r, QBrush(Qt::white));
}

} // namespace vintrop
