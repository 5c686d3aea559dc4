#pragma once
// The picture a window shows: the latest finished frame, rasterised only
// when the window paints (or someone asks for its pixels), and repainted at
// most once per screen refresh however fast frames are presented. Every
// picture shown is one complete frame.
//
// While frames come faster than the screen refreshes (a running scene), each
// frame due on screen is rasterised on a worker thread, so that the main
// thread goes on stepping the engine meanwhile; the screen shows the last
// finished picture until the next one is ready. A frame that reads the
// program's paths (which the next steps add to) is rasterised on the main
// thread, as is every frame presented on its own (a single step, a redraw).
#include <QElapsedTimer>
#include <QFutureWatcher>
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
    ~PresentedPicture() override;

    // Takes the renderer's recorded frame as the one to show.
    void Present(SceneRenderer& renderer);
    // The latest frame's pixels (device pixels, ratio set); writable for
    // painting over it until the next frame. Waits for the worker.
    QImage& Picture() const;
    // What the screen paints: the latest frame, or while frames stream
    // through the worker, the last one it finished.
    const QImage& Shown() const;
    // Waits until the worker is idle. Whoever changes the renderer's
    // geometry, font or masks calls this first: the worker reads them.
    void Wait() const;
    // How many frames were rasterised: at most one per repaint.
    int FramesRasterised() const { return m_Rasterised; }

private:
    void RequestRepaint();
    // The frame due on screen: rasterised on the worker when the frames
    // stream, else painted at once.
    void ShowDue();
    void Finished() const;
    qint64 FrameMs() const;   // one screen refresh

    QWidget* m_Target;
    const SceneRenderer* m_Renderer = nullptr;
    mutable SceneFrame m_Frame;
    mutable QImage m_Picture;
    mutable bool m_Dirty = false;
    mutable int m_Rasterised = 0;
    QElapsedTimer m_SinceRepaint;
    QTimer m_Deferred;
    // The worker's frame and picture: the main thread leaves them alone
    // while it runs.
    mutable SceneFrame m_WorkFrame;
    mutable QImage m_WorkPicture;
    mutable bool m_Working = false;
    mutable bool m_WorkFailed = false;   // the worker's rasterising threw
    // Frames come faster than the screen refreshes and go through the
    // worker: the screen paints the last finished picture meanwhile.
    mutable bool m_Streaming = false;
    mutable QFutureWatcher<void> m_Work;
};

} // namespace vintrop
