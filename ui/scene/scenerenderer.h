#pragma once
// Draws the scene the way the main window and the full-screen view both show
// it. During a tick the drawing calls are only recorded (a disk, a line, a
// number: a few words each), so the engine's events stay cheap however fast
// it ticks; a finished tick is taken as one frame and rasterised into a
// picture when, and only when, a screen wants to show it. Rasterising gives
// the pixels the calls would have drawn straight onto a buffer: black
// background, disks outlined in black, lines as wide as the frame's line
// width (1 logical pixel at actual size) ending in arrowheads.
//
// Coordinates are twips, origin top-left, y downwards; one logical pixel is
// twipsPerPixel twips and the picture has devicePixelRatio device pixels per
// logical pixel. A disk is centred on the device pixel nearest its centre.
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <cstdint>
#include <vector>

#include "disksprites.h"

class QPainter;

namespace vintrop {

class CBowl;
class PathStore;
struct CentreOfMass;

// How a line ends: plainly, in a filled arrowhead (momentum) or in an open
// one, two barbs (velocity).
enum class ArrowHead : uint8_t { None, Filled, Open };

// How an arrow is stroked, in the units of the painter it is drawn with.
struct ArrowStyle {
    QColor color;
    double width = 1;         // the line's width
    double unit = 1;          // one logical pixel: the head's size grows with it and with the width
    bool dashed = false;
    ArrowHead head = ArrowHead::Filled;
    QColor rim;               // when valid, a 1-logical-pixel rim of this colour around line and head
};

// One tick's drawing, in the order it was asked for.
struct SceneFrame {
    enum class Kind : uint8_t { Disk, Line, Number, Text, Cross };
    struct Op {
        Kind kind;
        ArrowHead head;    // Line
        bool darkFill;     // Number, Text: the last bowl drawn was dark
        int32_t color;     // Disk fill, Line and Cross colour (packed red + 256 green + 65536 blue)
        int32_t value;     // Number: the number; Text: index into texts
        double x1, y1;     // twips: centre, line start, text position, the cross's centre
        double x2, y2;     // Disk: radius in x2; Line: end
    };
    std::vector<Op> ops;
    std::vector<QString> texts;
    // The paths drawn under everything else, up to the frame's step; the
    // store is the program's, read when the frame is rasterised.
    const PathStore* paths = nullptr;
    int32_t pathsUpTo = 0;
    bool centrePath = false;
    // The picture the frame was drawn for.
    QSize device;                 // device pixels
    qreal ratio = 1.0;            // device pixels per logical pixel
    double twipsPerPixel = 15.0;  // twips per logical pixel
    int lineWidth = 1;            // logical pixels
    int dotsPerMeter = 3780;      // the text's resolution
    void clear() {
        ops.clear();
        texts.clear();
        paths = nullptr;
    }
};

class SceneRenderer {
public:
    SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Sizes the pictures to `pixels` (logical pixels) at the given device
    // pixel ratio; one logical pixel is twipsPerPixel twips and lines are
    // lineWidth logical pixels wide. Drops what was recorded.
    void Resize(QSize pixels, qreal devicePixelRatio, double twipsPerPixel, int lineWidth = 1);
    double InnerWidthTwips() const;
    double InnerHeightTwips() const;
    double TwipsPerPixel() const { return m_TwipsPerPixel; }
    QSize SizePixels() const { return m_Pixels; }    // logical pixels
    int LineWidth() const { return m_LineWidth; }     // logical pixels

    // --- recording one tick ---
    void Clear();                                   // nothing drawn, current position (0, 0)
    // The disk filled with b's colour and outlined in black; its number when
    // FlgShowNumber is on (top-left corner at the centre, then a line end;
    // white on a dark bowl, black with a white rim on a light one);
    // its momentum at one tenth scale (times VectorScale) in white from the
    // centre, with a filled head, when FlgShowVect is on; its velocity times
    // 10 steps in cyan rimmed in black, with an open head, when the velocity option is on (the
    // current position returns to the centre after either). A part that
    // cannot be drawn (an offset that overflows a float) is skipped.
    void DrawBowl(const CBowl& b);
    // The pair's total momentum at one tenth scale (times VectorScale) from
    // the midpoint of the centres, twips, worked out as the bowls' stored
    // values are (in double, rounded to floats); false when it is beyond
    // float range.
    static bool PairMomentumLine(const CBowl& b1, const CBowl& b2, QPointF& from, QPointF& to);
    // The factor every momentum line is drawn at: VectorScale when it is
    // one of the scales offered, else 1.
    static double VectorScaleOf();
    // The centre of mass as a magenta cross rimmed in black, with the total
    // momentum drawn from it as a bowl's momentum is (one tenth scale times
    // VectorScale, the same width and head), in magenta. Nothing when the
    // scene has no mass. The current position stays where it was.
    void DrawCentreOfMass(const CentreOfMass& centre);
    // Every path of `paths` up to step `upToT` drawn under the frame's other
    // drawings, one logical pixel wide (set pixel by pixel, no QPainter), each bowl's in its colour and, when
    // `withCentre`, the centre of mass's in magenta. `paths` must outlive the
    // frame's rasterising.
    void DrawPaths(const PathStore& paths, int32_t upToT, bool withCentre);
    // Text at the current position (its top-left corner there), then a line
    // end: the current position moves to x = 0 on the next text line. The
    // text takes the colour that reads best on the last bowl drawn.
    void PrintText(const QString& text);
    QPointF CurrentPosition() const { return m_Current; } // twips
    double LineHeightTwips() const { return m_LineHeightTwips; }

