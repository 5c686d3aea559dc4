#include "placement.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "bowl.h"
#include "envengine.h"
#include "numeric.h"

namespace vintrop {

bool HasPositiveMass(double mass) { return mass > 0; }

int16_t WholeRadiusOf(double mass) { return ToInt16(ExactRadiusOf(mass)); }

bool BeyondFarWall(double centre, int16_t r, float wall) { return ToSingle(centre + r) > wall; }

PlacementCheck CheckPlacement(const CEnvEng& engine, double mass, double x, double y, int moving) {
    if (!HasPositiveMass(mass)) return {PlacementRule::PositiveMass};

    const int16_t r = WholeRadiusOf(mass);
    if (BeyondFarWall(x, r, engine.MaxX)) return {PlacementRule::RightWall};
    if (x - r < 0) return {PlacementRule::LeftWall};
    if (BeyondFarWall(y, r, engine.MaxY)) return {PlacementRule::BottomWall};
    if (y - r < 0) return {PlacementRule::TopWall};

    // The bowl as it would be stored, with its float radius.
    CBowl proposed;
    proposed.SetM(ToSingle(mass));
    proposed.x = ToSingle(x);
    proposed.y = ToSingle(y);
    // The counter is wider than a position, so that it can step past the
    // last one, 32767.
    const int count = engine.BowlCount();
    for (int i = 1; i <= count; ++i) {
        if (i == moving) continue;
        const CBowl& other = engine.GetBowl(i);
        const float reach = ToSingle(static_cast<double>(proposed.r()) + other.r());
        const float distance = ToSingle(CEnvEng::RelDist(proposed, other));
        if (reach >= distance) return {PlacementRule::ClearOfBowls, i};
    }
    return {};
}

double LargestWholeRadius(const CEnvEng& engine) {
    double largest = 0;
    // As WholeRadiusOf, but in double: no mass a bowl may hold overflows it.
    for (int i = 1; i <= engine.BowlCount(); ++i)
        largest = std::max(largest, std::nearbyint(ExactRadiusOf(engine.GetBowl(i).M())));
    return largest;
}

bool FixedBoxSideHolds(float side, double radius) {
    return side > 0 && side >= 2 * radius && side <= kMaxFixedBoxSide;
}

BoxCheck CheckFixedBox(const CEnvEng& engine, const BoxSize& box) {
    const double radius = LargestWholeRadius(engine);
    if (!FixedBoxSideHolds(box.width, radius)) return {BoxRule::WidthLimits};
    if (!FixedBoxSideHolds(box.height, radius)) return {BoxRule::HeightLimits};
    for (int i = 1; i <= engine.BowlCount(); ++i) {
        const CBowl& b = engine.GetBowl(i);
        const int16_t r = WholeRadiusOf(b.M());
        for (const auto& [x, y] : {std::pair{b.x, b.y}, std::pair{b.Xo(), b.Yo()}})
            if (BeyondFarWall(x, r, box.width) || BeyondFarWall(y, r, box.height)) return {BoxRule::BowlOutside, i};
    }
    return {};
}

} // namespace vintrop
