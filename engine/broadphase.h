#pragma once
// Finds, for one bowl, the bowls close enough to touch it, so that a step
// need not check every pair. Bowls are kept in a hierarchy of uniform grids,
// one level per size class of radius (cells of 128, 256, 512 ... twips, a
// bowl in the level whose cell is at least its diameter): a level's cells
// hold few bowls whether the bowls are small or large, and a query visits
// only the few cells within reach of each level's largest radius.
//
// Cells cover the box; a centre outside it counts in the nearest border
// cell. Both the cell of a centre and the range of a query are computed with
// correctly rounded, hence monotone, operations and then clamped (monotone
// too), so every bowl within reach is found whatever its position.
#include <cstdint>
#include <memory>
#include <vector>

namespace vintrop {

class CBowl;

class BroadPhase {
public:
    // Extra reach beyond the sum of radii, in twips: covers the rounding of
    // the radius sum and of the distance test.
    static constexpr double kMargin = 2.0;

    // Indexes every bowl at its current centre for a box of maxX by maxY.
    void Rebuild(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY);
    // Bowl at 1-based position i has moved.
    void Update(int16_t i, const CBowl& b);
    // Appends to `out` every position j != i whose centre lies within the
    // radius sum plus the margin of b's centre (unordered, no duplicates).
    // A pair left out can neither collide nor touch.
    void Query(int16_t i, const CBowl& b, std::vector<int16_t>& out) const;

private:
    struct Level {
        double cell = 0;          // cell size, twips
        int nx = 0, ny = 0;       // cells across and down
        float maxRadius = 0;      // largest radius held since the rebuild
        std::vector<int32_t> head; // first bowl (0-based) in each cell, -1 none
        bool used = false;
    };
    struct Entry {
        float x = 0, y = 0, r = 0; // the bowl's centre and radius, kept here
                                   // so a query reads no bowl
        int level = 0;
        int32_t cell = -1;
        int32_t prev = -1, next = -1;
    };

    static int LevelOf(float radius);
    int32_t CellOf(const Level& level, float x, float y) const;
    void Link(int32_t k, int levelIndex, int32_t cell);
    void Unlink(int32_t k);

    std::vector<Level> m_Levels;
    std::vector<Entry> m_Entries; // by 0-based position
};

} // namespace vintrop
