#pragma once
// The part of the main window that shows the scene: it paints the last frame
// presented to it (the window's picture) and nothing else, so the screen
// changes once per frame and is repainted from that picture when uncovered.
#include <QImage>
#include <QWidget>
#include <functional>

#include "sceneview.h"

namespace vintrop {

class DrawingArea : public QWidget {
    Q_OBJECT
public:
    explicit DrawingArea(QWidget* parent = nullptr);

    // The scene's view on this area: what the engine's steps draw here.
    SceneView& View() { return m_View; }
    // The picture on screen (device pixels).
    const QImage& Picture() const { return m_View.Picture(); }
    int FramesRasterised() const { return m_View.FramesRasterised(); }
    // Painted over the picture at every repaint (the selection's handles),
    // in logical pixels; the picture itself is left as the frame made it.
    void SetOverlay(std::function<void(QPainter&)> paint) { m_Overlay = std::move(paint); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, 0}; }

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Paint(const QRect& dirty);

    SceneView m_View;
    std::function<void(QPainter&)> m_Overlay;
};

} // namespace vintrop
