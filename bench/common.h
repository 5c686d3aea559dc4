#pragma once
// The scenes the benchmarks step (and the differential tests replay in small
// versions). The standard box is 28,800 x 16,200 twips, a 1920 x 1080 screen
// at 96 dpi; speeds are in twips per step. Every scene is built from a fixed
// seed, so each run steps the same bowls.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <random>
#include <vector>

#include "bowl.h"
#include "envengine.h"

namespace vintrop::bench {

constexpr float kWidth = 28800, kHeight = 16200;

// Fills a width x height box with n bowls of mass 1 moving at up to 40 twips
// per step, on a jittered lattice so that they never overlap however many
// there are.
inline void FillBox(CEnvEng& engine, int n, float width, float height) {
    if (n <= 0) return;
    std::mt19937 rng(12345);
    const int cols = static_cast<int>(std::ceil(std::sqrt(n * width / height)));
    const int rows = (n + cols - 1) / cols;
    const double dx = width / cols, dy = height / rows;
    const double jitter = std::max(0.0, (std::min(dx, dy) - 2 * static_cast<double>(RadiusOf(1)) - 2) / 2);
    std::uniform_real_distribution<double> j(-jitter, jitter), v(-40, 40);
    for (int k = 0; k < n; ++k) {
        const double x = (k % cols + 0.5) * dx + j(rng), y = (k / cols + 0.5) * dy + j(rng);
        engine.AddBowl(1, static_cast<float>(x), static_cast<float>(y), static_cast<float>(v(rng)),
                       static_cast<float>(v(rng)));
    }
}

// The standard box filled with n bowls: the denser, the more bowls.
inline void Fill(CEnvEng& engine, int n) { FillBox(engine, n, kWidth, kHeight); }

// A box of the standard shape holding n bowls as densely as the standard box
// holds 10,000: the box grows with n, the crowd around each bowl does not.
inline void FillAtConstantDensity(CEnvEng& engine, int n) {
    const double scale = std::sqrt(n / 10000.0);
    engine.MaxX = static_cast<float>(std::round(kWidth * scale));
    engine.MaxY = static_cast<float>(std::round(kHeight * scale));
    FillBox(engine, n, engine.MaxX, engine.MaxY);
}

// n bowls of mass 1 at rest, all centred on the middle of a width x height
// box (the standard one unless given).
inline void Pile(CEnvEng& engine, int n, float width = kWidth, float height = kHeight) {
    engine.MaxX = width;
    engine.MaxY = height;
    for (int k = 0; k < n; ++k) engine.AddBowl(1, width / 2, height / 2, 0, 0);
}

// A crowd of n bowls in a width x height box (the standard one unless
// given): 97 % of mass 1 and 3 % heavy ones, of masses 5 to 1,000 spread
// evenly over the octaves (so each size class holds a few), the heavy ones
// at random places in the collection order. Every bowl starts at a random
// place clear of the others and of the walls, moving at up to 40 twips per
// step along each axis.
inline void MixedCrowd(CEnvEng& engine, int n, unsigned seed = 2024, float width = kWidth,
                       float height = kHeight) {
    engine.MaxX = width;
    engine.MaxY = height;
    std::mt19937 rng(seed);
    std::vector<int16_t> mass(static_cast<std::size_t>(n), 1);
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) order[k] = k;
    std::shuffle(order.begin(), order.end(), rng);
    std::uniform_real_distribution<double> octave(std::log(5.0), std::log(1000.0));
    for (int k = 0; k < n * 3 / 100; ++k)
        mass[order[k]] = static_cast<int16_t>(std::lround(std::exp(octave(rng))));

    // Place the heavy bowls first, while there is room for them. A bowl is
    // registered in every cell its bounding square touches, so two bowls that
    // overlap always share a cell.
    std::vector<CBowl> placed(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) placed[k].SetM(mass[k]);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return mass[a] > mass[b]; });
    constexpr double kCell = 256;
    const int cols = static_cast<int>(width / kCell) + 1, rows = static_cast<int>(height / kCell) + 1;
    std::vector<std::vector<int>> cells(static_cast<std::size_t>(cols) * rows);
    const auto cellRange = [&](const CBowl& b, int& x0, int& x1, int& y0, int& y1) {
        x0 = static_cast<int>((b.x - b.r()) / kCell);
        x1 = static_cast<int>((b.x + b.r()) / kCell);
        y0 = static_cast<int>((b.y - b.r()) / kCell);
        y1 = static_cast<int>((b.y + b.r()) / kCell);
    };
    for (int k : order) {
        CBowl& b = placed[k];
        const double r = b.r() + 1;
        std::uniform_real_distribution<double> px(r, width - r), py(r, height - r);
        bool clear = false;
        for (int tries = 0; !clear; ++tries) {
            // A box too small for the crowd would otherwise never be filled.
            if (tries == 1000000) {
                std::fprintf(stderr, "MixedCrowd: no room for %d bowls in %g x %g\n", n, width, height);
                std::abort();
            }
            b.x = static_cast<float>(std::round(px(rng)));
            b.y = static_cast<float>(std::round(py(rng)));
            int x0, x1, y0, y1;
            cellRange(b, x0, x1, y0, y1);
            clear = true;
            for (int cy = y0; cy <= y1 && clear; ++cy)
                for (int cx = x0; cx <= x1 && clear; ++cx)
                    for (int other : cells[static_cast<std::size_t>(cy) * cols + cx])
                        if (CEnvEng::RelDist(b, placed[other]) <= b.r() + placed[other].r() + 1) {
                            clear = false;
                            break;
                        }
            if (!clear) continue;
            for (int cy = y0; cy <= y1; ++cy)
                for (int cx = x0; cx <= x1; ++cx) cells[static_cast<std::size_t>(cy) * cols + cx].push_back(k);
        }
    }
    std::uniform_real_distribution<double> v(-40, 40);
    for (int k = 0; k < n; ++k) {
        const float vx = static_cast<float>(v(rng)), vy = static_cast<float>(v(rng));
        engine.AddBowl(mass[k], placed[k].x, placed[k].y, vx, vy);
    }
}

} // namespace vintrop::bench
