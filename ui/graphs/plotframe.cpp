#include "plotframe.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vintrop {

namespace {

// A tick value as a label: few digits, no "-0".
QString TickText(double v, double step) {
    if (std::abs(v) < step * 1e-9) v = 0;
    return QString::number(v, 'g', 6);
}

} // namespace

std::vector<double> NiceTicks(AxisRange& range, int wanted) {
    if (!(range.hi > range.lo) || !std::isfinite(range.lo) || !std::isfinite(range.hi)) {
        const double mid = std::isfinite(range.lo) ? range.lo : 0;
        range = {mid - 1, mid + 1};
    }
    const double raw = (range.hi - range.lo) / std::max(wanted, 1);
    if (!std::isfinite(raw) || raw <= 0) return {range.lo, range.hi};
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= raw) break;
    }
    const double first = std::floor(range.lo / step);
    const double last = std::ceil(range.hi / step);
    if (!std::isfinite(first) || !std::isfinite(last) || !(last > first)) return {range.lo, range.hi};
    range = {first * step, last * step};
    std::vector<double> ticks;
    // A range of doubles far from zero can have steps below its resolution:
    // the count bounds the loop whatever the arithmetic does.
    const auto count = static_cast<int>(std::min(last - first, 50.0));
    for (int k = 0; k <= count; ++k) ticks.push_back((first + k) * step);
    return ticks;
}

PlotFrame::PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const QPainter& painter)
    : m_X(x), m_Y(y), m_Outer(outer) {
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    m_YTicks = NiceTicks(m_Y, 4);
    m_XTicks = NiceTicks(m_X, 6);
    // At least room for seven digits and a sign, so that plots stacked
    // above one another line up their t axes.
    double labelWidth = metrics.horizontalAdvance(QStringLiteral("-8888888"));
    for (double v : m_YTicks) labelWidth = std::max(labelWidth, metrics.horizontalAdvance(TickText(v, 1)));
    // Half the widest t label may stand out right of the area.
    double tailWidth = line * 0.8;
    for (double v : m_XTicks) tailWidth = std::max(tailWidth, metrics.horizontalAdvance(TickText(v, 1)) / 2 + 2);
    m_Area = outer.adjusted(labelWidth + line * 0.6, line * 1.4, -tailWidth, -line * 2.3);
    if (m_Area.width() < 1) m_Area.setWidth(1);
    if (m_Area.height() < 1) m_Area.setHeight(1);
}

double PlotFrame::X(double v) const {
    return m_Area.left() + (v - m_X.lo) / (m_X.hi - m_X.lo) * m_Area.width();
}

double PlotFrame::Y(double v) const {
    return m_Area.bottom() - (v - m_Y.lo) / (m_Y.hi - m_Y.lo) * m_Area.height();
}

void PlotFrame::DrawAxes(QPainter& painter, const QString& title, const QString& xCaption) const {
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    const double xStep = m_XTicks.size() > 1 ? m_XTicks[1] - m_XTicks[0] : 1;
    const double yStep = m_YTicks.size() > 1 ? m_YTicks[1] - m_YTicks[0] : 1;

    painter.setPen(QPen(QColor(225, 225, 225), 0));
    for (double v : m_XTicks) painter.drawLine(QPointF(X(v), m_Area.top()), QPointF(X(v), m_Area.bottom()));
    for (double v : m_YTicks) painter.drawLine(QPointF(m_Area.left(), Y(v)), QPointF(m_Area.right(), Y(v)));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(m_Area);

    for (double v : m_YTicks) {
        const QRectF box(m_Outer.left(), Y(v) - line / 2, m_Area.left() - m_Outer.left() - line * 0.3, line);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, TickText(v, yStep));
    }
    for (double v : m_XTicks) {
        const QRectF box(X(v) - line * 4, m_Area.bottom() + line * 0.15, line * 8, line);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, TickText(v, xStep));
    }
    painter.drawText(QRectF(m_Area.left(), m_Outer.top(), m_Area.width(), line * 1.3),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.drawText(QRectF(m_Area.left(), m_Area.bottom() + line * 1.1, m_Area.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop, xCaption);
}

} // namespace vintrop
