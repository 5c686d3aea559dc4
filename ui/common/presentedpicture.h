#pragma once
// The picture a window shows: the latest finished frame, rasterised only
// when the window paints (or someone asks for its pixels), and repainted at
// most once per screen refresh however fast frames are presented. Every
// picture shown is one complete frame.
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>

#include "scenerenderer.h"

class QWidget;

namespace vintrop {

class PresentedPicture : public QObject {
    Q_OBJECT
public:
    explicit PresentedPicture(QWidget* target);

    // Takes the renderer's recorded frame as the one to show.
    void Present(SceneRenderer& renderer);
    // The latest frame's pixels (device pixels, ratio set); writable for
    // painting over it until the next frame.
    QImage& Picture() const;
    // How many frames were rasterised: at most one per repaint.
    int FramesRasterised() const { return m_Rasterised; }

private:
    void RequestRepaint();

    QWidget* m_Target;
    const SceneRenderer* m_Renderer = nullptr;
    SceneFrame m_Frame;
    mutable QImage m_Picture;
    mutable bool m_Dirty = false;
    mutable int m_Rasterised = 0;
    QElapsedTimer m_SinceRepaint;
    QTimer m_Deferred;
};

} // namespace vintrop
