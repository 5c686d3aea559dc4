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

// The centre of mass of all bowls and its velocity (the total momentum over
// the total mass), summed in double over the bowls in their order. A scene
// whose total mass is zero (no bowls, or only massless ones) has none.
struct CentreOfMass {
    bool valid = false;
    double mass = 0;     // total mass
    double x = 0, y = 0;
    double vx = 0, vy = 0;
};
CentreOfMass CentreOfMassOf(const CEnvEng& engine);

// A colliding pair's momentum m1 * v1 + m2 * v2 along one axis, the one
// value the history window lists and the graphs plot. Each product of two
// floats is exact in double; the sum is rounded once, to a 32-bit float:
// the precision of the velocities it is made of (about seven significant
// digits, so the hundredths a sum past 100,000 shows are that rounding's).
// A sum beyond the float range is an infinity, an invalid one (zero times an
// infinite velocity) NaN; the callers decide what those mean.
float PairMomentum(float m1, float v1, float m2, float v2);

} // namespace vintrop
