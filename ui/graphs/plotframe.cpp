#include "plotframe.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vintrop {

namespace {

constexpr int kTitleFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
constexpr int kCaptionFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

QString WithScale(const AxisText& text, const QString& scale) {
    return scale.isEmpty() ? text.name + text.note : text.name + QStringLiteral(" (") + scale + QLatin1Char(')') + text.note;
}

} // namespace

QString PowerOfTen(int exponent) {
    static const char16_t kDigits[] = u"\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079";
    QString text = QStringLiteral("\u00d710");
    if (exponent < 0) text += QChar(0x207b);
    for (const QChar c : QString::number(std::abs(exponent))) text += QChar(kDigits[c.digitValue()]);
    return text;
}

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

TickLabels LabelTicks(const std::vector<double>& ticks) {
    TickLabels out;
    if (ticks.empty()) return out;
    const double step = ticks.size() > 1 ? std::abs(ticks[1] - ticks[0]) : 0;
    double largest = 0;
    for (double v : ticks) largest = std::max(largest, std::abs(v));
    // Beyond a billion the digits are too many to take in; below a
    // thousandth the zeros are. Powers of three keep the labels in
    // thousands, millions and so on.
    int exponent = 0;
    if (std::isfinite(largest) && largest > 0 && (largest >= 1e9 || (step > 0 && step < 1e-3)))
        exponent = 3 * static_cast<int>(std::floor(std::log10(largest) / 3));
    const double unit = std::pow(10.0, exponent);
    const double unitStep = step / unit;
    // The fewest decimals that tell every tick apart from what the
    // arithmetic of its value left behind (0.30000000000000004 is 0.3).
    int decimals = 0;
    const auto exact = [&](int d) {
        const double p = std::pow(10.0, d);
        for (double v : ticks)
            if (std::abs(std::round(v / unit * p) / p - v / unit) > unitStep * 1e-6) return false;
        return true;
    };
    while (decimals < 12 && unitStep > 0 && !exact(decimals)) ++decimals;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    for (double v : ticks) {
        double shown = v / unit;
        if (std::abs(shown) < 0.5 * std::pow(10.0, -decimals)) shown = 0;   // no "-0"
        out.texts.push_back(locale.toString(shown, 'f', decimals));
    }
    if (exponent != 0) out.scale = PowerOfTen(exponent);
    return out;
}

PlotFrame::PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const AxisText& title, const AxisText& xCaption,
                     const QPainter& painter, double labelColumn)
    : PlotFrame(outer, x, y, title, xCaption, painter, labelColumn, false) {}

PlotFrame PlotFrame::Square(const QRectF& outer, AxisRange both, const AxisText& title, const AxisText& xCaption,
                            const QPainter& painter) {
    return PlotFrame(outer, both, both, title, xCaption, painter, 0, true);
}

PlotFrame::PlotFrame(const QRectF& outer, AxisRange x, AxisRange y, const AxisText& title, const AxisText& xCaption,
                     const QPainter& painter, double labelColumn, bool square)
    : m_Outer(outer), m_LabelWidth(labelColumn) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    m_Y.range = y;
    m_Y.ticks = NiceTicks(m_Y.range, 4);
    if (square) {
        m_X.range = m_Y.range;
        m_X.ticks = m_Y.ticks;
    } else {
        m_X.range = x;
        m_X.ticks = NiceTicks(m_X.range, 6);
    }
    m_X.labels = LabelTicks(m_X.ticks);
    m_Y.labels = LabelTicks(m_Y.ticks);
    m_Title = WithScale(title, m_Y.labels.scale);
    m_Caption = WithScale(xCaption, m_X.labels.scale);

    for (const QString& text : m_Y.labels.texts) m_LabelWidth = std::max(m_LabelWidth, metrics.horizontalAdvance(text));
    double widestX = 0;
    for (const QString& text : m_X.labels.texts) widestX = std::max(widestX, metrics.horizontalAdvance(text));
    // Half the widest x label may stand out right of the area.
    const double tail = std::max(line * 0.8, widestX / 2 + 2);
    const double left = outer.left() + m_LabelWidth + line * 0.6;
    const double width = std::max(1.0, outer.right() - tail - left);
    // Title and caption wrap to the width they have, taking the lines
    // they need from the data area.
    const auto height = [&](const QString& text, int flags) {
        return metrics.boundingRect(QRectF(0, 0, width, 1e6), flags, text).height();
    };
    const double titleHeight = std::max(line * 1.4, height(m_Title, kTitleFlags) + line * 0.4);
    const double captionHeight = height(m_Caption, kCaptionFlags);
    // The x tick labels half a line below the area, clear of the lowest y
    // label, and the caption under them.
    const double below = line * 1.55 + captionHeight + line * 0.15;
    m_Area = QRectF(left, outer.top() + titleHeight, width, std::max(1.0, outer.height() - titleHeight - below));
    if (square) {
        const double side = std::min(m_Area.width(), m_Area.height());
        m_Area.setSize(QSizeF(side, side));
    }
    m_TitlePlace = QRectF(left, outer.top(), width, titleHeight - line * 0.1);
    // Under the area when it fits there on one line.
    const double captionTop = m_Area.bottom() + line * 1.55;
    m_CaptionPlace = metrics.horizontalAdvance(m_Caption) <= m_Area.width()
                         ? QRectF(m_Area.left(), captionTop, m_Area.width(), captionHeight)
                         : QRectF(left, captionTop, width, captionHeight);

    // Where the ticks stand closer than their labels need, only every
    // second (fifth...) one is labelled, counted from zero.
    const auto thin = [](Axis& axis, double length, double room) {
        const std::size_t n = axis.ticks.size();
        const double spacing = n > 1 ? length / static_cast<double>(n - 1) : room;
        axis.every = spacing > 0 ? static_cast<std::size_t>(std::clamp(std::ceil(room / spacing), 1.0, double(n + 1))) : n + 1;
        axis.first = 0;
        for (std::size_t k = 0; k < n; ++k)
            if (axis.ticks[k] == 0) axis.first = k;
    };
    thin(m_X, m_Area.width(), widestX + line * 0.5);
    thin(m_Y, m_Area.height(), line * 1.1);
}

