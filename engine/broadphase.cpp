#include "broadphase.h"

#include <algorithm>
#include <cmath>

#include "bowl.h"

namespace vintrop {

namespace {
constexpr double kBaseCell = 128.0;   // the smallest cell, twips
constexpr int kLevels = 24;           // cells up to 128 * 2^23 twips
constexpr int kMaxCellsPerAxis = 1024;

int ClampIndex(double v, int n) {
    if (!(v > 0)) return 0;  // also for a NaN, which no stored value can be
    if (v >= n - 1) return n - 1;
    return static_cast<int>(v);
}
} // namespace

int BroadPhase::LevelOf(float radius) {
    int level = 0;
    double half = kBaseCell / 2;
    while (level < kLevels - 1 && radius > half) {
        half *= 2;
        ++level;
    }
    return level;
}

void BroadPhase::Rebuild(const std::vector<std::unique_ptr<CBowl>>& bowls, float maxX, float maxY) {
    const double width = std::max(0.0, static_cast<double>(maxX));
    const double height = std::max(0.0, static_cast<double>(maxY));
    m_Levels.assign(kLevels, Level{});
    for (int l = 0; l < kLevels; ++l) {
        Level& level = m_Levels[l];
        // A huge box gets coarser cells rather than an unbounded grid.
        level.cell = std::max({std::ldexp(kBaseCell, l), width / (kMaxCellsPerAxis - 1),
                               height / (kMaxCellsPerAxis - 1)});
        level.nx = static_cast<int>(std::min<double>(kMaxCellsPerAxis, std::floor(width / level.cell) + 1));
        level.ny = static_cast<int>(std::min<double>(kMaxCellsPerAxis, std::floor(height / level.cell) + 1));
    }
    m_Entries.assign(bowls.size(), Entry{});
    for (std::size_t k = 0; k < bowls.size(); ++k) {
        const CBowl& b = *bowls[k];
        const int l = LevelOf(b.r());
        Level& level = m_Levels[l];
        if (!level.used) {
            level.head.assign(static_cast<std::size_t>(level.nx) * level.ny, -1);
            level.used = true;
        }
        level.maxRadius = std::max(level.maxRadius, b.r());
        m_Entries[k].x = b.x;
        m_Entries[k].y = b.y;
        m_Entries[k].r = b.r();
        Link(static_cast<int32_t>(k), l, CellOf(level, b.x, b.y));
    }
}

int32_t BroadPhase::CellOf(const Level& level, float x, float y) const {
    const int cx = ClampIndex(std::floor(x / level.cell), level.nx);
    const int cy = ClampIndex(std::floor(y / level.cell), level.ny);
    return cy * level.nx + cx;
}

void BroadPhase::Link(int32_t k, int levelIndex, int32_t cell) {
    Entry& e = m_Entries[k];
    Level& level = m_Levels[levelIndex];
    e.level = levelIndex;
    e.cell = cell;
    e.prev = -1;
    e.next = level.head[cell];
    if (e.next >= 0) m_Entries[e.next].prev = k;
    level.head[cell] = k;
}

void BroadPhase::Unlink(int32_t k) {
    Entry& e = m_Entries[k];
    if (e.prev >= 0)
        m_Entries[e.prev].next = e.next;
    else
        m_Levels[e.level].head[e.cell] = e.next;
    if (e.next >= 0) m_Entries[e.next].prev = e.prev;
    e.prev = e.next = -1;
}

void BroadPhase::Update(int16_t i, const CBowl& b) {
    const int32_t k = i - 1;
    Entry& e = m_Entries[k];
    e.x = b.x;
    e.y = b.y;
    const int32_t cell = CellOf(m_Levels[e.level], b.x, b.y);
    if (cell == e.cell) return;
    const int level = e.level;
    Unlink(k);
    Link(k, level, cell);
}

void BroadPhase::Query(int16_t i, const CBowl& b, std::vector<int16_t>& out) const {
    const int32_t self = i - 1;
    for (const Level& level : m_Levels) {
        if (!level.used) continue;
        const double reach = static_cast<double>(b.r()) + level.maxRadius + kMargin;
        const int x0 = ClampIndex(std::floor((b.x - reach) / level.cell), level.nx);
        const int x1 = ClampIndex(std::floor((b.x + reach) / level.cell), level.nx);
        const int y0 = ClampIndex(std::floor((b.y - reach) / level.cell), level.ny);
        const int y1 = ClampIndex(std::floor((b.y + reach) / level.cell), level.ny);
        for (int cy = y0; cy <= y1; ++cy) {
            const int32_t* row = level.head.data() + static_cast<std::size_t>(cy) * level.nx;
            for (int cx = x0; cx <= x1; ++cx)
                for (int32_t k = row[cx]; k >= 0; k = m_Entries[k].next) {
                    const Entry& e = m_Entries[k];
                    const double limit = static_cast<double>(b.r()) + e.r + kMargin;
                    const double dx = static_cast<double>(e.x) - b.x, dy = static_cast<double>(e.y) - b.y;
                    if (k != self && dx * dx + dy * dy <= limit * limit) out.push_back(static_cast<int16_t>(k + 1));
                }
        }
    }
}

} // namespace vintrop
