#pragma once
// Twips (1/1440 inch) are the program's unit for positions, radii and window
// geometry. At 96 dpi one pixel is 15 twips.
#include <QPaintDevice>
#include <QWidget>

namespace vintrop::twips {

inline double PerPixel(const QPaintDevice* device) {
    const int dpi = device ? device->logicalDpiX() : 96;
    return 1440.0 / (dpi > 0 ? dpi : 96);
}
inline int ToPixels(double tw, const QPaintDevice* device = nullptr) {
    return qRound(tw / PerPixel(device));
}
inline double FromPixels(double px, const QPaintDevice* device = nullptr) {
    return px * PerPixel(device);
}

} // namespace vintrop::twips
