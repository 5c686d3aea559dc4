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

} // namespace vintrop
