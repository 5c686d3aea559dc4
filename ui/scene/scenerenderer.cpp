#include "scenerenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "appstate.h"
#include "displaysettings.h"
#include "bowl.h"
#include "numeric.h"
#include "pairmarklist.h"
#include "pathstore.h"
#include "totals.h"
#include "vintroperror.h"

namespace vintrop {

namespace {
// Lines are cut to the picture plus this margin (the painter's units: device
// pixels in a frame, logical pixels over a screen) before they reach the
// rasteriser, so that huge coordinates never do.
constexpr double kLineMargin = 64.0;
// Disks centred farther out than this (device pixels), or larger, are not
// drawn: no bowl a teacher can enter comes near it.
constexpr double kFarAway = 1.0e7;
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kCyan = 0xFFFF00;   // red + 256 green + 65536 blue
// The centre of mass, its momentum and its path: a colour no classroom
// colour and no other line of the scene has.
constexpr int32_t kMagenta = 0xFF00FF;
// Velocity arrows are as long as the distance a bowl covers in this many
// steps, as the main window's grip arrow is.
constexpr double kVelocitySteps = 10;
constexpr int kNumberCache = 4096;
// Paths are drawn in bands of rows of about this many bytes.
constexpr qsizetype kPathBandBytes = 256 * 1024;

// The momentum lines' scale: 1, 10 or 100 as chosen; anything else draws
// them as at 1.
double VectorScaleFactor() {
    // Any other value (none is offered) draws at the plain scale.
    const int16_t chosen = Settings().VectorScale();
    const auto* end = std::end(kVectorScales);
    return std::find(std::begin(kVectorScales), end, chosen) != end ? chosen : 1.0;
}

QRgb RgbOf(int32_t color) {
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

bool IsDark(int32_t color) {
    // Perceived brightness on 0..255: dark fills get white numbers.
    const int brightness = (299 * (color & 0xFF) + 587 * ((color >> 8) & 0xFF) + 114 * ((color >> 16) & 0xFF)) / 1000;
    return brightness < 128;
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

// An RGB32 picture's pixels, taken once for many lines.
struct Pixels {
    QRgb* bits;
    qsizetype stride;   // pixels per row
    int w, h;
    explicit Pixels(QImage& picture)
        : bits(reinterpret_cast<QRgb*>(picture.bits())),
          stride(picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
          w(picture.width()),
          h(picture.height()) {}
};

// The part of a line between two device pixels that falls on the picture's
// rows top..end - 1, each pixel of it a width x width square set straight in
// the picture, the line cut to those rows first. Paths of hundreds of points
// per bowl cost a few pixel writes a point this way; through QPainter they
// cost several times the whole frame.
void PlotLine(const Pixels& picture, QPoint a, QPoint b, QRgb color, int width, int top, int end) {
    const int w = picture.w, half = width / 2;
    top = std::max(top, 0);
    end = std::min(end, picture.h);
    const auto inside = [&](QPoint p) { return p.x() >= 0 && p.y() >= top && p.x() < w && p.y() < end; };
    if (!inside(a) || !inside(b)) {
        double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y(), t0 = 0;
        if (!ClipSegment(QRectF(-width, top - width, w + 2.0 * width, end - top + 2.0 * width), x1, y1, x2, y2, t0))
            return;
        a = QPoint(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)));
        b = QPoint(static_cast<int>(std::lround(x2)), static_cast<int>(std::lround(y2)));
    }
    // Along the longer axis one pixel a step, the other coordinate in 16.16
    // fixed point from the pixel's middle: no branch to mispredict per pixel,
    // as Bresenham's has.
    const int dx = b.x() - a.x(), dy = b.y() - a.y(), n = std::max(std::abs(dx), std::abs(dy));
    // (Scaled by multiplying: a point left of or above the picture is
    // negative, and shifting a negative number left is undefined.)
    constexpr int64_t kOne = 1 << 16;
    int64_t fx = int64_t{a.x()} * kOne + kOne / 2, fy = int64_t{a.y()} * kOne + kOne / 2;
    const int64_t stepX = n ? int64_t{dx} * kOne / n : 0, stepY = n ? int64_t{dy} * kOne / n : 0;
    QRgb* const bits = picture.bits;
    const qsizetype stride = picture.stride;
    for (int i = 0; i <= n; ++i, fx += stepX, fy += stepY) {
        const int x = static_cast<int>(fx >> 16), y = static_cast<int>(fy >> 16);
        if (width == 1) {
            if (x >= 0 && x < w && y >= top && y < end) bits[y * stride + x] = color;
            continue;
        }
        for (int py = std::max(top, y - half); py < std::min(end, y - half + width); ++py) {
            QRgb* row = bits + py * stride;
            for (int px = std::max(0, x - half); px < std::min(w, x - half + width); ++px) row[px] = color;
        }
    }
}
} // namespace

SceneRenderer::SceneRenderer() { m_Scratch.setTextFormat(Qt::PlainText); }

void SceneRenderer::Resize(QSize pixels, qreal devicePixelRatio, double twipsPerPixel, int lineWidth) {
    pixels = pixels.expandedTo(QSize(0, 0));
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1.0;
    if (!(twipsPerPixel > 0)) twipsPerPixel = 15.0;
    if (twipsPerPixel != m_TwipsPerPixel || m_LineHeightTwips == 0) {
        m_DotsPerMeter = qRound(1440.0 / twipsPerPixel / 0.0254);
        m_Numbers.clear();   // laid out for the old resolution
        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(m_DotsPerMeter);
        probe.setDotsPerMeterY(m_DotsPerMeter);
        m_LineHeightTwips = QFontMetricsF(m_Font, &probe).height() * twipsPerPixel;
    }
    m_Pixels = pixels;
    m_Ratio = devicePixelRatio;
    m_TwipsPerPixel = twipsPerPixel;
    m_LineWidth = std::max(1, lineWidth);
    m_Device = QSize(qRound(pixels.width() * devicePixelRatio), qRound(pixels.height() * devicePixelRatio));
    StampGeometry(m_Recording);
    Clear();
}

double SceneRenderer::InnerWidthTwips() const { return m_Pixels.width() * m_TwipsPerPixel; }

double SceneRenderer::InnerHeightTwips() const { return m_Pixels.height() * m_TwipsPerPixel; }

QColor SceneRenderer::ColorOf(int32_t color) { return QColor::fromRgb(RgbOf(color)); }

QColor SceneRenderer::TextColorOn(int32_t color) { return IsDark(color) ? QColor(Qt::white) : QColor(Qt::black); }

// ---------------------------------------------------------------- recording

void SceneRenderer::Clear() {
    m_Recording.clear();
    m_Current = QPointF(0, 0);
}

void SceneRenderer::RecordSegment(double x1, double y1, double x2, double y2, int32_t color, ArrowHead head) {
    if (x1 == x2 && y1 == y2) return;   // no length, nothing to see
    Record({SceneFrame::Kind::Line, head, false, color, 0, x1, y1, x2, y2});
}

void SceneRenderer::DrawBowl(const CBowl& b) {
    const double x = b.x, y = b.y;
    m_LastFillDark = IsDark(b.Color);
    Record({SceneFrame::Kind::Disk, ArrowHead::None, false, b.Color, 0, x, y, b.r(), 0});
    m_Current = QPointF(x, y);

    if (FlgShowNumber) {
        Record({SceneFrame::Kind::Number, ArrowHead::None, m_LastFillDark, 0, b.Id, x, y, 0, 0});
        m_Current = QPointF(0, y + m_LineHeightTwips);
    }

    if (FlgShowVect) {
        // An offset beyond float range: this vector is skipped.
        float dx = 0, dy = 0;
        if (BowlMomentumOffset(b, VectorScaleFactor(), dx, dy))
            RecordSegment(x, y, x + dx, y + dy, kWhite, ArrowHead::Filled);
        m_Current = QPointF(x, y);
    }

    if (Settings().ShowVelocity()) {
        try {
            // Where the bowl will be in ten steps, offsets rounded to floats.
            const float dx = ToSingle(kVelocitySteps * static_cast<double>(b.Vx));
            const float dy = ToSingle(kVelocitySteps * static_cast<double>(b.Vy));
            RecordSegment(x, y, x + dx, y + dy, kCyan, ArrowHead::Open);
        } catch (const VintropError&) {
            // Beyond float range: no arrow.
        }
        m_Current = QPointF(x, y);
    }
}

void SceneRenderer::DrawCentreOfMass(const CentreOfMass& centre) {
    if (!centre.valid) return;
    Record({SceneFrame::Kind::Cross, ArrowHead::None, false, kMagenta, 0, centre.x, centre.y, 0, 0});
    try {
        // The total momentum (the mass times the centre's velocity) as a
        // bowl's momentum is drawn, each offset rounded to a float.
        const double k = VectorScaleFactor();
        const float dx = ToSingle(centre.mass / 10.0 * centre.vx * k);
        const float dy = ToSingle(centre.mass / 10.0 * centre.vy * k);
        RecordSegment(centre.x, centre.y, centre.x + dx, centre.y + dy, kMagenta, ArrowHead::Filled);
    } catch (const VintropError&) {
        // Beyond float range: the cross alone.
    }
}

void SceneRenderer::DrawPaths(const PathStore& paths, int32_t upToT, bool withCentre) {
    m_Recording.paths = &paths;
    m_Recording.pathsUpTo = upToT;
    m_Recording.centrePath = withCentre;
}

bool SceneRenderer::PairMomentumLine(const CBowl& b1, const CBowl& b2, QPointF& from, QPointF& to) {
    MomentumLine line;
    if (!vintrop::PairMomentumLine(b1, b2, VectorScaleFactor(), line)) return false;
    from = QPointF(line.fromX, line.fromY);
    to = QPointF(line.toX, line.toY);
    return true;
}

double SceneRenderer::VectorScaleOf() { return VectorScaleFactor(); }

void SceneRenderer::PrintText(const QString& text) {
    m_Recording.texts.push_back(text);
    Record({SceneFrame::Kind::Text, ArrowHead::None, m_LastFillDark, 0,
            static_cast<int32_t>(m_Recording.texts.size() - 1), m_Current.x(), m_Current.y(), 0, 0});
    m_Current = QPointF(0, m_Current.y() + m_LineHeightTwips);
}

void SceneRenderer::StampGeometry(SceneFrame& frame) const {
    frame.device = m_Device;
    frame.ratio = m_Ratio;
    frame.twipsPerPixel = m_TwipsPerPixel;
    frame.lineWidth = m_LineWidth;
    frame.dotsPerMeter = m_DotsPerMeter;
}

void SceneRenderer::TakeFrame(SceneFrame& frame) {
    frame.ops.swap(m_Recording.ops);
    frame.texts.swap(m_Recording.texts);
    frame.paths = m_Recording.paths;
    frame.pathsUpTo = m_Recording.pathsUpTo;
    frame.centrePath = m_Recording.centrePath;
    StampGeometry(frame);
    m_Recording.clear();
}

// -------------------------------------------------------------- rasterising

void SceneRenderer::Rasterise(const SceneFrame& frame, QImage& picture) const {
    if (frame.device.isEmpty()) {
        picture = QImage();
        return;
    }
    if (picture.size() != frame.device || picture.format() != QImage::Format_RGB32)
        picture = QImage(frame.device, QImage::Format_RGB32);
    // Painted in device pixels; the ratio is set once the frame is done.
    const double scale = frame.ratio / frame.twipsPerPixel;   // device pixels per twip
    m_Sprites.BeginFrame(scale);
    picture.setDevicePixelRatio(1.0);
    picture.setDotsPerMeterX(frame.dotsPerMeter);
    picture.setDotsPerMeterY(frame.dotsPerMeter);
    picture.fill(Qt::black);
    if (!frame.ops.empty() || frame.paths) {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.setFont(m_Font);
        if (frame.paths) PaintPaths(picture, frame);
        for (const SceneFrame::Op& op : frame.ops) {
            switch (op.kind) {
            case SceneFrame::Kind::Disk:
                PaintDisk(painter, picture, scale, op.x1, op.y1, op.x2, RgbOf(op.color));
                break;
            case SceneFrame::Kind::Line: PaintSegment(painter, frame, op); break;
            case SceneFrame::Kind::Number: PaintText(painter, frame, NumberText(op.value), op); break;
            case SceneFrame::Kind::Text:
                m_Scratch.setText(frame.texts[static_cast<std::size_t>(op.value)]);
                PaintText(painter, frame, m_Scratch, op);
                break;
            case SceneFrame::Kind::Cross: PaintCross(painter, frame, op); break;
            }
        }
    }
    picture.setDevicePixelRatio(frame.ratio);
}

void SceneRenderer::PaintDisk(QPainter& painter, QImage& image, double scale, double x, double y, double r,
                              QRgb fill) const {
    const double cx = x * scale, cy = y * scale, radius = r * scale;
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(radius)) return;
    if (std::fabs(cx) > kFarAway || std::fabs(cy) > kFarAway || radius > kFarAway) return;
    if (cx + radius < -2.0 || cx - radius > image.width() + 2.0 || cy + radius < -2.0 ||
        cy - radius > image.height() + 2.0)
        return;
    // Centred on a device pixel, so that every disk of one radius covers the
    // same pixels and its mask can be reused.
    const int px = static_cast<int>(std::lround(cx)), py = static_cast<int>(std::lround(cy));
    if (m_UseMasks && m_Sprites.Draw(image, px, py, radius, fill)) return;
    painter.setWorldTransform(QTransform());
    DiskSprites::DrawDirect(painter, px, py, radius, fill);
}

void SceneRenderer::PaintSegment(QPainter& painter, const SceneFrame& frame, const SceneFrame::Op& op) const {
    const double s = frame.ratio / frame.twipsPerPixel;   // device pixels per twip
    ArrowStyle style;
    style.color = ColorOf(op.color);
    style.unit = frame.ratio;
    // Whole device pixels, so that lines stay sharp without antialiasing.
    style.width = std::max(1.0, std::round(frame.lineWidth * frame.ratio));
    style.head = op.head;
    // A velocity arrow is rimmed in black so that it shows on a disk of its
    // own colour; momentum vectors keep their plain white line.
    if (op.head == ArrowHead::Open) style.rim = Qt::black;
    painter.setWorldTransform(QTransform());
    PaintArrow(painter, QPointF(op.x1 * s, op.y1 * s), QPointF(op.x2 * s, op.y2 * s), style,
               QRectF(QPointF(0, 0), QSizeF(frame.device)));
}

void SceneRenderer::PaintCross(QPainter& painter, const SceneFrame& frame, const SceneFrame::Op& op) const {
    const double s = frame.ratio / frame.twipsPerPixel;   // device pixels per twip
    const QPointF c(op.x1 * s, op.y1 * s);
    const QRectF picture(QPointF(0, 0), QSizeF(frame.device));
    // As wide as the momentum lines, its arms half as long again as their
    // heads (12 pixels at actual size), so that it stands out from its path.
    const double width = std::max(1.0, std::round(frame.lineWidth * frame.ratio));
    const double arm = 6.0 * (frame.ratio + width);
    if (!std::isfinite(c.x()) || !std::isfinite(c.y()) || !picture.adjusted(-arm, -arm, arm, arm).contains(c)) return;
    painter.setWorldTransform(QTransform());
    const QLineF lines[2] = {QLineF(c.x() - arm, c.y(), c.x() + arm, c.y()), QLineF(c.x(), c.y() - arm, c.x(), c.y() + arm)};
    // A black rim one logical pixel wide keeps it visible on a disk of any colour.
    painter.setPen(QPen(Qt::black, width + 2 * frame.ratio, Qt::SolidLine, Qt::SquareCap));
    painter.drawLines(lines, 2);
    painter.setPen(QPen(ColorOf(op.color), width, Qt::SolidLine, Qt::SquareCap));
    painter.drawLines(lines, 2);
}

void SceneRenderer::PaintPaths(QImage& picture, const SceneFrame& frame) const {
    const PathStore& paths = *frame.paths;
    int last = paths.Points() - 1;   // the newest point at the frame's step or before
    while (last >= 0 && paths.StepAt(last) > frame.pathsUpTo) --last;
    if (last < 1) return;
    const double s = frame.ratio / frame.twipsPerPixel;   // device pixels per twip
    const int width = std::max(1, static_cast<int>(std::lround(frame.ratio)));   // one logical pixel
    std::vector<QPointF>& line = m_PathScratch;
    std::vector<PathSegment>& segments = m_PathSegments;
    segments.clear();
    const Pixels pixels(picture);
    const int capacity = paths.Capacity();
    const auto paint = [&](int path, QRgb color) {
        line.clear();
        const auto flush = [&] {
            // On the device pixel nearest, as a disk's centre is (rounded by
            // truncating a positive number: std::floor is a call on the
            // baseline instruction set).
            const auto pixel = [](QPointF p) {
                return QPoint(static_cast<int>(p.x() + 0.5 + kFarAway) - static_cast<int>(kFarAway),
                              static_cast<int>(p.y() + 0.5 + kFarAway) - static_cast<int>(kFarAway));
            };
            for (std::size_t k = 1; k < line.size(); ++k) segments.push_back({pixel(line[k - 1]), pixel(line[k]), color});
            line.clear();
        };
        const PathStore::Point* ring = paths.Ring(path);
        for (int k = 0, slot = paths.OldestSlot(); k <= last; ++k, slot = slot + 1 == capacity ? 0 : slot + 1) {
            const PathStore::Point p = ring[slot];
            const double x = static_cast<double>(p.x) * s, y = static_cast<double>(p.y) * s;
            // No centre (a massless scene) or a point no picture reaches
            // breaks the line.
            if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kFarAway || std::fabs(y) > kFarAway) {
                flush();
                continue;
            }
            // A point within the pixel of the last one kept adds nothing.
            const QPointF d(x, y);
            if (!line.empty() && std::fabs(x - line.back().x()) < 0.5 && std::fabs(y - line.back().y()) < 0.5) continue;
            // Between collisions a bowl moves straight on: while the point
            // the line would bend at lies within half a pixel of the straight
            // line to the new one, the new one takes its place. Paths are
            // then drawn as a few long lines, not hundreds of short ones.
            const std::size_t n = line.size();
            if (n >= 2) {
                const QPointF a = line[n - 2], bend = line[n - 1] - a, to = d - a;
                const double cross = bend.x() * to.y() - bend.y() * to.x();
                const double along = bend.x() * to.x() + bend.y() * to.y();
                if (along > 0 && 4 * cross * cross <= QPointF::dotProduct(to, to)) {
                    line[n - 1] = d;
                    continue;
                }
            }
            line.push_back(d);
        }
        flush();
    };
    for (int i = 1; i < paths.PathCount(); ++i) paint(i, RgbOf(paths.Color(i)));
    if (frame.centrePath) paint(0, RgbOf(kMagenta));

