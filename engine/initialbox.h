#pragma once
// The box the program starts with, in twips: the main window's designed
// drawing area (539 x 282 pixels at 96 dpi). The headless runner uses it
// when given no other, and the teaching scenarios are made to fit it.
namespace vintrop {
inline constexpr float kInitialBoxWidth = 8085;
inline constexpr float kInitialBoxHeight = 4230;
} // namespace vintrop
