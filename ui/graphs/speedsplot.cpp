#include "speedsplot.h"

#include <QLocale>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <cmath>

#include "conservationplots.h"
#include "envengine.h"
#include "numberformat.h"

namespace vintrop {

namespace {

const QColor kBarFill(160, 192, 232);
const QColor kBarEdge(70, 110, 170);
const QColor kCurveColor(225, 110, 0);

// The masses whose mean energies are listed by name; the rest are counted.
constexpr std::size_t kMassesListed = 4;

// Counts as the tick labels show them, grouped in thousands (see
// LabelTicks); one locale for many counts.
QLocale CountLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}
QString CountText(int32_t n, const QLocale& locale = CountLocale()) { return locale.toString(n); }
// Energies and widths to three significant digits, as the energy's change.
QString ValueText(double v) { return ConservationPlots::ChangeText(v); }

// The bowls counted and the distribution drawn, with the values it needs.
struct Law {
    double bowls = 0, mass = 0, kT = 0, width = 0, top = 0;   // top: where the last bin ends
    bool drawn = false;   // bowls that move, with a mass: the curve exists
    // The expected number of bowls in a bin of the histogram's width
    // centred on v, N · width · f(v).
    double Expected(double v) const { return bowls * width * MaxwellBoltzmannDensity(v, mass, kT); }
};

Law LawOf(const SpeedHistogram& h) {
    Law law;
    law.bowls = h.species.bowls;
    law.mass = h.species.mass;
    law.kT = h.species.meanEnergy;
    law.width = h.width;
    law.top = h.width * static_cast<double>(h.counts.size());
    law.drawn = law.bowls > 0 && law.mass > 0 && law.kT > 0 && std::isfinite(law.kT) && law.top > 0 &&
                std::isfinite(law.top);
    return law;
}

QString Title(const Species& s) {
    if (s.bowls == 0) return QStringLiteral("Speeds of the bowls: there are none");
    return QStringLiteral("Speeds of the %1 %2 of mass %3")
        .arg(CountText(s.bowls), s.bowls == 1 ? QStringLiteral("bowl") : QStringLiteral("bowls"), fmt::General(s.mass));
}

QString KTText(const Law& law) {
    if (law.drawn) return QStringLiteral("Maxwell\u2013Boltzmann, kT = %1").arg(ValueText(law.kT));
    return law.kT == 0 ? QStringLiteral("all at rest: kT = 0") : QStringLiteral("kT = %1").arg(ValueText(law.kT));
}

QString SpeciesText(const Species& s) {
    return QStringLiteral("m = %1 (%2 %3): %4")
        .arg(fmt::General(s.mass), CountText(s.bowls), s.bowls == 1 ? QStringLiteral("bowl") : QStringLiteral("bowls"),
             ValueText(s.meanEnergy));
}

QString MoreText(std::size_t more) {
    return QStringLiteral("\u2026 and %1 more %2").arg(more).arg(more == 1 ? QStringLiteral("mass") : QStringLiteral("masses"));
}

} // namespace

SpeedsView SpeedsOf(const CEnvEng& engine) {
    SpeedsView view;
    view.species = SpeciesOf(engine);
    const Species most = view.species.empty() ? Species{} : view.species.front();
    view.histogram = SpeedHistogramOf(engine, most, BinsFor(most.bowls));
    return view;
}

