#include "sceneview.h"

#include <QString>
#include <QWidget>

#include "envengine.h"
#include "twips.h"
#include "viewzoom.h"

namespace vintrop {

SceneView::SceneView(QWidget* screen) : m_Screen(screen), m_Presented(screen) {}

void SceneView::Resize(QSize pixels, int16_t zoomPercent) {
    const double twipsPerPixel = zoom::TwipsPerPixel(twips::PerPixel(m_Screen), zoomPercent);
    m_Renderer.Resize(pixels, m_Screen->devicePixelRatioF(), twipsPerPixel);
}

void SceneView::Redraw(const CEnvEng& engine, bool numbered) {
    m_Renderer.Clear();
    // The counter is wider than a position so that it can step past 32767.
    const int count = engine.BowlCount();
    for (int i = 1; i <= count; ++i) {
        m_Renderer.DrawBowl(engine.GetBowl(i));
        if (numbered) m_Renderer.PrintText(QString::number(i));
    }
    AdvanceCompleted();
}

void SceneView::DrawProvisionalCircle(float x, float y, float r) {
    m_Renderer.DrawProvisionalCircle(Picture(), x, y, r);
    m_Screen->update();
}

void SceneView::Step(const CBowl& b) { m_Renderer.DrawBowl(b); }

void SceneView::BeforeCollision(const CBowl& b1, const CBowl& b2) { m_Renderer.DrawPairMomentum(b1, b2, true); }

void SceneView::AfterCollision(const CBowl& b1, const CBowl& b2) { m_Renderer.DrawPairMomentum(b1, b2, false); }

void SceneView::AdvanceCompleted() {
    m_Presented.Present(m_Renderer);
    m_Renderer.Clear();
    if (m_OnPresented) m_OnPresented();
}

} // namespace vintrop