    // Drawn a band of rows at a time, each band small enough to stay in the
    // processor's cache while every line crossing it is drawn: a path's
    // pixels lie on a new row at almost every step, and a whole picture's
    // rows do not fit.
    const int band = std::max(8, static_cast<int>(kPathBandBytes / std::max<qsizetype>(1, picture.bytesPerLine())));
    const int bands = (pixels.h + band - 1) / band;
    if (m_PathBands.size() < static_cast<std::size_t>(bands)) m_PathBands.resize(static_cast<std::size_t>(bands));
    for (auto& list : m_PathBands) list.clear();
    // Each segment listed, in drawing order, under every band it crosses.
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const PathSegment& seg = segments[k];
        const int y0 = std::max(0, std::min(seg.a.y(), seg.b.y()) - width);
        const int y1 = std::min(pixels.h - 1, std::max(seg.a.y(), seg.b.y()) + width);
        for (int b = y0 / band; b <= y1 / band && b < bands; ++b) m_PathBands[static_cast<std::size_t>(b)].push_back(k);
    }
    for (int b = 0; b < bands; ++b)
        for (std::size_t k : m_PathBands[static_cast<std::size_t>(b)])
            PlotLine(pixels, segments[k].a, segments[k].b, segments[k].color, width, b * band, (b + 1) * band);
}