PlotFrame PaintSpeeds(const SpeedsView& speeds, QPainter& painter, const QRectF& place, std::vector<PlacedText>* placed) {
    const SpeedHistogram& h = speeds.histogram;
    const Law law = LawOf(h);
    double highest = h.counts.empty() ? 0 : *std::max_element(h.counts.begin(), h.counts.end());
    // The curve's peak is at the most likely speed sqrt(kT / m).
    if (law.drawn) highest = std::max(highest, law.Expected(std::sqrt(law.kT / law.mass)));
    const PlotFrame frame(place, {0, law.top > 0 && std::isfinite(law.top) ? law.top : 1},
                          {0, highest > 0 && std::isfinite(highest) ? highest * 1.1 : 1},
                          {Title(h.species), QStringLiteral("      (bowls in each bin)")},
                          {QStringLiteral("speed"),
                           QStringLiteral(" (twips per step; the last bin also holds any faster bowl)")},
                          painter);
    frame.DrawAxes(painter, placed);
    painter.setClipRect(frame.Area());
    painter.setPen(QPen(kBarEdge, 0));
    painter.setBrush(kBarFill);
    for (std::size_t i = 0; i < h.counts.size(); ++i) {
        if (h.counts[i] == 0) continue;
        const double left = frame.X(static_cast<double>(i) * h.width);
        const double right = frame.X(static_cast<double>(i + 1) * h.width);
        painter.drawRect(QRectF(QPointF(left, frame.Y(h.counts[i])), QPointF(right, frame.Y(0))));
    }
    painter.setBrush(Qt::NoBrush);
    if (law.drawn) {
        // A smooth curve of N · width · f(v), not a step of the expected
        // count of each bin: it reads as the law itself, its peak at the most
        // likely speed where the class can find it on the axis, and over a
        // bar it is that bar's expected count to within the curve's bend
        // across one bin. It stops where the bins do: the last bar also holds
        // the tail beyond, about one bowl in 8,000.
        const int samples = std::max(8, static_cast<int>(frame.Area().width() / 3));
        QPolygonF curve;
        curve.reserve(samples + 1);
        for (int k = 0; k <= samples; ++k) {
            const double v = law.top * k / samples;
            curve << frame.At(v, law.Expected(v));
        }
        DrawThickLine(painter, std::move(curve), kCurveColor);   // as thick as the time series
    }
    painter.setClipping(false);

    // The curve's name and kT; with several masses, each one's mean kinetic
    // energy per bowl, which equipartition makes equal once the gas settles.
    // Where all of it does not fit, the name alone.
    LegendEntries entries{{law.drawn ? kCurveColor : QColor(), KTText(law)}};
    if (speeds.species.size() > 1) {
        entries.push_back({QColor(), QStringLiteral("mean \u00bdmv\u00b2 per bowl, by mass:")});
        const std::size_t listed = std::min(speeds.species.size(), kMassesListed);
        for (std::size_t k = 0; k < listed; ++k) entries.push_back({QColor(), SpeciesText(speeds.species[k])});
        if (speeds.species.size() > listed) entries.push_back({QColor(), MoreText(speeds.species.size() - listed)});
    }
    if (h.species.bowls > 0 && !DrawLegend(painter, frame, entries, placed, Qt::TopRightCorner) && entries.size() > 1)
        DrawLegend(painter, frame, {entries.front()}, placed, Qt::TopRightCorner);
    return frame;
}

QString DescribeSpeeds(const SpeedsView& speeds) {
    const SpeedHistogram& h = speeds.histogram;
    if (h.species.bowls == 0) return QStringLiteral("No bowls, no speeds.");
    const Law law = LawOf(h);
    QStringList counts;
    const QLocale locale = CountLocale();
    for (int32_t c : h.counts) counts << CountText(c, locale);
    QString text = QStringLiteral("%1, in %2 bins of %3 twips per step from 0: %4. %5.")
                       .arg(Title(h.species))
                       .arg(h.counts.size())
                       .arg(ValueText(h.width), counts.join(QStringLiteral(", ")), KTText(law));
    if (speeds.species.size() > 1) {
        QStringList each;
        const std::size_t listed = std::min(speeds.species.size(), kMassesListed);
        for (std::size_t k = 0; k < listed; ++k) each << SpeciesText(speeds.species[k]);
        if (speeds.species.size() > listed) each << MoreText(speeds.species.size() - listed);
        text += QStringLiteral(" Mean kinetic energy per bowl: %1.").arg(each.join(QStringLiteral("; ")));
    }
    return text;
}

} // namespace vintrop
