#include "broadphase.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "bowl.h"

namespace vintrop {

namespace {
constexpr double kBaseRadius = 64.0;  // the largest radius of the smallest class, twips
constexpr double kMinCell = 64.0;     // twips
// A class shares the grid of the class above while that grid would hold at
// most this many bowls per cell on average.
constexpr double kSparse = 2.0;
// A grid has at most about this many cells per bowl it holds.
constexpr double kCellsPerBowl = 2.0;
constexpr float kNoCentre = std::numeric_limits<float>::quiet_NaN();

// The cell holding coordinate v (in cells) of a row of n. Only positive
// values reach the cast, where truncation is the floor.
int CellIndex(double v, int n) {
    if (!(v > 0)) return 0;  // also for a NaN
    if (v >= n - 1) return n - 1;
    return static_cast<int>(v);
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Cells across a length, for cells of the given size; counted in double,
// since a box near the float range holds more cells than an int can count.
double CellsAcross(double length, double cell) {
    if (!std::isfinite(cell)) return 1;
    return std::floor(length / cell) + 1;
}
} // namespace

int BroadPhase::ClassOf(float radius) {
    int c = 0;
    double half = kBaseRadius;
    while (c < kClasses - 1 && radius > half) {
        half *= 2;
        ++c;
    }
    return c;
}

void BroadPhase::PlanGrids(double width, double height, const ClassSummary (&classes)[kClasses],
                           int (&gridOf)[kClasses]) {
    // Most queries come from the most common class.
    float typical = 0;
    for (int c = 0, most = 0; c < kClasses; ++c)
        if (classes[c].population > most) {
            most = classes[c].population;
            typical = classes[c].maxRadius;
        }
    struct Plan {
        double reachCell;   // the cell a query from the most common bowl needs
        long members;
        float maxRadius;
    };
    Plan plans[kClasses];
    int count = 0;
    // From the largest class down: each class either joins the grid above
    // or starts its own.
    for (int c = kClasses - 1; c >= 0; --c) {
        const ClassSummary& s = classes[c];
        if (s.population == 0) continue;
        if (count > 0) {
            Plan& above = plans[count - 1];
            const double cells = CellsAcross(width, above.reachCell) * CellsAcross(height, above.reachCell);
            if (above.members + s.population <= kSparse * cells) {
                above.members += s.population;
                gridOf[c] = count - 1;
                continue;
            }
        }
        Plan& p = plans[count];
        p.members = s.population;
        p.maxRadius = s.maxRadius;
        p.reachCell = std::max(2 * (static_cast<double>(s.maxRadius) + typical + kMargin), kMinCell);
        gridOf[c] = count++;
    }
    // Planned coarsest first; kept finest first.
    for (int& g : gridOf) g = count - 1 - g;
    m_Grids.resize(static_cast<std::size_t>(count));
    for (int g = 0; g < count; ++g) {
        const Plan& p = plans[count - 1 - g];
        Grid& grid = m_Grids[static_cast<std::size_t>(g)];
        // A large box gets coarser cells rather than more cells than bowls.
        const double most = kCellsPerBowl * static_cast<double>(p.members);
        const double cell = std::max({p.reachCell, std::sqrt(width * height / most), width / most, height / most});
        // Never more cells across than kCellsPerBowl per bowl, so these fit an int.
        const int nx = static_cast<int>(CellsAcross(width, cell));
        const int ny = static_cast<int>(CellsAcross(height, cell));
        const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
        grid.maxRadius = p.maxRadius;
        if (grid.cell != cell || grid.nx != nx || grid.ny != ny || grid.tallies.size() != cells) {
            grid.cell = cell;
            grid.inverse = std::isfinite(cell) ? 1 / cell : 0;
            grid.nx = nx;
            grid.ny = ny;
            Bucket empty{};
            std::fill(std::begin(empty.x), std::end(empty.x), kNoCentre);
            grid.buckets.assign(cells, empty);
            grid.tallies.assign(cells, Tally{});
        }
    }
}

void BroadPhase::Rebuild(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY) {
    if (CatchUp(bowls, maxX, maxY)) return;
    // Empty the cells in use; those a bowl left are empty already.
    for (const Home& home : m_Homes) {
        Grid& grid = m_Grids[static_cast<std::size_t>(home.grid)];
        grid.tallies[static_cast<std::size_t>(home.cell)] = Tally{};
        Bucket& bucket = grid.buckets[static_cast<std::size_t>(home.cell)];
        std::fill(std::begin(bucket.x), std::end(bucket.x), kNoCentre);
    }
    m_MaxX = maxX;
    m_MaxY = maxY;
    const double width = std::max(0.0, static_cast<double>(maxX));
    const double height = std::max(0.0, static_cast<double>(maxY));
    const std::size_t n = bowls.size();
    m_Homes.resize(n);
    m_Overflow.resize(n);
    ClassSummary classes[kClasses] = {};
    for (std::size_t k = 0; k < n; ++k) {
        const CBowl& b = *bowls[k];
        // The second pass reads the bowl's values here, with its class.
        Home& home = m_Homes[k];
        home.x = b.x;
        home.y = b.y;
        home.r = b.r();
        home.grid = ClassOf(home.r);
        ClassSummary& summary = classes[home.grid];
        ++summary.population;
        summary.maxRadius = std::max(summary.maxRadius, home.r);
    }
    int gridOf[kClasses] = {};
    PlanGrids(width, height, classes, gridOf);
    for (std::size_t k = 0; k < n; ++k) {
        const Home home = m_Homes[k];
        const int32_t g = gridOf[home.grid];
        Insert(static_cast<int32_t>(k), home.x, home.y, home.r, g,
               CellOf(m_Grids[static_cast<std::size_t>(g)], home.x, home.y));
    }
}

bool BroadPhase::CatchUp(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY) {
    // The layout depends on the box, the number of bowls and their radii.
    if (bowls.size() != m_Homes.size() || !SameBits(maxX, m_MaxX) || !SameBits(maxY, m_MaxY)) return false;
    // Backwards, so that the first bowls of the step are the last read.
    for (std::size_t k = bowls.size(); k-- > 0;) {
        const CBowl& b = *bowls[k];
        const Home& home = m_Homes[k];
        if (!SameBits(home.r, b.r())) return false;
        if (!SameBits(home.x, b.x) || !SameBits(home.y, b.y)) Move(static_cast<int32_t>(k), b);
    }
    return true;
}

int32_t BroadPhase::CellOf(const Grid& grid, float x, float y) {
    const int cx = CellIndex(x * grid.inverse, grid.nx);
    const int cy = CellIndex(y * grid.inverse, grid.ny);
    return cy * grid.nx + cx;
}

void BroadPhase::Insert(int32_t k, float x, float y, float r, int32_t g, int32_t cell) {
    Grid& grid = m_Grids[static_cast<std::size_t>(g)];
    Tally& tally = grid.tallies[static_cast<std::size_t>(cell)];
    Home& home = m_Homes[static_cast<std::size_t>(k)];
    home.grid = g;
    home.cell = cell;
    home.x = x;
    home.y = y;
    home.r = r;
    if (tally.population < kPlaces) {
        Bucket& bucket = grid.buckets[static_cast<std::size_t>(cell)];
        const int place = tally.population;
        bucket.x[place] = x;
        bucket.y[place] = y;
        bucket.r[place] = r;
        bucket.k[place] = k;
        home.place = place;
    } else {
        Overflow& o = m_Overflow[static_cast<std::size_t>(k)];
        o = {x, y, r, tally.overflow, -1};
        if (tally.overflow >= 0) m_Overflow[static_cast<std::size_t>(tally.overflow)].prev = k;
        tally.overflow = k;
        home.place = -1;
    }
    ++tally.population;
}

void BroadPhase::Remove(int32_t k) {
    const Home& home = m_Homes[static_cast<std::size_t>(k)];
    Grid& grid = m_Grids[static_cast<std::size_t>(home.grid)];
    Tally& tally = grid.tallies[static_cast<std::size_t>(home.cell)];
    --tally.population;
    if (home.place < 0) {
        const Overflow& o = m_Overflow[static_cast<std::size_t>(k)];
        if (o.prev >= 0)
            m_Overflow[static_cast<std::size_t>(o.prev)].next = o.next;
        else
            tally.overflow = o.next;
        if (o.next >= 0) m_Overflow[static_cast<std::size_t>(o.next)].prev = o.prev;
        return;
    }
    // The bucket stays packed: its last bowl fills the gap, and the first of
    // the overflow list, if any, takes the last place.
    Bucket& bucket = grid.buckets[static_cast<std::size_t>(home.cell)];
    const int last = std::min(tally.population, kPlaces - 1);
    const auto moveTo = [&](int place, float x, float y, float r, int32_t other) {
        bucket.x[place] = x;
        bucket.y[place] = y;
        bucket.r[place] = r;
        bucket.k[place] = other;
        m_Homes[static_cast<std::size_t>(other)].place = place;
    };
    if (home.place != last) moveTo(home.place, bucket.x[last], bucket.y[last], bucket.r[last], bucket.k[last]);
    if (tally.overflow >= 0) {
        const int32_t first = tally.overflow;
        const Overflow& o = m_Overflow[static_cast<std::size_t>(first)];
        tally.overflow = o.next;
        if (o.next >= 0) m_Overflow[static_cast<std::size_t>(o.next)].prev = -1;
        moveTo(last, o.x, o.y, o.r, first);
    } else {
        bucket.x[last] = kNoCentre;
    }
}

void BroadPhase::Update(int16_t i, const CBowl& b) { Move(i - 1, b); }

void BroadPhase::Move(int32_t k, const CBowl& b) {
    Home& home = m_Homes[static_cast<std::size_t>(k)];
    Grid& grid = m_Grids[static_cast<std::size_t>(home.grid)];
    const int32_t cell = CellOf(grid, b.x, b.y);
    if (cell != home.cell) {
        const int32_t g = home.grid;
        Remove(k);
        Insert(k, b.x, b.y, b.r(), g, cell);
        return;
    }
    home.x = b.x;
    home.y = b.y;
    if (home.place >= 0) {
        Bucket& bucket = grid.buckets[static_cast<std::size_t>(cell)];
        bucket.x[home.place] = b.x;
        bucket.y[home.place] = b.y;
    } else {
        Overflow& o = m_Overflow[static_cast<std::size_t>(k)];
        o.x = b.x;
        o.y = b.y;
    }
}

int16_t* BroadPhase::Probe::Test(float ex, float ey, float er, int32_t k, int16_t* found) const {
    const double sum = r + er + kMargin;
    const double dx = ex - x, dy = ey - y;
    *found = static_cast<int16_t>(k + 1);
    return found + ((dx * dx + dy * dy <= sum * sum) & (k >= first) & (k != self));
}

inline int16_t* BroadPhase::Probe::Test(const Bucket& bucket, int16_t* found) const {
#if defined(__SSE2__)
    // The same sums, products and comparison as the test of one bowl, two
    // bowls at a time: bit for bit the same outcome.
    // First a test in float, four places at once, that can only pass more
    // bowls than the exact test below (see Query for why): the exact test
    // decides, and it runs only for a bucket with a bowl that may be within
    // reach and is wanted, which most buckets of a query have not.
    const __m128 ex = _mm_load_ps(bucket.x), ey = _mm_load_ps(bucket.y);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 freachs = _mm_set1_ps(freach);
    const __m128 nearX = _mm_cmple_ps(_mm_and_ps(_mm_sub_ps(ex, _mm_set1_ps(fx)), absMask), freachs);
    const __m128 nearY = _mm_cmple_ps(_mm_and_ps(_mm_sub_ps(ey, _mm_set1_ps(fy)), absMask), freachs);
    const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(bucket.k));
    const __m128i wanted = _mm_andnot_si128(_mm_cmpeq_epi32(k, _mm_set1_epi32(self)),
                                            _mm_cmpgt_epi32(k, _mm_set1_epi32(first - 1)));
    const int candidates = _mm_movemask_ps(_mm_and_ps(_mm_and_ps(nearX, nearY), _mm_castsi128_ps(wanted)));
    if (candidates == 0) return found;
    const __m128d vx = _mm_set1_pd(x), vy = _mm_set1_pd(y), vr = _mm_set1_pd(r);
    const __m128d margin = _mm_set1_pd(kMargin);
    const __m128 er = _mm_load_ps(bucket.r);
    const auto within = [&](__m128 fx, __m128 fy, __m128 fr) {
        const __m128d dx = _mm_sub_pd(_mm_cvtps_pd(fx), vx), dy = _mm_sub_pd(_mm_cvtps_pd(fy), vy);
        const __m128d sum = _mm_add_pd(_mm_add_pd(vr, _mm_cvtps_pd(fr)), margin);
        return _mm_movemask_pd(_mm_cmple_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), _mm_mul_pd(sum, sum)));
    };
    const int low = within(ex, ey, er);
    const int high = within(_mm_movehl_ps(ex, ex), _mm_movehl_ps(ey, ey), _mm_movehl_ps(er, er));
    for (int mask = (low | high << 2) & candidates; mask != 0; mask &= mask - 1)
        *found++ = static_cast<int16_t>(bucket.k[__builtin_ctz(static_cast<unsigned>(mask))] + 1);
    return found;