void SceneRenderer::PaintArrow(QPainter& painter, QPointF from, QPointF to, const ArrowStyle& style,
                               const QRectF& clip) {
    if (!std::isfinite(from.x()) || !std::isfinite(from.y()) || !std::isfinite(to.x()) || !std::isfinite(to.y()))
        return;
    const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
    if (!(length > 0) || !std::isfinite(length)) return;
    const QPointF along = (to - from) / length, across(-along.y(), along.x());
    // The head grows with the line, and is never longer than the line.
    const double headLength = std::min(length, 4.0 * (style.unit + style.width));
    const QPointF base = to - headLength * along, wing = 0.45 * headLength * across;
    const QPointF head[3] = {base + wing, to, base - wing};
    // A wide line stops inside a filled head, which would otherwise show its
    // corners beside the point; a thin one is drawn whole, as without a head.
    const bool wide = style.width > 1;
    QPointF end = to;
    if (wide && style.head == ArrowHead::Filled) end = to - std::min(headLength, 1.2 * style.width) * along;

    // Lines near the picture are drawn whole; a line reaching far outside is
    // cut to the picture plus a margin first.
    const QRectF box = clip.adjusted(-kLineMargin, -kLineMargin, kLineMargin, kLineMargin);
    QPointF a = from, b = end;
    double t0 = 0.0;
    bool shaft = true;
    if (!box.contains(a) || !box.contains(b)) {
        double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
        shaft = ClipSegment(box, x1, y1, x2, y2, t0);
        a = QPointF(x1, y1);
        b = QPointF(x2, y2);
    }
    const bool tip = style.head != ArrowHead::None && box.contains(to);
    const Qt::PenCapStyle cap = wide ? Qt::FlatCap : Qt::SquareCap;

    const auto stroke = [&](const QColor& color, double grow, bool rim) {
        QPen pen(color, style.width + grow, style.dashed && !rim ? Qt::DashLine : Qt::SolidLine,
                 rim ? Qt::SquareCap : cap, Qt::RoundJoin);
        // The dash pattern, counted in pen widths, continues from where the
        // whole line starts.
        if (style.dashed && !rim) pen.setDashOffset(t0 * QLineF(from, end).length() / pen.widthF());
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (shaft) painter.drawLine(a, b);
        if (!tip) return;
        if (style.head == ArrowHead::Open) {
            pen.setStyle(Qt::SolidLine);
            painter.setPen(pen);
            painter.drawPolyline(head, 3);
        } else {
            painter.setPen(rim ? QPen(color, grow, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin) : QPen(Qt::NoPen));
            painter.setBrush(color);
            painter.drawPolygon(head, 3);
        }
    };
    if (style.rim.isValid()) stroke(style.rim, 2 * style.unit, true);
    stroke(style.color, 0, false);
}

