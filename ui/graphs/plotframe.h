#pragma once
// One plot's frame: the rectangle data is drawn in, the value ranges of its
// two axes, and the grid, tick labels and captions around it. Maps values
// to the painter's coordinates.
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

class QPainter;

namespace vintrop {

struct AxisRange {
    double lo = 0;
    double hi = 1;
};

// Round tick values (1, 2 or 5 times a power of ten) from lo to hi, about
// `wanted` of them; the range is widened to the outer ticks.
std::vector<double> NiceTicks(AxisRange& range, int wanted);

class PlotFrame {
public:
    // `outer` is the plot's whole place; the data area is what is left
    // inside the captions and tick labels.
    PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const QPainter& painter);

    const QRectF& Area() const { return m_Area; }
    double X(double v) const;
    double Y(double v) const;
    QPointF At(double x, double y) const { return {X(x), Y(y)}; }

    // Grid, ticks and tick labels; `title` above, `xCaption` below.
    void DrawAxes(QPainter& painter, const QString& title, const QString& xCaption) const;

private:
    QRectF m_Area;
    AxisRange m_X, m_Y;
    std::vector<double> m_XTicks, m_YTicks;
    QRectF m_Outer;
};

} // namespace vintrop
