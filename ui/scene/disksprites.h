#pragma once
// Draws outlined disks fast by copying pixel masks. A disk of a given radius
// always covers the same pixels relative to its centre pixel, so its mask is
// painted once with QPainter, exactly as a direct drawing would paint it,
// and copied for every later disk of that radius in any colour.
#include <QImage>
#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vintrop {

class DiskSprites {
public:
    // The largest radius (device pixels) kept as a mask; larger disks are
    // rare and drawn directly.
    static constexpr double kMaxRadius = 400.0;

    // At most this many masks are kept: a disk of any further radius is
    // drawn directly, as painting a mask costs more than drawing the disk.
    static constexpr std::size_t kMaxMasks = 8192;

    // Called before a frame drawn at `scale`: masks of another scale serve
    // no radius of this one and are dropped.
    void BeginFrame(double scale);

    // Paints a disk filled with `fill` and outlined in black, one device
    // pixel wide, centred on the device pixel (cx, cy) of an RGB32 image.
    // Returns false when the radius has no mask (too large, or the masks
    // are all taken): draw it directly.
    bool Draw(QImage& image, int cx, int cy, double radius, QRgb fill);

    // Paints the same disk with QPainter on `painter`'s device (no transform).
    static void DrawDirect(class QPainter& painter, int cx, int cy, double radius, QRgb fill);

private:
    // Per row of the mask: runs of fill and outline pixels.
    struct Run {
        int16_t dy, x0, x1;   // row offset and columns [x0, x1) from the centre
        bool outline;
    };
    struct Mask {
        int16_t top = 0, bottom = 0;   // rows covered, relative to the centre
        int16_t left = 0, right = 0;   // columns covered
        std::vector<Run> runs;
    };
    const Mask* MaskFor(double radius);   // null when no more masks are kept

    std::unordered_map<uint64_t, Mask> m_Masks;   // by the radius's bits
    double m_Scale = 0;                           // of the masks kept
};

} // namespace vintrop
