#pragma once
// The response of two colliding bowls: a pure function of the pair's values
// and the run's two collision options, so that it can be checked on its own.
#include <cstdint>

namespace vintrop {

class CBowl;

// How a collision between bowls is resolved.
struct CollisionResponse {
    // Coefficient of restitution in whole percent, 0..100: the relative
    // velocity along the line of centres (in central mode the whole relative
    // velocity) leaves at -elasticity/100 times what it was.
    int16_t elasticity = 100;
    // Each axis resolved as a head-on collision of its own, whatever the
    // line of the centres.
    bool central = false;
};

// Sets the velocities of b1 and b2 after their impact; reads only the two
// bowls' masses, positions and velocities. Momentum is kept, and the
// velocities across the line of centres too. Coincident centres have no
// line: that collision is central. A component whose new value is not a
// finite float keeps its old value, and the others are still set. At 100 %
// the arithmetic is the perfectly elastic one of earlier versions, bit for bit.
void ResolveCollision(CBowl& b1, CBowl& b2, const CollisionResponse& response);

} // namespace vintrop
