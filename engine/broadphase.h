#pragma once
// Finds, for one bowl, the bowls close enough to touch it, so that a step
// need not check every pair.
//
// Bowls are sorted into size classes of radius (up to 64, 128, 256 ...
// twips); each class is kept in a uniform grid, and a class with few bowls
// shares the grid of the class above it (every grid costs each query a few
// cell visits; a sparse grid would pay for them with little). Cells are
// sized so that a query from the most common bowl meets at most two cells
// across and two down.
//
// A cell keeps its first four bowls in one cache line, centres and radii
// side by side, unused places holding a NaN centre that no distance test
// passes: a query reads a cell without a branch per bowl. A crowded cell
// keeps the rest in a list.
//
// Cells cover the box; a centre outside it counts in the nearest border
// cell. Both the cell of a centre and the range of a query are computed with
// correctly rounded, hence monotone, operations and then clamped (monotone
// too), so every bowl within reach is found whatever its position.
//
// The index follows every move it is told of, so from one step to the next
// it only has to check each bowl against what it holds; it lays the grids
// out again only when the box, the number of bowls or a radius has changed.
// A grid has a few cells per bowl at most, and a new layout empties only
// the cells in use: a step costs what its bowls cost, not what the box's
// area costs.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vintrop {

class CBowl;

class BroadPhase {
public:
    // Extra reach beyond the sum of radii, in twips: covers the rounding of
    // the radius sum and of the distance test.
    static constexpr double kMargin = 2.0;

    // Indexes every bowl at its current centre for a box of maxX by maxY.
    // Where only centres have changed since the index last saw the bowls
    // (the usual case from one step to the next), it moves those bowls and
    // keeps the rest of its layout.
    void Rebuild(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY);
    // Bowl at 1-based position i has moved.
    void Update(int16_t i, const CBowl& b);
    // Writes to the start of `out` every position j > after, j != i, whose
    // centre lies within the radius sum plus the margin of b's centre
    // (unordered, no duplicates) and returns how many. A pair left out can
    // neither collide nor touch. Gives up and returns -1 rather than read
    // more than `limit` bowls from the lists of crowded cells (the four a
    // cell keeps in its bucket cost little and are not counted). `out` is
    // grown as needed and never shrunk.
    int Query(int16_t i, const CBowl& b, int16_t after, std::size_t limit, std::vector<int16_t>& out) const;
    // Checks the index against the bowls it was last told of, in a box of
    // maxX by maxY: each bowl held once, in the cell of its centre in the
    // grid of its size class, with its own bits; buckets packed, unused
    // places empty; overflow lists linked both ways and as long as the
    // tallies say; no other entry anywhere. Returns a description of the
    // first inconsistency found, empty when there is none. Costs what a step
    // costs; for tests.
    std::string Validate(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY) const;

private:
    static constexpr int kClasses = 24;   // radii up to 64 * 2^23 twips, then all in the last
    static constexpr int kPlaces = 4;     // bowls a cell holds in its own line

    struct alignas(64) Bucket {
        float x[kPlaces], y[kPlaces], r[kPlaces]; // centres (NaN when unused) and radii
        int32_t k[kPlaces];                       // 0-based positions
    };
    struct Tally {
        int32_t population = 0;   // bowls in the cell
        int32_t overflow = -1;    // first bowl beyond the bucket, -1 none
    };
    // A bowl beyond its cell's bucket, in a list by 0-based position.
    struct Overflow {
        float x = 0, y = 0, r = 0;
        int32_t next = -1, prev = -1;
    };
    // Where a bowl is kept, and what the index holds of it.
    struct Home {
        int32_t grid = 0, cell = 0;
        int32_t place = 0;        // in the bucket, or -1 in the overflow list
        float x = 0, y = 0, r = 0;
    };
    struct Grid {
        double cell = 0, inverse = 0; // cell size, twips, and its reciprocal
        int nx = 0, ny = 0;           // cells across and down
        float maxRadius = 0;          // largest radius held
        std::vector<Bucket> buckets;
        std::vector<Tally> tallies;
    };
    // A query: the bowl asking, and which positions it wants.
    struct Probe {
        double r, x, y;
        int32_t first, self;   // wanted: k >= first, k != self
        // The centre as floats, and a reach in float at least as wide as
        // any radius sum plus margin of the grid in hand (see Query).
        float fx, fy, freach;
        // Writes the position of a bowl at `found`; returns where the next
        // one goes, one further if the bowl is within reach and wanted.
        int16_t* Test(float ex, float ey, float er, int32_t k, int16_t* found) const;
        // The same for the four places of a bucket.
        int16_t* Test(const Bucket& bucket, int16_t* found) const;
    };
    // What the rebuild learns of one size class.
    struct ClassSummary {
        int population = 0;
        float maxRadius = 0;
    };

    static int ClassOf(float radius);
    // Groups the size classes into grids; gridOf[c] is the grid of class c.
    void PlanGrids(double width, double height, const ClassSummary (&classes)[kClasses], int (&gridOf)[kClasses]);
    static int32_t CellOf(const Grid& grid, float x, float y);
    // Moves the bowls whose centres have changed; false (with the index
    // still consistent) when the layout itself must change.
    bool CatchUp(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY);
    void Move(int32_t k, const CBowl& b);
    void Insert(int32_t k, float x, float y, float r, int32_t grid, int32_t cell);
    void Remove(int32_t k);

    std::vector<Grid> m_Grids;        // finest first
    std::vector<Home> m_Homes;        // by 0-based position
    std::vector<Overflow> m_Overflow; // by 0-based position
    float m_MaxX = 0, m_MaxY = 0;     // the box the layout was made for
};

} // namespace vintrop