#else
    for (int p = 0; p < kPlaces; ++p) found = Test(bucket.x[p], bucket.y[p], bucket.r[p], bucket.k[p], found);
    return found;
#endif
}

int BroadPhase::Query(int16_t i, const CBowl& b, int16_t after, std::size_t limit,
                      std::vector<int16_t>& out) const {
    // A bowl looked at may be written down before it is known to be within
    // reach, so the list needs one place more than there are bowls.
    if (out.size() <= m_Homes.size()) out.resize(m_Homes.size() + 1);
    int16_t* const start = out.data();
    int16_t* found = start;
    std::size_t seen = 0;
    Probe probe{b.r(), b.x, b.y, after, i - 1, b.x, b.y, 0};   // positions k + 1 > after
    for (const Grid& grid : m_Grids) {
        const double reach = probe.r + grid.maxRadius + kMargin;
        // The float pre-filter passes a bowl whose centre differs from the
        // probe's by at most freach along each axis. It can only widen what
        // the exact test passes: a bowl that passes the exact test has
        // fl(dx*dx) <= fl(dx*dx + dy*dy) <= fl(sum*sum) in double, so |dx|
        // is at most sum times (1 + 2^-52); the double dx is the true
        // difference within 2^-53 of it, and the float difference within
        // 2^-24; and sum, rounded the same way from a radius no larger than
        // the grid's largest, is at most reach. So |float dx| <= reach times
        // (1 + 2^-22) at the very most, and likewise dy; freach is reach
        // times (1 + 2^-16), rounded to the nearest float (off by 2^-24 at
        // most), so still wider. Empty places (NaN) fail both tests.
        probe.freach = static_cast<float>(reach * (1 + 0x1p-16));
        const int x0 = CellIndex((probe.x - reach) * grid.inverse, grid.nx);
        const int x1 = CellIndex((probe.x + reach) * grid.inverse, grid.nx);
        const int y0 = CellIndex((probe.y - reach) * grid.inverse, grid.ny);
        const int y1 = CellIndex((probe.y + reach) * grid.inverse, grid.ny);
        const std::size_t nx = static_cast<std::size_t>(grid.nx);
        const std::size_t corner = static_cast<std::size_t>(y0) * nx + static_cast<std::size_t>(x0);
        const Bucket* const buckets = grid.buckets.data() + corner;
        const Tally* const tallies = grid.tallies.data() + corner;
        if (x1 - x0 == 1 && y1 - y0 == 1 && (tallies[0].overflow & tallies[1].overflow & tallies[nx].overflow &
                                              tallies[nx + 1].overflow) < 0) {
            // What cells are sized for: two across, two down, no crowd.
            found = probe.Test(buckets[0], found);
            found = probe.Test(buckets[1], found);
            found = probe.Test(buckets[nx], found);
            found = probe.Test(buckets[nx + 1], found);
            continue;
        }
        for (int dy = 0; dy <= y1 - y0; ++dy)
            for (int dx = 0; dx <= x1 - x0; ++dx) {
                const std::size_t cell = static_cast<std::size_t>(dy) * nx + static_cast<std::size_t>(dx);
                found = probe.Test(buckets[cell], found);
                // A bucket is cheap to read; only a crowded cell can cost more
                // than checking the pairs left one by one.
                const Tally& tally = tallies[cell];
                if (tally.overflow < 0) continue;
                seen += static_cast<std::size_t>(tally.population - kPlaces);
                if (seen > limit) return -1;
                for (int32_t k = tally.overflow; k >= 0; k = m_Overflow[static_cast<std::size_t>(k)].next) {
                    const Overflow& o = m_Overflow[static_cast<std::size_t>(k)];
                    found = probe.Test(o.x, o.y, o.r, k, found);
                }
            }
    }
    return static_cast<int>(found - start);
}

