#pragma once
// One plot's frame: the rectangle data is drawn in, the value ranges of its
// two axes, and the grid, tick labels, title and caption around it. Maps
// values to the painter's coordinates.
#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <utility>
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

// "×10⁹", "×10⁻⁶": a power of ten as a class reads it.
QString PowerOfTen(int exponent);

// Tick values as a class reads them: digits grouped in thousands as the
// locale groups them, as many decimals as the step needs, never an exponent.
// Values of a billion or more, or steps under a thousandth, are shown
// divided by a power of ten, which `scale` names once ("×10⁹").
struct TickLabels {
    std::vector<QString> texts;   // one per tick
    QString scale;                // empty when the texts are the values
};
TickLabels LabelTicks(const std::vector<double>& ticks);

// A text a plot drew: the room it was given and the flags it was drawn
// with, so that a test can measure it with the font used.
struct PlacedText {
    QRectF place;
    int flags = 0;
    QString text;
};

// What a title or caption says: the quantity, then a note after it. An
// axis shown divided by a power of ten gets it between them: "t (×10⁹)".
struct AxisText {
    QString name;
    QString note;
};

class PlotFrame {
public:
    // `outer` is the plot's whole place; the data area is what is left
    // inside the title above, the tick labels and the caption below. The
    // y tick labels' column is at least `labelColumn` wide.
    PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const AxisText& title, const AxisText& xCaption,
              const QPainter& painter, double labelColumn = 0);
    // One range and the same ticks on both axes, and a square data area:
    // the line y = x runs from corner to corner at 45 degrees.
    static PlotFrame Square(const QRectF& outer, AxisRange both, const AxisText& title, const AxisText& xCaption,
                            const QPainter& painter);

    const QRectF& Area() const { return m_Area; }
    double LabelColumn() const { return m_LabelWidth; }
    const AxisRange& XRange() const { return m_X.range; }
    const AxisRange& YRange() const { return m_Y.range; }
    double X(double v) const;
    double Y(double v) const;
    QPointF At(double x, double y) const { return {X(x), Y(y)}; }

    // Grid, tick labels, title and caption; each text drawn is added to
    // `placed` when there is one.
    void DrawAxes(QPainter& painter, std::vector<PlacedText>* placed = nullptr) const;

private:
    struct Axis {
        AxisRange range;
        std::vector<double> ticks;
        TickLabels labels;
        std::size_t every = 1;   // every how many ticks one is labelled
        std::size_t first = 0;   // the first labelled tick
    };

    PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const AxisText& title, const AxisText& xCaption,
              const QPainter& painter, double labelColumn, bool square);
    bool Labelled(const Axis& axis, std::size_t k) const { return k % axis.every == axis.first % axis.every; }

    QRectF m_Outer, m_Area;
    Axis m_X, m_Y;
    QString m_Title, m_Caption;
    QRectF m_TitlePlace, m_CaptionPlace;
    double m_LabelWidth = 0;   // the y tick labels' column
};

// Lines and points grow with the text, so that they read at the same
// distance: one unit at the designed text size, a whole number more as the
// text grows (two at twice the size).
double LineUnit(const QPainter& painter);
// A data line two device pixels thick, more as the text grows (LineUnit):
// the same hairline again, a device pixel lower each time, which costs a
// fraction of a wide pen's outline and joins.
void DrawThickLine(QPainter& painter, QPolygonF line, const QColor& color);

// Key entries in a corner of the plot's data area (the top left or the top
// right), on white so that no data line runs through the text: a swatch of
// each entry's colour, none for an invalid colour, then its text. Draws
// nothing and answers false in a plot too small to hold them.
using LegendEntries = std::vector<std::pair<QColor, QString>>;
bool DrawLegend(QPainter& painter, const PlotFrame& frame, const LegendEntries& entries,
                std::vector<PlacedText>* placed, Qt::Corner corner = Qt::TopLeftCorner);

} // namespace vintrop
