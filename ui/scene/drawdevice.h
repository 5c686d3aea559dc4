#pragma once
// What the bowl dialog needs of the window that shows the scene.

namespace vintrop {

class IDrawDevice {
public:
    virtual ~IDrawDevice() = default;
    // Redraws the whole scene from the engine and shows it at once.
    virtual void ManualRefresh() = 0;
    // Draws a white disk with the usual outline over the picture on screen,
    // centred at (x, y) with radius r, all in twips; the next redraw erases it.
    virtual void DrawProvisionalCircle(float x, float y, float r) = 0;
};

} // namespace vintrop
