#pragma once
// Twips (1/1440 inch) are the program's unit for positions, radii and window
// geometry: the one conversion to pixels. Without a device it is 96 dpi, 15
// twips to the pixel, which is how the dialogs are laid out; the main window
// and the full-screen view follow their screen's resolution.
#include <QPaintDevice>
#include <QRect>

namespace vintrop::twips {

inline double PerPixel(const QPaintDevice* device = nullptr) {
    const int dpi = device ? device->logicalDpiX() : 96;
    return 1440.0 / (dpi > 0 ? dpi : 96);
}
inline int ToPixels(double tw, const QPaintDevice* device = nullptr) {
    return qRound(tw / PerPixel(device));
}
// A rectangle given in twips, each coordinate converted on its own.
inline QRect ToPixelRect(double x, double y, double width, double height, const QPaintDevice* device = nullptr) {
    return QRect(ToPixels(x, device), ToPixels(y, device), ToPixels(width, device), ToPixels(height, device));
}

} // namespace vintrop::twips
