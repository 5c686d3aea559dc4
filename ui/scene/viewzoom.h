#pragma once
// The zoom of the scene: how many times larger than life bowls, numbers,
// momentum lines and the box are drawn. It changes the pixels per twip of the
// drawing only; a window of a given size holds a smaller box at a larger zoom.
#include <array>
#include <cstdint>

namespace vintrop::zoom {

// The zoom steps, percent, smallest first; 100 is actual size.
inline constexpr std::array<int16_t, 7> kSteps = {100, 125, 150, 200, 250, 300, 400};
inline constexpr int16_t kActualSize = 100;

// The next step above `percent`, or the largest step when there is none.
inline int16_t StepIn(int16_t percent) {
    for (int16_t step : kSteps)
        if (step > percent) return step;
    return kSteps.back();
}

// The next step below `percent`, or the smallest step when there is none.
inline int16_t StepOut(int16_t percent) {
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < percent) return *it;
    return kSteps.front();
}

// Twips per pixel of the drawing at `percent`, from the screen's twips per pixel.
inline double TwipsPerPixel(double screenTwipsPerPixel, int16_t percent) {
    return percent > 0 ? screenTwipsPerPixel * kActualSize / percent : screenTwipsPerPixel;
}

} // namespace vintrop::zoom
