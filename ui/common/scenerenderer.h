#pragma once
// Draws the scene the way the main window and the full-screen view both show
// it: an off-screen buffer in twips (black background, 1-pixel lines) that
// receives one tick's drawing and is then presented in one piece.
//
// All coordinates are twips, origin top-left, y downwards; the painter maps
// them to the buffer with a scale of 1 / twipsPerPixel. A painter stays open
// on the buffer between calls, so drawing one bowl allocates nothing.
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace vintrop {

class CBowl;

class SceneRenderer {
public:
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Sizes the buffer to `pixels` (logical pixels) at the given device pixel
    // ratio; one logical pixel is twipsPerPixel twips. Keeps nothing drawn:
    // the new buffer is black.
    void Resize(QSize pixels, qreal devicePixelRatio, double twipsPerPixel);
    double InnerWidthTwips() const;
    double InnerHeightTwips() const;
    double TwipsPerPixel() const { return m_TwipsPerPixel; }
    QSize SizePixels() const { return m_Pixels; }    // logical pixels

    void Clear();                                   // black, current position (0, 0)
    // The disk filled with b's colour and outlined in black; its number when
    // FlgShowNumber is on (top-left corner at the centre, then a line end;
    // white on a dark bowl, black with a white rim on a light one);
    // its momentum at one tenth scale in white from the centre when
    // FlgShowVect is on (the current position returns to the centre). A call
    // that cannot be drawn (a disk wholly off the buffer, an offset that
    // overflows a float) is skipped and the rest still runs.
    void DrawBowl(const CBowl& b);
    // Only when FlgShowVect is on: the pair's total momentum at one tenth
    // scale from the midpoint of the centres, dashed in b1's colour before
    // the impact, solid in b2's after it. The current position moves to the
    // line's end.
    void DrawPairMomentum(const CBowl& b1, const CBowl& b2, bool beforeImpact);
    // Text at the current position (its top-left corner there), then a line
    // end: the current position moves to x = 0 on the next text line. The
    // text takes the colour that reads best on the last bowl drawn.
    void PrintText(const QString& text);
    QPointF CurrentPosition() const { return m_Current; } // twips
    double LineHeightTwips() const { return m_LineHeightTwips; }

    // A copy of what the buffer holds now (device pixels, with its ratio set).
    QImage Snapshot() const;
    // Copies the buffer into `picture`, reusing its memory when it already
    // has the buffer's size and format (no allocation per frame).
    void CopyTo(QImage& picture) const;

    // A white disk with a black 1-pixel outline, centre and radius in twips,
    // painted straight onto a presented picture (the bowl dialog's marker).
    void DrawProvisionalCircle(QImage& picture, float x, float y, float r) const;

    // A bowl's Color (red + 256 * green + 65536 * blue) as a QColor.
    static QColor ColorOf(int32_t color);
    // Black or white, whichever reads better on `fill`.
    static QColor TextColorOn(const QColor& fill);

private:
    // What one bowl needs drawn, prepared the first time its Id is seen.
    struct BowlStyle {
        int32_t color = -1;      // the Color the brush was made for
        QBrush fill;
        bool darkFill = false;   // numbers in white rather than black
        QStaticText number;      // the Id as text
    };

    void Begin();
    void End();
    void DrawDisk(QPainter& painter, double x, double y, double r, const QBrush& fill) const;
    // A straight line in twips; parts far outside the buffer are cut off so
    // that huge coordinates never reach the rasteriser.
    void DrawSegment(double x1, double y1, double x2, double y2, QPen& pen);
    void DrawTextAt(const QStaticText& text, QPointF twips);
    const BowlStyle& StyleOf(const CBowl& b);

    QImage m_Buffer;             // pc_DrawBuffer
    QPainter m_Painter;          // open on m_Buffer while it has a size
    QSize m_Pixels;              // logical pixels
    qreal m_Ratio = 1.0;         // device pixels per logical pixel
    double m_TwipsPerPixel = 15.0;
    QTransform m_Twips;          // twips -> logical pixels
    QPointF m_Current;           // the drawing surface's current position, twips

    QFont m_Font;
    double m_LineHeightTwips = 0;
    QPen m_Outline;              // black, cosmetic, 1 pixel
    QPen m_Vector;               // white, solid
    QPen m_Pair;                 // colour and style set per line
    QPen m_TextOnLight;          // black
    QPen m_TextOnDark;           // white
    bool m_LastFillDark = true;  // PrintText's colour follows the last bowl
    std::vector<BowlStyle> m_Styles; // by Id, for Ids below kStyleCache
    BowlStyle m_Scratch;         // Ids beyond the cache
    QStaticText m_Text;          // PrintText
};

} // namespace vintrop
