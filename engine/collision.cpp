#include "collision.h"

#include <cmath>

#include "bowl.h"

namespace vintrop {

namespace {
// Stores a velocity component; an arithmetic failure leaves it unchanged
// and the response goes on with the remaining components.
void Store(float& target, double value) {
    const float f = static_cast<float>(value);
    if (std::isfinite(f)) target = f;
}

// A pair's velocities in the frame whose first axis runs from b1's centre
// to b2's (d apart, d > 0): along it, and across it. A response exchanges
// the along components, keeps the across ones, and turns back.
struct LineOfCentres {
    LineOfCentres(const CBowl& b1, const CBowl& b2, double dx, double dy, double d)
        : cosA(dx / d), sinA(dy / d), along1(b1.Vx * cosA + b1.Vy * sinA), across1(-b1.Vx * sinA + b1.Vy * cosA),
          along2(b2.Vx * cosA + b2.Vy * sinA), across2(-b2.Vx * sinA + b2.Vy * cosA) {}
    // Stores the velocities with the along components after the response.
    void TurnBack(CBowl& b1, CBowl& b2, double after1, double after2) const {
        Store(b1.Vx, after1 * cosA - across1 * sinA);
        Store(b1.Vy, after1 * sinA + across1 * cosA);
        Store(b2.Vx, after2 * cosA - across2 * sinA);
        Store(b2.Vy, after2 * sinA + across2 * cosA);
    }
    const double cosA, sinA;
    const double along1, across1, along2, across2;
};
} // namespace

void ResolveCollision(CBowl& b1, CBowl& b2, const CollisionResponse& response) {
    // The normal impulse is (1 + e) times the reduced mass times the closing
    // speed; at e = 1 each product below is the elastic one to the bit.
    const bool elastic = response.elasticity == 100;
    const double e = response.elasticity / 100.0;
    const double m1 = b1.M(), m2 = b2.M();
    const double dx = static_cast<double>(b2.x) - b1.x;
    const double dy = static_cast<double>(b2.y) - b1.y;
    const double d = std::sqrt(dx * dx + dy * dy);

    if (response.central || d == 0) {
        const double v1x = b1.Vx, v1y = b1.Vy;
        Store(b1.Vx, ((1 + e) * m2 * b2.Vx + (m1 - e * m2) * b1.Vx) / (m1 + m2));
        Store(b1.Vy, ((1 + e) * m2 * b2.Vy + (m1 - e * m2) * b1.Vy) / (m1 + m2));
        Store(b2.Vx, e * (v1x - b2.Vx) + b1.Vx);
        Store(b2.Vy, e * (v1y - b2.Vy) + b1.Vy);
        return;
    }

    const LineOfCentres f(b1, b2, dx, dy, d);
    const double after2 = ((1 + e) * m1 * f.along1 + (m2 - e * m1) * f.along2) / (m1 + m2);
    // The elastic sum keeps its own order of additions, which rounds
    // differently from the grouped one.
    const double after1 = elastic ? after2 + f.along2 - f.along1 : after2 + e * (f.along2 - f.along1);
    f.TurnBack(b1, b2, after1, after2);
}

} // namespace vintrop