    // Hands over what was recorded as a finished frame (swapping storage, so
    // nothing is allocated per tick) and starts an empty recording.
    void TakeFrame(SceneFrame& frame);
    // Paints `frame` into `picture` (device pixels, its ratio set), reusing
    // the picture's memory when it already has the right size.
    void Rasterise(const SceneFrame& frame, QImage& picture) const;

    // What is recorded so far, as a picture.
    QImage Snapshot() const;
    void CopyTo(QImage& picture) const;

    // A white disk with a black 1-pixel outline, centre and radius in twips,
    // painted straight onto a picture (the bowl dialog's marker).
    void DrawProvisionalCircle(QImage& picture, float x, float y, float r) const;

    // Disks through cached masks (the default) or through QPainter one by
    // one; both give the same pixels. The switch exists for comparing them.
    void SetDiskMasks(bool on) { m_UseMasks = on; }

    // An arrow from `from` to `to` (the painter's coordinates as they are),
    // drawn only where it comes near `clip`, so that huge coordinates never
    // reach the rasteriser; a dashed line keeps the pattern it would have had
    // whole. The head is drawn when `to` is near `clip`, no longer than the
    // line.
    static void PaintArrow(QPainter& painter, QPointF from, QPointF to, const ArrowStyle& style, const QRectF& clip);

    // A bowl's Color (red + 256 * green + 65536 * blue) as a QColor.
    static QColor ColorOf(int32_t color);
    // What text takes on a bowl of that Color: white on a dark one (perceived
    // brightness below 128 of 255), black on a light one. The scene's numbers
    // and the bowl dialog's labels follow it.
    static QColor TextColorOn(int32_t color);

private:
    void Record(const SceneFrame::Op& op) { m_Recording.ops.push_back(op); }
    void RecordSegment(double x1, double y1, double x2, double y2, int32_t color, ArrowHead head);
    void PaintDisk(QPainter& painter, QImage& image, double scale, double x, double y, double r, QRgb fill) const;
    void PaintSegment(QPainter& painter, const SceneFrame& frame, const SceneFrame::Op& op) const;
    void PaintCross(QPainter& painter, const SceneFrame& frame, const SceneFrame::Op& op) const;
    void PaintPaths(QImage& picture, const SceneFrame& frame) const;
    void PaintText(QPainter& painter, const SceneFrame& frame, const QStaticText& text,
                   const SceneFrame::Op& op) const;
    const QStaticText& NumberText(int value) const;
    void StampGeometry(SceneFrame& frame) const;

    SceneFrame m_Recording;
    QSize m_Pixels;              // logical pixels
    QSize m_Device;              // device pixels
    qreal m_Ratio = 1.0;         // device pixels per logical pixel
    double m_TwipsPerPixel = 15.0;
    int m_LineWidth = 1;         // logical pixels
    int m_DotsPerMeter = 3780;   // text takes the screen's size: 1440 twips per inch
    QPointF m_Current;           // the drawing surface's current position, twips
    bool m_LastFillDark = true;  // numbers and text follow the last bowl drawn

    QFont m_Font;
    double m_LineHeightTwips = 0;
    bool m_UseMasks = true;
    mutable DiskSprites m_Sprites;
    mutable std::vector<QStaticText> m_Numbers;   // "0", "1", ... made on first use
    mutable QStaticText m_Scratch;
    mutable std::vector<QPointF> m_PathScratch;   // one path's points, device pixels
    struct PathSegment {
        QPoint a, b;   // device pixels
        QRgb color;
    };
    mutable std::vector<PathSegment> m_PathSegments;   // every path's lines, in drawing order
    mutable std::vector<std::vector<std::size_t>> m_PathBands;   // the segments crossing each band of rows
};

} // namespace vintrop
