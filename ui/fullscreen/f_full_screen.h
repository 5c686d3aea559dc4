#pragma once
// The simulation on the whole screen, without borders, like a screen saver.
// While open it, not the main window, listens to the engine and draws each
// step into its own buffer, with the step shown large in a corner; the
// conductor's keys (PLAY, PAUSE, STEP, BACK, REW) work in it, and a click,
// any other key that produces a character or a quick mouse movement closes
// it.
#include <QDialog>
#include <QImage>
#include <cstdint>

#include "sceneview.h"

class QPainter;

namespace vintrop {

class CEnvEng;

class F_FULL_SCREEN : public QDialog {
    Q_OBJECT
public:
    explicit F_FULL_SCREEN(QWidget* parent = nullptr);
    ~F_FULL_SCREEN() override;

    // Opens the view on g_pEnvEng and returns once it has closed.
    void Display(bool FlgScrSv);
    // Display without the modal wait: binds, draws a paused scene at once,
    // and sets the window full screen; show() or exec() puts it up.
    void Open(bool FlgScrSv);

    // The mouse exit rule for a move to (X, Y) twips: closes the window on a
    // jump of 100 twips or more from the last recorded position, otherwise
    // records the position. Nothing closes it before a position is recorded.
    void MouseMovedTo(float X, float Y);

    bool Bound() const { return m_pEnvEng != nullptr; }
    bool ScrSv() const { return m_FlgScrSv != 0; }
    float LastX() const { return m_LastX; }
    float LastY() const { return m_LastY; }
    // The frame on screen now (device pixels).
    const QImage& Picture() const { return m_View.Picture(); }
    const PairMarks& Marks() const { return m_View.Marks(); }

public slots:
    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void RedrawAll();
    // The walls and the step, large in the top-left corner.
    void PaintStep(QPainter& painter) const;
    // Runs the conductor command whose key `event` is; false for any other key.
    bool Conduct(const QKeyEvent* event);
    // Sizes the view to `pixels`: the box is the screen, or a lesson's own box
    // is shown whole.
    void LayOut(QSize pixels);
    void Unbind();

    CEnvEng* m_pEnvEng = nullptr;   // set by Open, cleared when the window closes
    int16_t m_FlgScrSv = 0;         // kept; nothing depends on it
    float m_LastX = 0, m_LastY = 0; // last recorded mouse position, twips
    SceneView m_View;               // the engine's steps, drawn on this window
};

} // namespace vintrop
