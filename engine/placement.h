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
#include <cstdint>

namespace vintrop {

class CEnvEng;

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

// The first rule, in the order of PlacementRule, that a bowl of `mass`
// centred at (x, y) would break in `engine`'s box among its bowls, leaving
// out the bowl at position `moving` (the one being moved; 0 for a new bowl).
// Throws Overflow when the distance to a bowl does not fit a float.
PlacementCheck CheckPlacement(const CEnvEng& engine, double mass, double x, double y, int moving = 0);

} // namespace vintrop
