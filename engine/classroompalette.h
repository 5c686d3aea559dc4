#pragma once
// Classroom colours: twelve named colours handed out by a bowl's place in
// the scenario (1..N, the thirteenth taking the first colour again), so a
// lesson shows the same colours at every Open and a worksheet can name a
// bowl by its colour. Each is light enough to read at 4.5:1 or more against
// the black drawing area (the WCAG contrast of text), and no colour looks
// like the one before or after it.
#include <array>
#include <cstddef>
#include <cstdint>

namespace vintrop {

struct NamedColour {
    const char* name;
    int32_t color;   // red + 256 * green + 65536 * blue, as CBowl::Color
};

inline constexpr int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

inline constexpr std::array<NamedColour, 12> kClassroomPalette = {{
    {"Orange", Rgb(255, 140, 0)},
    {"Sky blue", Rgb(80, 170, 255)},
    {"Yellow", Rgb(255, 230, 0)},
    {"Violet", Rgb(190, 120, 255)},
    {"Green", Rgb(40, 200, 60)},
    {"Pink", Rgb(255, 120, 200)},
    {"Cyan", Rgb(0, 230, 230)},
    {"Tan", Rgb(210, 170, 120)},
    {"Lime", Rgb(170, 255, 60)},
    {"Lavender", Rgb(200, 190, 255)},
    {"Red", Rgb(255, 60, 60)},
    {"White", Rgb(255, 255, 255)},
}};

// The colour of the bowl at `position` (1-based).
inline const NamedColour& ClassroomColourAt(int position) {
    const int n = static_cast<int>(kClassroomPalette.size());
    return kClassroomPalette[static_cast<std::size_t>(((position - 1) % n + n) % n)];
}

} // namespace vintrop
