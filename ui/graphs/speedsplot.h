#pragma once
// The speed plot: how the speeds of the bowls of the most common mass are
// spread, as bars, with the two-dimensional Maxwell–Boltzmann distribution
// for their kT drawn over them; with several masses, each mass's mean
// kinetic energy per bowl beside it, so that equipartition can be read off.
#include <QString>
#include <vector>

#include "plotframe.h"
#include "speeds.h"

class QPainter;

namespace vintrop {

class CEnvEng;

// What the speed plot shows, taken from the engine at one moment.
struct SpeedsView {
    std::vector<Species> species;   // every mass, the most bowls first
    SpeedHistogram histogram;       // of species.front(), in BinsFor(its bowls) bins
};

// Two passes over the bowls; nothing kept per bowl.
SpeedsView SpeedsOf(const CEnvEng& engine);

// The plot in `place`, in the painter's font; each text drawn is added to
// `placed` when there is one. Answers the frame, which maps speeds and
// counts to where they are drawn.
PlotFrame PaintSpeeds(const SpeedsView& speeds, QPainter& painter, const QRectF& place,
                      std::vector<PlacedText>* placed = nullptr);

// The plot in words, for screen readers: the bowls counted, the bins and
// their counts, kT, and with several masses their mean kinetic energies.
QString DescribeSpeeds(const SpeedsView& speeds);

} // namespace vintrop
