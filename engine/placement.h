#pragma once
// Where a bowl may be placed: with a mass above 0, inside the box's four
// walls and clear of every other bowl. The bowl dialog refuses a bowl that
// breaks one of these rules, naming the first it breaks, and the teaching
// scenarios keep them all.
//
// The exact boundaries: the walls are checked with the radius as a whole
// number (halves to even), so a bowl may touch a wall (x + r = MaxX is
// inside, x - r = 0 too); a bowl touches another as soon as the sum of the
// radii reaches CEnvEng::RelDist of the two centres (both as floats), and
// touching counts as overlapping.
//
// A scenario's own box must hold its widest bowl and every bowl where it
// is, measured the same way.
#include <cstdint>

namespace vintrop {

class CEnvEng;
struct BoxSize;

enum class PlacementRule {
    None,          // every rule holds
    PositiveMass,  // the mass is not above 0
    RightWall,     // x + r beyond MaxX
    LeftWall,      // x - r below 0
    BottomWall,    // y + r beyond MaxY
    TopWall,       // y - r below 0
    ClearOfBowls,  // touches or overlaps another bowl
};

struct PlacementCheck {
    PlacementRule broken = PlacementRule::None;
    int other = 0;   // ClearOfBowls: position (1-based) of the first bowl in the way
};

// The first rule: the mass is above 0 (never for NaN).
bool HasPositiveMass(double mass);

// The radius of a bowl of `mass` as the walls are checked against it: the
// exact radius rounded to a whole number, halves to even. Throws InvalidCall
// for a negative mass.
int16_t WholeRadiusOf(double mass);

// Whether a bowl of whole radius `r` centred at `centre` reaches past the
// right or bottom wall at `wall`: the sum rounded to a float, as the box is.
bool BeyondFarWall(double centre, int16_t r, float wall);

// --- a scenario's own box (CEnvEng::SetFixedBox, the options section) ---

// The largest side, in twips: 2^24. Up to it a float holds every whole
// twip, so a bowl can stand at any whole position in the box; beyond it
// positions would step by two twips or more.
inline constexpr float kMaxFixedBoxSide = 16777216.0f;

// The largest radius of the engine's bowls as the walls are checked against
// it (WholeRadiusOf); 0 with no bowls. Throws InvalidCall for a negative mass.
double LargestWholeRadius(const CEnvEng& engine);

// Whether `side` twips may be a side of a scenario's own box holding bowls
// of whole radius up to `radius`: above 0, at least 2 * radius (the widest
// bowl fits between two walls as the bowl dialog checks them, so any scene
// it allows saves and reads back) and at most kMaxFixedBoxSide. Never for
// NaN or an infinity.
bool FixedBoxSideHolds(float side, double radius);

enum class BoxRule {
    None,          // the box may be the scenario's own
    WidthLimits,   // the width is outside the limits of FixedBoxSideHolds
    HeightLimits,  // the height is
    BowlOutside,   // a bowl, where it is now or where it starts, beyond the right or bottom wall
};

struct BoxCheck {
    BoxRule broken = BoxRule::None;
    int bowl = 0;   // BowlOutside: position (1-based) of the first bowl outside
};

// The first rule, in the order of BoxRule, that `box` would break as the
// box of `engine`'s scenario; only the right and bottom walls move. Throws
// as LargestWholeRadius does, and Overflow for a centre near the float limit.
BoxCheck CheckFixedBox(const CEnvEng& engine, const BoxSize& box);

// The first rule, in the order of PlacementRule, that a bowl of `mass`
// centred at (x, y) would break in `engine`'s box among its bowls, leaving
// out the bowl at position `moving` (the one being moved; 0 for a new bowl).
// Throws Overflow when the distance to a bowl does not fit a float.
PlacementCheck CheckPlacement(const CEnvEng& engine, double mass, double x, double y, int moving = 0);

} // namespace vintrop
