#include "disksprites.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vintrop {

namespace {
constexpr QRgb kMaskFill = 0xFF00FF00;
constexpr QRgb kMaskOutline = 0xFFFF0000;
} // namespace

void DiskSprites::DrawDirect(QPainter& painter, int cx, int cy, double radius, QRgb fill) {
    QPen outline(Qt::black, 1);
    outline.setCosmetic(true);
    painter.setPen(outline);
    painter.setBrush(QColor::fromRgb(fill));
    painter.drawEllipse(QPointF(cx, cy), radius, radius);
}

void DiskSprites::BeginFrame(double scale) {
    if (scale == m_Scale) return;
    m_Masks.clear();
    m_Scale = scale;
}

const DiskSprites::Mask* DiskSprites::MaskFor(double radius) {
    uint64_t key;
    std::memcpy(&key, &radius, sizeof key);
    auto it = m_Masks.find(key);
    if (it != m_Masks.end()) return &it->second;
    // Emptying the cache here would paint every mask again each frame of a
    // scene with more radii than masks.
    if (m_Masks.size() >= kMaxMasks) return nullptr;

    // Paint the disk once, centred on a pixel, in two marker colours: the
    // same painter call as a direct drawing, so the same pixels.
    const int half = static_cast<int>(std::ceil(radius)) + 3;
    QImage scratch(2 * half + 1, 2 * half + 1, QImage::Format_ARGB32);
    scratch.fill(0);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen outline(QColor::fromRgb(kMaskOutline), 1);
        outline.setCosmetic(true);
        painter.setPen(outline);
        painter.setBrush(QColor::fromRgb(kMaskFill));
        painter.drawEllipse(QPointF(half, half), radius, radius);
    }
    Mask mask;
    mask.top = mask.left = std::numeric_limits<int16_t>::max();
    mask.bottom = mask.right = std::numeric_limits<int16_t>::min();
    for (int y = 0; y < scratch.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width();) {
            const QRgb p = row[x];
            if (p != kMaskFill && p != kMaskOutline) {
                ++x;
                continue;
            }
            int end = x;
            while (end < scratch.width() && row[end] == p) ++end;
            mask.runs.push_back({static_cast<int16_t>(y - half), static_cast<int16_t>(x - half),
                                 static_cast<int16_t>(end - half), p == kMaskOutline});
            mask.top = std::min<int16_t>(mask.top, static_cast<int16_t>(y - half));
            mask.bottom = std::max<int16_t>(mask.bottom, static_cast<int16_t>(y - half));
            mask.left = std::min<int16_t>(mask.left, static_cast<int16_t>(x - half));
            mask.right = std::max<int16_t>(mask.right, static_cast<int16_t>(end - half));
            x = end;
        }
    }
    return &m_Masks.emplace(key, std::move(mask)).first->second;
}

bool DiskSprites::Draw(QImage& image, int cx, int cy, double radius, QRgb fill) {
    if (!(radius <= kMaxRadius)) return false;
    const Mask* found = MaskFor(radius);
    if (!found) return false;
    const Mask& mask = *found;
    if (mask.runs.empty()) return true;
    const int w = image.width(), h = image.height();
    if (cx + mask.right <= 0 || cx + mask.left >= w || cy + mask.bottom < 0 || cy + mask.top >= h) return true;
    const QRgb black = 0xFF000000;
    const QRgb color = 0xFF000000 | fill;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const Run& run : mask.runs) {
        const int y = cy + run.dy;
        if (y < 0 || y >= h) continue;
        const int x0 = std::max(0, cx + run.x0), x1 = std::min(w, cx + run.x1);
        if (x0 >= x1) continue;
        QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + x0, row + x1, run.outline ? black : color);
    }
    return true;
}

} // namespace vintrop
