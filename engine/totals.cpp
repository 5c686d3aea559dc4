#include "totals.h"

#include <cmath>

namespace vintrop {

Totals TotalsOf(const CEnvEng& engine) {
    Totals sum;
    sum.energy = engine.EnCinTot();
    const int n = engine.BowlCount();
    for (int i = 1; i <= n; ++i) {
        const CBowl& b = engine.GetBowl(i);
        const double m = b.M();
        sum.px += m * b.Vx;
        sum.py += m * b.Vy;
    }
    return sum;
}

CentreOfMass CentreOfMassOf(const CEnvEng& engine) {
    CentreOfMass c;
    double mx = 0, my = 0, px = 0, py = 0;
    const int n = engine.BowlCount();
    for (int i = 1; i <= n; ++i) {
        const CBowl& b = engine.GetBowl(i);
        const double m = b.M();
        c.mass += m;
        mx += m * b.x;
        my += m * b.y;
        px += m * b.Vx;
        py += m * b.Vy;
    }
    if (!(c.mass > 0) || !std::isfinite(c.mass)) return c;
    c.valid = true;
    c.x = mx / c.mass;
    c.y = my / c.mass;
    c.vx = px / c.mass;
    c.vy = py / c.mass;
    return c;
}

float PairMomentum(float m1, float v1, float m2, float v2) {
    return static_cast<float>(static_cast<double>(m1) * v1 + static_cast<double>(m2) * v2);
}

} // namespace vintrop