std::string BroadPhase::Validate(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY) const {
    const std::size_t n = bowls.size();
    const auto bowl = [](std::size_t k) { return "bowl " + std::to_string(k + 1) + ": "; };
    if (m_Homes.size() != n || m_Overflow.size() != n)
        return "the index holds " + std::to_string(m_Homes.size()) + " bowls, the engine " + std::to_string(n);
    if (!SameBits(maxX, m_MaxX) || !SameBits(maxY, m_MaxY)) return "the layout was made for another box";
    for (const Grid& grid : m_Grids)
        if (grid.nx < 1 || grid.ny < 1 || grid.tallies.size() != grid.buckets.size() ||
            grid.tallies.size() != static_cast<std::size_t>(grid.nx) * static_cast<std::size_t>(grid.ny))
            return "a grid's cells do not match its size";
    // Every bowl where its centre and size class put it, with its own bits.
    int gridOfClass[kClasses];
    std::fill(std::begin(gridOfClass), std::end(gridOfClass), -1);
    for (std::size_t k = 0; k < n; ++k) {
        const CBowl& b = *bowls[k];
        const Home& home = m_Homes[k];
        if (!SameBits(home.x, b.x) || !SameBits(home.y, b.y) || !SameBits(home.r, b.r()))
            return bowl(k) + "the index holds an old centre or radius";
        if (home.grid < 0 || static_cast<std::size_t>(home.grid) >= m_Grids.size()) return bowl(k) + "no such grid";
        const Grid& grid = m_Grids[static_cast<std::size_t>(home.grid)];
        int& classGrid = gridOfClass[ClassOf(home.r)];
        if (classGrid >= 0 && classGrid != home.grid) return bowl(k) + "its size class is split over two grids";
        classGrid = home.grid;
        if (!(home.r <= grid.maxRadius)) return bowl(k) + "radius beyond its grid's largest, queries miss it";
        if (home.cell != CellOf(grid, b.x, b.y)) return bowl(k) + "kept in a cell other than its centre's";
    }
    for (int c = 1, finest = -1; c < kClasses; ++c)
        if (gridOfClass[c] >= 0) {
            if (gridOfClass[c] < finest) return "a larger size class sits in a finer grid";
            finest = gridOfClass[c];
        }
    // Every entry of every cell is a bowl whose home is that entry, and no
    // bowl is met twice.
    std::vector<char> met(n, 0);
    std::size_t total = 0;
    for (std::size_t g = 0; g < m_Grids.size(); ++g) {
        const Grid& grid = m_Grids[g];
        for (std::size_t cell = 0; cell < grid.tallies.size(); ++cell) {
            const Tally& tally = grid.tallies[cell];
            const Bucket& bucket = grid.buckets[cell];
            const auto where = [&] { return "grid " + std::to_string(g) + " cell " + std::to_string(cell) + ": "; };
            if (tally.population < 0) return where() + "negative population";
            total += static_cast<std::size_t>(tally.population);
            const auto claim = [&](int32_t k, int32_t place) -> std::string {
                if (k < 0 || static_cast<std::size_t>(k) >= n) return where() + "an entry for no bowl";
                const Home& home = m_Homes[static_cast<std::size_t>(k)];
                if (static_cast<std::size_t>(home.grid) != g || static_cast<std::size_t>(home.cell) != cell ||
                    home.place != place)
                    return where() + "a stale entry for bowl " + std::to_string(k + 1);
                if (met[static_cast<std::size_t>(k)]++) return where() + "bowl " + std::to_string(k + 1) + " met twice";
                return {};
            };
            const int used = std::min(tally.population, kPlaces);
            for (int p = 0; p < kPlaces; ++p) {
                if (p >= used) {
                    if (!std::isnan(bucket.x[p])) return where() + "an unused place holds a centre";
                    continue;
                }
                std::string problem = claim(bucket.k[p], p);
                if (!problem.empty()) return problem;
                const Home& home = m_Homes[static_cast<std::size_t>(bucket.k[p])];
                if (!SameBits(bucket.x[p], home.x) || !SameBits(bucket.y[p], home.y) || !SameBits(bucket.r[p], home.r))
                    return where() + "a bucket holds old values";
            }
            // The overflow list, walked no further than it should reach.
            const int32_t crowd = std::max(tally.population - kPlaces, 0);
            int32_t prev = -1, k = tally.overflow;
            for (int32_t count = 0; count < crowd; ++count) {
                std::string problem = claim(k, -1);
                if (!problem.empty()) return problem;
                const Overflow& o = m_Overflow[static_cast<std::size_t>(k)];
                const Home& home = m_Homes[static_cast<std::size_t>(k)];
                if (o.prev != prev) return where() + "an overflow entry links back to the wrong bowl";
                if (!SameBits(o.x, home.x) || !SameBits(o.y, home.y) || !SameBits(o.r, home.r))
                    return where() + "an overflow entry holds old values";
                prev = k;
                k = o.next;
            }
            if (k != -1) return where() + "the overflow list is longer than the population says";
        }
    }
    // Each entry met a bowl of its own: as many entries as bowls means every bowl was met.
    if (total != n) return "the cells count " + std::to_string(total) + " bowls, the engine holds " + std::to_string(n);
    return {};
}

} // namespace vintrop
