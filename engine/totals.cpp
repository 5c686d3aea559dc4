#include "totals.h"

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

float PairMomentum(float m1, float v1, float m2, float v2) {
    return static_cast<float>(static_cast<double>(m1) * v1 + static_cast<double>(m2) * v2);
}

} // namespace vintrop
