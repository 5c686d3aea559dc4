#pragma once
// Draws the scene the way the main window and the full-screen view both show
// it: an off-screen buffer in twips (black background, 1-pixel lines) that
// receives one tick's drawing and is then presented in one piece.
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

namespace vintrop {

class CBowl;

class SceneRenderer {
public:
    SceneRenderer();

    // Sizes the buffer to `pixels` (logical pixels) at the given device pixel
    // ratio; one logical pixel is twipsPerPixel twips. Keeps nothing drawn.
    void Resize(QSize pixels, qreal devicePixelRatio, double twipsPerPixel);
    double InnerWidthTwips() const;
    double InnerHeightTwips() const;

    void Clear();                                   // black, current position (0, 0)
    void DrawBowl(const CBowl& b);                  // disk, number, momentum vector
    // The pair's total momentum at one tenth scale from the midpoint of the
    // centres: dashed in b1's colour before the impact, solid in b2's after.
    void DrawPairMomentum(const CBowl& b1, const CBowl& b2, bool beforeImpact);
    void PrintText(const QString& text);            // at the current position, then a line end
    QPointF CurrentPosition() const { return m_Current; } // twips

    // A copy of what the buffer holds now (device pixels, with its ratio set).
    QImage Snapshot() const;

private:
    QImage m_Buffer;          // pc_DrawBuffer
    double m_TwipsPerPixel = 15.0;
    QPointF m_Current;        // the drawing surface's current position, twips
};

} // namespace vintrop