void SceneRenderer::PaintText(QPainter& painter, const SceneFrame& frame, const QStaticText& text,
                              const SceneFrame::Op& op) const {
    // Text is placed in logical pixels and scaled to device pixels, so it has
    // the screen's size whatever the twips scale.
    const QPointF px(op.x1 / frame.twipsPerPixel, op.y1 / frame.twipsPerPixel);
    if (!std::isfinite(px.x()) || !std::isfinite(px.y())) return;
    if (px.x() * frame.ratio > frame.device.width() || px.y() * frame.ratio > frame.device.height() ||
        px.x() < -1000 || px.y() < -1000)
        return;
    painter.setWorldTransform(QTransform::fromScale(frame.ratio, frame.ratio));
    painter.setPen(Qt::white);
    if (!op.darkFill) {
        // Black text on a light bowl: a one-pixel white rim keeps the part
        // that runs past a small disk readable on the black background.
        for (const QPointF& rim : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawStaticText(px + rim, text);
        painter.setPen(Qt::black);
    }
    painter.drawStaticText(px, text);
}

const QStaticText& SceneRenderer::NumberText(int value) const {
    if (value < 0 || value >= kNumberCache) {
        m_Scratch.setText(QString::number(value));
        return m_Scratch;
    }
    if (static_cast<std::size_t>(value) >= m_Numbers.size()) m_Numbers.resize(static_cast<std::size_t>(value) + 1);
    QStaticText& text = m_Numbers[static_cast<std::size_t>(value)];
    if (text.text().isEmpty()) {
        text.setTextFormat(Qt::PlainText);
        text.setText(QString::number(value));
    }
    return text;
}

QImage SceneRenderer::Snapshot() const {
    QImage picture;
    CopyTo(picture);
    return picture;
}

void SceneRenderer::CopyTo(QImage& picture) const { Rasterise(m_Recording, picture); }

void SceneRenderer::DrawProvisionalCircle(QImage& picture, float x, float y, float r) const {
    if (picture.isNull()) return;
    const qreal ratio = picture.devicePixelRatio();
    picture.setDevicePixelRatio(1.0);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        PaintDisk(painter, picture, m_Ratio / m_TwipsPerPixel, x, y, r, qRgb(255, 255, 255));
    }
    picture.setDevicePixelRatio(ratio);
}

} // namespace vintrop
