#include "conservationplots.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "conservationlog.h"
#include "envengine.h"
#include "guarded.h"
#include "plotframe.h"

namespace vintrop {

namespace {

const QColor kEnergyColor(170, 30, 30);
const QColor kXColor(20, 80, 200);
const QColor kYColor(0, 130, 60);

// The t axis: from the first point kept to the latest, at least 10 steps.
AxisRange TimeRange(const ConservationLog& log) {
    const double first = log.Spans().empty() ? 0 : log.Spans().front().firstT;
    return {first, std::max<double>(log.LatestT(), first + 10)};
}

// A symmetric range around zero holding every value, a tenth to spare.
AxisRange Symmetric(double largest) {
    if (!(largest > 0) || !std::isfinite(largest)) return {-1, 1};
    return {-largest * 1.1, largest * 1.1};
}

// One quantity of the time series: a line through the exact points and,
// where a span merges several steps, a bar from its minimum to its maximum.
template <typename Pick>
void DrawSeries(QPainter& painter, const PlotFrame& frame, const ConservationLog& log, const QColor& color, Pick pick) {
    const auto& spans = log.Spans();
    QColor envelope = color;
    envelope.setAlpha(90);
    painter.setPen(QPen(envelope, 0));
    for (const TotalsSpan& s : spans) {
        if (s.lastT == s.firstT) continue;
        const double x = frame.X((static_cast<double>(s.firstT) + s.lastT) / 2);
        painter.drawLine(QPointF(x, frame.Y(pick(s.min))), QPointF(x, frame.Y(pick(s.max))));
    }
    QPolygonF line;
    line.reserve(static_cast<int>(spans.size()) + 1);
    log.ForEachPoint([&](int32_t t, const Totals& v) { line << frame.At(t, pick(v)); });
    DrawThickLine(painter, std::move(line), color);   // for the back of a classroom
}

PlotFrame EnergyFrame(const ConservationLog& log, const QPainter& painter, const QRectF& place, double labelColumn) {
    // From zero up: a conserved energy is a flat line, not rounding noise
    // blown up to fill the plot.
    double top = log.Latest().energy;
    for (const TotalsSpan& s : log.Spans()) top = std::max(top, s.max.energy);
    return PlotFrame(
        place, TimeRange(log), {0, top > 0 ? top * 1.1 : 1},
        {QStringLiteral("Total kinetic energy"),
         QStringLiteral("      ") + ConservationPlots::EnergyChangeText(log)},
        {QStringLiteral("t"), QStringLiteral("      (velocities are 32-bit floats: relative changes near 10\u207b\u2077 are rounding)")},
        painter, labelColumn);
}

PlotFrame MomentumFrame(const ConservationLog& log, const QPainter& painter, const QRectF& place, double labelColumn) {
    double largest = std::max(std::abs(log.Latest().px), std::abs(log.Latest().py));
    for (const TotalsSpan& s : log.Spans())
        for (double v : {s.min.px, s.max.px, s.min.py, s.max.py}) largest = std::max(largest, std::abs(v));
    return PlotFrame(place, TimeRange(log), Symmetric(largest),
                     {QStringLiteral("Total momentum"), QStringLiteral(" (sum of m·v; changes only when a bowl hits a wall)")},
                     {QStringLiteral("t"), QString()}, painter, labelColumn);
}

void PaintEnergy(const ConservationLog& log, QPainter& painter, const PlotFrame& frame, std::vector<PlacedText>* placed) {
    frame.DrawAxes(painter, placed);
    painter.setClipRect(frame.Area());
    DrawSeries(painter, frame, log, kEnergyColor, [](const Totals& v) { return v.energy; });
    painter.setClipping(false);
}

void PaintMomentum(const ConservationLog& log, QPainter& painter, const PlotFrame& frame, std::vector<PlacedText>* placed) {
    frame.DrawAxes(painter, placed);
    painter.setClipRect(frame.Area());
    DrawSeries(painter, frame, log, kXColor, [](const Totals& v) { return v.px; });
    DrawSeries(painter, frame, log, kYColor, [](const Totals& v) { return v.py; });
    painter.setClipping(false);
    DrawLegend(painter, frame, {{kXColor, QStringLiteral("x")}, {kYColor, QStringLiteral("y")}}, placed);
}

// The collision plot's range, the same on both axes: every sum with a
// tenth to spare, and at least a twentieth of the largest momentum of a
// bowl that met another. Sums that are zero save for float rounding (equal
// and opposite momenta) then sit on the line as they should, instead of
// the plot zooming into their rounding.
AxisRange PairRange(const ConservationLog& log) {
    double largest = 0, bowls = 0;
    for (const CollisionMomentum& c : log.Collisions()) {
        for (double v : {c.beforeX, c.beforeY, c.afterX, c.afterY}) largest = std::max(largest, std::abs(v));
        bowls = std::max(bowls, c.bowlMomentum);
    }
    const double floor = bowls / 20;
    const AxisRange range = Symmetric(largest);
    return std::isfinite(floor) && range.hi < floor ? AxisRange{-floor, floor} : range;
}

PlotFrame PaintCollisions(const ConservationLog& log, QPainter& painter, const QRectF& place,
                          std::vector<PlacedText>* placed) {
    const PlotFrame frame = PlotFrame::Square(
        place, PairRange(log), {QStringLiteral("Pair momentum m1·v1 + m2·v2: after"), QString()},
        {QStringLiteral("before"), QStringLiteral("      (a point per collision, the latest %1)").arg(log.CollisionLimit())},
        painter);
    frame.DrawAxes(painter, placed);
    painter.setClipRect(frame.Area());
    // after = before, mapped as the points are.
    const AxisRange& r = frame.XRange();
    const double unit = LineUnit(painter);
    painter.setPen(QPen(Qt::darkGray, unit, Qt::DashLine));
    painter.drawLine(frame.At(r.lo, r.lo), frame.At(r.hi, r.hi));
    const double dot = 3 * unit;
    for (const CollisionMomentum& c : log.Collisions()) {
        painter.fillRect(QRectF(frame.X(c.beforeX) - dot / 2, frame.Y(c.afterX) - dot / 2, dot, dot), kXColor);
        painter.fillRect(QRectF(frame.X(c.beforeY) - dot / 2, frame.Y(c.afterY) - dot / 2, dot, dot), kYColor);
    }
    painter.setClipping(false);
    DrawLegend(painter, frame,
               {{kXColor, QStringLiteral("x")}, {kYColor, QStringLiteral("y")}, {Qt::darkGray, QStringLiteral("after = before")}},
               placed);
    return frame;
}

} // namespace

QString ConservationPlots::RelativeChangeText(const ConservationLog& log) {
    const auto change = log.RelativeEnergyChange();
    return change ? ChangeText(*change) : QStringLiteral("-");
}

QString ConservationPlots::EnergyChangeText(const ConservationLog& log) {
    if (log.Engine().Elasticity() >= CEnvEng::kFullyElastic)
        return QStringLiteral("relative change since t = 0: %1").arg(RelativeChangeText(log));
    // The energy can only fall: a positive fraction reads as what was lost,
    // where a negative change after "lost" would read as a gain.
    const auto change = log.RelativeEnergyChange();
    const QString lost = change ? ChangeText(*change == 0 ? 0.0 : -*change) : QStringLiteral("-");
    return QStringLiteral("kinetic energy lost since t = 0: %1").arg(lost);
}

QString ConservationPlots::ChangeText(double change) {
    if (change == 0 || !std::isfinite(change)) return QString::number(change);
    int exponent = static_cast<int>(std::floor(std::log10(std::abs(change))));
    if (exponent >= -3 && exponent < 3) return QString::number(change, 'g', 3);
    QString mantissa = QString::number(change / std::pow(10.0, exponent), 'f', 2);
    if (mantissa.endsWith(QLatin1String("10.00"))) {   // 9.996 rounds up to the next power
        ++exponent;
        mantissa = QString::number(change / std::pow(10.0, exponent), 'f', 2);
    }
    return mantissa + QLatin1Char(' ') + PowerOfTen(exponent);
}

ConservationPlots::ConservationPlots(const ConservationLog& log, QWidget* parent)
    : QWidget(parent), m_Log(log), m_Speeds(SpeedsOf(log.Engine())), m_SpeedsKey(KeyNow()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ConservationPlots::Paint(const ConservationLog& log, QPainter& painter, const QRectF& whole, PlotsLayout* layout,
                              const SpeedsView* speeds) {
    painter.fillRect(whole, Qt::white);
    const double gap = QFontMetricsF(painter.font(), painter.device()).height() * 0.8;
    // The speeds in a row of their own across the bottom, the whole width
    // for their bins; the other three above, laid out in what is left.
    const double speedsHeight = std::round(whole.height() * 0.34);
    const QRectF area(whole.left(), whole.top(), whole.width(), std::max(1.0, whole.height() - speedsHeight - gap));
    const QRectF speedsPlace(whole.left(), whole.bottom() - speedsHeight, whole.width(), speedsHeight);
    // The collision plot's data area is square, so that the line after =
    // before runs at 45 degrees: beside the two time plots in a wide place,
    // where it may take their height for its title and caption, below them
    // in a tall one.
    QRectF series, collisions;
    if (area.width() >= area.height()) {
        const double side = std::min(area.height(), area.width() * 0.42);
        series = QRectF(area.left(), area.top(), area.width() - side - gap, area.height());
        collisions = QRectF(series.right() + gap, area.top(), side, area.height());
    } else {
        const double side = std::min(area.width(), area.height() * 0.42);
        series = QRectF(area.left(), area.top(), area.width(), area.height() - side - gap);
        collisions = QRectF(area.left() + (area.width() - side) / 2, series.bottom() + gap, side, side);
    }
    const double half = (series.height() - gap) / 2;
    std::vector<PlacedText>* placed = layout ? &layout->texts : nullptr;
    // The two time plots, one above the other, line up their t axes: both
    // take the wider column of y labels.
    const QRectF energy(series.left(), series.top(), series.width(), half);
    const QRectF momentum(series.left(), series.top() + half + gap, series.width(), half);
    const double column = std::max(EnergyFrame(log, painter, energy, 0).LabelColumn(),
                                   MomentumFrame(log, painter, momentum, 0).LabelColumn());
    PaintEnergy(log, painter, EnergyFrame(log, painter, energy, column), placed);
    PaintMomentum(log, painter, MomentumFrame(log, painter, momentum, column), placed);
    const PlotFrame pairs = PaintCollisions(log, painter, collisions, placed);
    const PlotFrame speedsFrame = speeds ? PaintSpeeds(*speeds, painter, speedsPlace, placed)
                                         : PaintSpeeds(SpeedsOf(log.Engine()), painter, speedsPlace, placed);
    if (layout) {
        layout->pairs = pairs;
        layout->speeds = speedsFrame;
    }
}

ConservationPlots::SpeedsKey ConservationPlots::KeyNow() const {
    return {m_Log.Revision(), m_Log.Engine().t, m_Log.Engine().BowlCount()};
}

bool ConservationPlots::SpeedsStale() const { return !(KeyNow() == m_SpeedsKey); }

bool ConservationPlots::FollowSpeeds() {
    if (!SpeedsStale()) return false;
    m_Speeds = SpeedsOf(m_Log.Engine());
    m_SpeedsKey = KeyNow();
    return true;
}

QImage ConservationPlots::Render(QSize size, qreal pixelRatio) const {
    QImage image(size * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    // As on screen: crisp lines, smooth text.
    painter.setRenderHint(QPainter::TextAntialiasing);
    Paint(m_Log, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void ConservationPlots::paintEvent(QPaintEvent*) {
    Guarded(
        this,
        [this] {
            QPainter painter(this);
            Paint(m_Log, painter, rect(), nullptr, &m_Speeds);
        },
        Report::Later);
}

} // namespace vintrop
