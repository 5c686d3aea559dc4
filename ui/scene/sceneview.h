#pragma once
// What the main window's drawing area and the full-screen view both are to
// the engine: a listener that records each step's drawing (every bowl as it
// finishes its part of the step) and, once the step is complete, presents it
// as the picture its screen paints; the momenta around each collision become
// marks its screen paints over the picture for a while. The bowls' paths
// and their centre of mass are drawn into each frame when the options ask.
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "enginelistener.h"
#include "pairmarks.h"
#include "presentedpicture.h"
#include "scenerenderer.h"

class QPainter;
class QRect;
class QWidget;

namespace vintrop {

class CEnvEng;

class SceneView : public IEngineListener {
public:
    // `screen` paints Picture() and is repainted for every frame presented.
    explicit SceneView(QWidget* screen);
    SceneView(const SceneView&) = delete;
    SceneView& operator=(const SceneView&) = delete;

    // Sizes the frames to `pixels` logical pixels at the screen's pixel ratio
    // and resolution, the scene drawn `zoomPercent` percent of actual size;
    // drops what was recorded. Lines are as many logical pixels wide as the
    // scale is times actual size, rounded, at least one (here and in FitBox).
    void Resize(QSize pixels, int16_t zoomPercent);
    // Sizes the frames to show a box of the given size (twips) whole, as
    // large as `area` (logical pixels) allows and centred in it; the zoom
    // plays no part. Drops what was recorded.
    void FitBox(QSize area, double boxWidth, double boxHeight);
    // Where the picture sits on its screen, logical pixels: the whole screen
    // after Resize, the box centred after FitBox.
    QPointF Origin() const { return m_Box.topLeft(); }
    bool Fitted() const { return m_Fitted; }
    // After FitBox, paints what lies outside the box in `dirty` (logical
    // pixels of the screen): grey, with the walls drawn along the box.
    void PaintOutsideBox(QPainter& painter, const QRect& dirty) const;
    // Without a lesson's own box, the screen's edges are the walls: paints
    // them along the inside of `screen` (the full-screen view shows them).
    void PaintEdgeWalls(QPainter& painter, const QRect& screen) const;
    // The picture's size on screen as a percentage of actual size.
    int ScalePercent() const;
    int LineWidth() const { return m_Renderer.LineWidth(); }   // logical pixels
    // The size last given, in twips: the box the engine's bowls live in.
    double WidthTwips() const { return m_Renderer.InnerWidthTwips(); }
    double HeightTwips() const { return m_Renderer.InnerHeightTwips(); }
    // Twips per logical pixel of the drawing: what a point on the screen is in
    // the engine's box.
    double TwipsPerPixel() const { return m_Renderer.TwipsPerPixel(); }

    // Called after every frame presented.
    void SetOnPresented(std::function<void()> onPresented) { m_OnPresented = std::move(onPresented); }

    // Draws every bowl of `engine` where it is now, each with its position
    // printed beside it when `numbered`, and presents the frame at once.
    void Redraw(const CEnvEng& engine, bool numbered = false);
    // Forgets what was recorded since the last frame (a step that failed
    // half-way).
    void DropRecording() {
        m_Renderer.Clear();
        m_Marks.DropPending();
    }
    // Paints the collisions' momentum marks over the picture (the screen's
    // logical pixels), as the engine (g_pEnvEng) stands now, and keeps the
    // screen repainting while one fades.
    void PaintPairMarks(QPainter& painter);
    PairMarks& Marks() { return m_Marks; }
    const PairMarks& Marks() const { return m_Marks; }
    bool Fading() const { return m_Fading.isActive(); }   // repaints are due for a fading mark

    // The frame on screen now (device pixels, ratio set).
    QImage& Picture() const { return m_Presented.Picture(); }
    // What the screen paints: the frame on screen now, or while a newer one
    // is being rasterised, the one before it.
    const QImage& Shown() const { return m_Presented.Shown(); }
    int FramesRasterised() const { return m_Presented.FramesRasterised(); }
    // A white disk over the frame on screen (centre and radius in twips),
    // until the next frame.
    void DrawProvisionalCircle(float x, float y, float r);

    // --- IEngineListener ---
    void Step(const CBowl& b) override;
    void BeforeCollision(const CBowl& b1, const CBowl& b2) override;
    void AfterCollision(const CBowl& b1, const CBowl& b2) override;
    void AdvanceCompleted() override;   // presents the frame
    void StepAborted() override { DropRecording(); }   // the partial frame and its marks go

private:
    QWidget* m_Screen;
    SceneRenderer m_Renderer;
    bool m_Fitted = false;
    QRectF m_Box;   // the box on the screen, logical pixels
    PresentedPicture m_Presented;
    PairMarks m_Marks;
    QTimer m_Fading;   // runs only while a mark fades
    std::function<void()> m_OnPresented;

    // The recorded frame, with the paths and the centre of mass of `engine`
    // as the options ask, becomes the picture.
    void Present(const CEnvEng* engine);
};

} // namespace vintrop
