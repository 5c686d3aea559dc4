#include "speeds.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace vintrop {

namespace {

double EnergyOf(const CBowl& b) {
    const double vx = b.Vx, vy = b.Vy;
    return 0.5 * b.M() * (vx * vx + vy * vy);
}

// The squares of two floats and their sum cannot overflow a double, so the
// plain square root needs none of std::hypot's care, nor its cost (a third of
// the histogram's time in a crowd).
double SpeedOf(const CBowl& b) {
    const double vx = b.Vx, vy = b.Vy;
    return std::sqrt(vx * vx + vy * vy);
}

struct Tally {
    float mass;
    int32_t bowls;
    double energy;
};

} // namespace

std::vector<Species> SpeciesOf(const CEnvEng& engine) {
    // Lessons have one to a few masses: a short list searched from the mass
    // last seen finds them in a comparison or two. Past a few dozen masses
    // (a crowd where most bowls have masses of their own) a hash map takes
    // over, so the pass stays linear.
    constexpr std::size_t kShortList = 32;
    std::vector<Tally> tallies;
    std::unordered_map<float, std::size_t> where;
    std::size_t last = 0;
    const int n = engine.BowlCount();
    for (int i = 1; i <= n; ++i) {
        const CBowl& b = engine.GetBowl(i);
        const float m = b.M();
        std::size_t at = tallies.size();
        if (last < tallies.size() && tallies[last].mass == m) {
            at = last;
        } else if (where.empty()) {
            for (std::size_t k = 0; k < tallies.size(); ++k)
                if (tallies[k].mass == m) { at = k; break; }
        } else if (auto found = where.find(m); found != where.end()) {
            at = found->second;
        }
        if (at == tallies.size()) {
            tallies.push_back({m, 0, 0.0});
            if (!where.empty() || tallies.size() > kShortList) {
                if (where.empty())
                    for (std::size_t k = 0; k < tallies.size(); ++k) where.emplace(tallies[k].mass, k);
                else
                    where.emplace(m, at);
            }
        }
        tallies[at].bowls += 1;
        tallies[at].energy += EnergyOf(b);
        last = at;
    }
    std::vector<Species> out;
    out.reserve(tallies.size());
    for (const Tally& t : tallies) out.push_back({t.mass, t.bowls, t.energy / t.bowls});
    std::sort(out.begin(), out.end(), [](const Species& a, const Species& b) {
        return a.bowls != b.bowls ? a.bowls > b.bowls : a.mass < b.mass;
    });
    return out;
}

SpeedHistogram SpeedHistogramOf(const CEnvEng& engine, int bins) {
    const std::vector<Species> species = SpeciesOf(engine);
    return SpeedHistogramOf(engine, species.empty() ? Species{} : species.front(), bins);
}

SpeedHistogram SpeedHistogramOf(const CEnvEng& engine, const Species& species, int bins) {
    SpeedHistogram h;
    h.species = species;
    h.counts.assign(static_cast<std::size_t>(std::max(bins, 1)), 0);
    const int n = engine.BowlCount();
    double top = 0;
    const double m = species.mass, kT = species.meanEnergy;
    if (m > 0 && kT > 0 && std::isfinite(kT)) {
        top = 3.0 * std::sqrt(2.0 * kT / m);
    } else {
        for (int i = 1; i <= n; ++i) {
            const CBowl& b = engine.GetBowl(i);
            if (b.M() == species.mass && std::isfinite(SpeedOf(b))) top = std::max(top, SpeedOf(b));
        }
        // The fastest bowl belongs in the last bin, not beyond it.
        top = top > 0 ? top * (1 + 1e-9) : 1.0;
    }
    h.width = top / static_cast<double>(h.counts.size());
    const auto lastBin = static_cast<double>(h.counts.size() - 1);
    for (int i = 1; i <= n; ++i) {
        const CBowl& b = engine.GetBowl(i);
        if (b.M() != species.mass) continue;
        // NaN and infinite speeds, like those above the range, go to the last
        // bin. A speed is never negative: truncation is the floor.
        const double bin = SpeedOf(b) / h.width;
        h.counts[bin < lastBin ? static_cast<std::size_t>(bin) : h.counts.size() - 1] += 1;
    }
    return h;
}

int BinsFor(int32_t bowls) {
    const double rice = 2.0 * std::cbrt(static_cast<double>(std::max(bowls, 0)));
    return std::clamp(static_cast<int>(std::lround(rice)), 5, 40);
}

double MaxwellBoltzmannDensity(double v, double m, double kT) {
    if (!(m > 0) || !(kT > 0) || !(v >= 0)) return 0;
    return m * v / kT * std::exp(-m * v * v / (2 * kT));
}

double MaxwellBoltzmannFraction(double low, double high, double m, double kT) {
    if (!(m > 0) || !(kT > 0) || !(high > low)) return 0;
    // Below the most likely speed the fraction is a difference of values of
    // the integral, which is small there; above it, of the tail exp(-m v^2 /
    // 2kT), which is small there: each keeps its significant digits.
    const auto below = [&](double v) { return v > 0 ? -std::expm1(-m * v * v / (2 * kT)) : 0.0; };
    const auto above = [&](double v) { return v > 0 ? std::exp(-m * v * v / (2 * kT)) : 1.0; };
    if (low > std::sqrt(kT / m)) return above(low) - (std::isinf(high) ? 0.0 : above(high));
    return below(high) - below(low);
}

} // namespace vintrop
