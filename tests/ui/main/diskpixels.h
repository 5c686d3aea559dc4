#pragma once
// Reading a drawn disk back from a picture: how far its fill colour reaches
// from the centre pixel, and how many pixels it covers.
#include <QColor>
#include <QImage>
#include <QPoint>

namespace vintrop::testing {

// Pixels of `fill` in a straight run from `centre` (device pixels) in the
// direction (dx, dy), the centre pixel not counted.
inline int FillRun(const QImage& picture, QPoint centre, int dx, int dy, const QColor& fill) {
    int n = 0;
    QPoint p = centre + QPoint(dx, dy);
    while (picture.valid(p) && picture.pixelColor(p) == fill) {
        ++n;
        p += QPoint(dx, dy);
    }
    return n;
}

// Pixels of `fill` in the whole picture.
inline int CountOf(const QImage& picture, const QColor& fill) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) n += picture.pixelColor(x, y) == fill;
    return n;
}

} // namespace vintrop::testing
