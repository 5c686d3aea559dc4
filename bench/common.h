#pragma once
// The scene every benchmark uses: a box of 28,800 x 16,200 twips (a
// 1920 x 1080 screen at 96 dpi) filled with bowls of mass 1 moving at up to
// 40 twips per step, on a jittered lattice so that they never overlap
// however many there are.
#include <algorithm>
#include <cmath>
#include <random>

#include "envengine.h"

namespace vintrop::bench {

constexpr float kWidth = 28800, kHeight = 16200;

inline void Fill(CEnvEng& engine, int n) {
    std::mt19937 rng(12345);
    const int cols = static_cast<int>(std::ceil(std::sqrt(n * kWidth / kHeight)));
    const int rows = (n + cols - 1) / cols;
    const double dx = kWidth / cols, dy = kHeight / rows;
    const double r = 61.753792;   // radius of mass 1
    const double jitter = std::max(0.0, (std::min(dx, dy) - 2 * r - 2) / 2);
    std::uniform_real_distribution<double> j(-jitter, jitter), v(-40, 40);
    for (int k = 0; k < n; ++k) {
        const double x = (k % cols + 0.5) * dx + j(rng), y = (k / cols + 0.5) * dy + j(rng);
        engine.AddBowl(1, static_cast<float>(x), static_cast<float>(y), static_cast<float>(v(rng)),
                       static_cast<float>(v(rng)));
    }
}

} // namespace vintrop::bench