double PlotFrame::X(double v) const {
    return m_Area.left() + (v - m_X.range.lo) / (m_X.range.hi - m_X.range.lo) * m_Area.width();
}

double PlotFrame::Y(double v) const {
    return m_Area.bottom() - (v - m_Y.range.lo) / (m_Y.range.hi - m_Y.range.lo) * m_Area.height();
}

void PlotFrame::DrawAxes(QPainter& painter, std::vector<PlacedText>* placed) const {
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();

    painter.setPen(QPen(QColor(225, 225, 225), 0));
    for (double v : m_X.ticks) painter.drawLine(QPointF(X(v), m_Area.top()), QPointF(X(v), m_Area.bottom()));
    for (double v : m_Y.ticks) painter.drawLine(QPointF(m_Area.left(), Y(v)), QPointF(m_Area.right(), Y(v)));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(m_Area);

    const auto text = [&](const QRectF& place, int flags, const QString& s) {
        painter.drawText(place, flags, s);
        if (placed) placed->push_back({place, flags, s});
    };
    for (std::size_t k = 0; k < m_Y.ticks.size(); ++k) {
        if (!Labelled(m_Y, k)) continue;
        const QRectF place(m_Outer.left(), Y(m_Y.ticks[k]) - line / 2, m_Area.left() - m_Outer.left() - line * 0.3, line);
        text(place, Qt::AlignRight | Qt::AlignVCenter, m_Y.labels.texts[k]);
    }
    const double xSlot = m_X.ticks.size() > 1 ? m_Area.width() / double(m_X.ticks.size() - 1) * double(m_X.every) : m_Area.width();
    for (std::size_t k = 0; k < m_X.ticks.size(); ++k) {
        if (!Labelled(m_X, k)) continue;
        // The label's room: its share of the axis, centred on the tick and
        // inside the plot.
        const double x = X(m_X.ticks[k]);
        const double half = std::min({xSlot - line * 0.5, 2 * (x - m_Outer.left()), 2 * (m_Outer.right() - x)}) / 2;
        text(QRectF(x - half, m_Area.bottom() + line * 0.5, 2 * half, line), Qt::AlignHCenter | Qt::AlignTop,
             m_X.labels.texts[k]);
    }
    text(m_TitlePlace, kTitleFlags, m_Title);
    text(m_CaptionPlace, kCaptionFlags, m_Caption);
}

double LineUnit(const QPainter& painter) {
    const double designed = QApplication::font().pointSizeF(), size = painter.font().pointSizeF();
    return designed > 0 && size > 0 ? std::max(1.0, std::round(size / designed)) : 1.0;
}

void DrawThickLine(QPainter& painter, QPolygonF line, const QColor& color) {
    painter.setPen(QPen(color, 0));
    const QPaintDevice* device = painter.device();
    const double below = 1 / (device ? device->devicePixelRatioF() : 1.0);
    for (int k = static_cast<int>(2 * LineUnit(painter)); k > 0; --k) {
        painter.drawPolyline(line);
        line.translate(0, below);
    }
}

bool DrawLegend(QPainter& painter, const PlotFrame& frame, const LegendEntries& entries,
                std::vector<PlacedText>* placed, Qt::Corner corner) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    double textWidth = 0;
    for (const auto& e : entries) textWidth = std::max(textWidth, metrics.horizontalAdvance(e.second));
    const QSizeF size(line * 1.6 + textWidth + line * 0.4, line * (static_cast<double>(entries.size()) + 0.3));
    const QRectF& area = frame.Area();
    const QPointF corner0 = corner == Qt::TopRightCorner
                                ? QPointF(area.right() - line * 0.4 - size.width(), area.top() + line * 0.3)
                                : area.topLeft() + QPointF(line * 0.4, line * 0.3);
    const QRectF box(corner0, size);
    if (!area.contains(box)) return false;
    painter.fillRect(box, QColor(255, 255, 255, 230));
    painter.setPen(QPen(QColor(190, 190, 190), 0));
    painter.drawRect(box);
    for (std::size_t row = 0; row < entries.size(); ++row) {
        const double y = box.top() + line * (0.15 + static_cast<double>(row));
        if (entries[row].first.isValid())
            painter.fillRect(QRectF(box.left() + line * 0.3, y + line * 0.35, line * 0.9, line * 0.3), entries[row].first);
        painter.setPen(Qt::black);
        const QRectF place = QRectF(box.left() + line * 1.4, y, textWidth + line * 0.4, line) & area;
        painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, entries[row].second);
        if (placed) placed->push_back({place, Qt::AlignLeft | Qt::AlignVCenter, entries[row].second});
    }
    return true;
}

} // namespace vintrop
