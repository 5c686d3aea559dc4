#pragma once
// The conserved quantities of the whole scene at one moment, as the program's
// graphs and the runner's "totals" lines show them.
#include "envengine.h"

namespace vintrop {

struct Totals {
    double energy = 0;   // total kinetic energy, as EnCinTot sums it
    double px = 0;       // total momentum, sum of m * Vx
    double py = 0;       // total momentum, sum of m * Vy
};

// Summed in double over the bowls in their order, from their current
// (32-bit) velocities.
Totals TotalsOf(const CEnvEng& engine);

} // namespace vintrop
