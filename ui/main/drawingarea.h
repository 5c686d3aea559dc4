#pragma once
// The part of the main window that shows the scene: it paints the last frame
// presented to it (the window's picture) and nothing else, so the screen
// changes once per frame and is repainted from that picture when uncovered.
#include <QImage>
#include <QWidget>

#include "presentedpicture.h"

namespace vintrop {

class SceneRenderer;

class DrawingArea : public QWidget {
    Q_OBJECT
public:
    explicit DrawingArea(QWidget* parent = nullptr);

    // Takes the renderer's finished frame as the new picture and repaints.
    void Present(SceneRenderer& renderer) { m_Presented.Present(renderer); }
    // The picture for painting over it in place (the provisional circle);
    // call update() afterwards.
    QImage& Picture() { return m_Presented.Picture(); }
    const QImage& Picture() const { return m_Presented.Picture(); }
    int FramesRasterised() const { return m_Presented.FramesRasterised(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, 0}; }

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    PresentedPicture m_Presented;
};

} // namespace vintrop
