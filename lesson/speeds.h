#pragma once
// How the bowls' speeds are spread, to set beside the two-dimensional
// Maxwell–Boltzmann distribution that a gas of elastic disks settles into:
//   f(v) = (m v / kT) exp(-m v^2 / 2kT),
// where kT is the mean kinetic energy per bowl (two degrees of freedom, each
// holding kT/2). Speeds in twips per step, energies as the engine counts them
// (1/2 m v^2 with the mass in the file's units).
#include "envengine.h"

#include <cstdint>
#include <vector>

namespace vintrop {

// The bowls of one mass, and their mean kinetic energy.
struct Species {
    float mass = 0;
    int32_t bowls = 0;
    double meanEnergy = 0;   // sum of 1/2 m v^2 over them, in double, / bowls
};

// Every mass in the scene, the most bowls first (equal counts: the lighter
// first). One pass over the bowls; a scene of a few masses costs a few
// comparisons per bowl.
std::vector<Species> SpeciesOf(const CEnvEng& engine);

// The speeds of the bowls of one mass, counted in equal bins from 0 up to
// three times their root-mean-square speed sqrt(2 kT / m). Only about one
// bowl in 8,000 of a settled gas is faster than that; the last bin counts
// those too, so every bowl is in some bin. The range follows the energy, so
// in an elastic scene, where the energy is conserved, the bins stay put while
// the bowls change bins. When the bowls have no energy (at rest, or massless)
// the range is up to the fastest of them, or 1 when none moves.
struct SpeedHistogram {
    Species species;             // the bowls counted, kT = species.meanEnergy
    double width = 0;            // of each bin, twips per step
    std::vector<int32_t> counts; // bin i holds speeds in [i * width, (i + 1) * width)
};

// The histogram of the most common mass (see SpeciesOf) in `bins` bins
// (at least 1). A scene without bowls gives an empty species and zero counts.
SpeedHistogram SpeedHistogramOf(const CEnvEng& engine, int bins);
// The same for a chosen species, as SpeciesOf returned it.
SpeedHistogram SpeedHistogramOf(const CEnvEng& engine, const Species& species, int bins);

// A number of bins that suits n bowls: twice the cube root of n (the Rice
// rule), at least 5 and at most 40.
int BinsFor(int32_t bowls);

// The distribution above for bowls of mass m at kT: its density at v, and
// the fraction of bowls with speeds in [low, high) (high may be infinite),
// from its integral 1 - exp(-m v^2 / 2kT). Zero when m or kT is not positive.
double MaxwellBoltzmannDensity(double v, double m, double kT);
double MaxwellBoltzmannFraction(double low, double high, double m, double kT);

} // namespace vintrop
