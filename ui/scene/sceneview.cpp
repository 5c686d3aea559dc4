#include "sceneview.h"

#include <QPainter>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "appstate.h"
#include "displaysettings.h"
#include "envengine.h"
#include "pathstore.h"
#include "totals.h"
#include "twips.h"
#include "viewzoom.h"

namespace vintrop {

namespace {
// Outside a lesson's box: a grey that no bowl colour on black is mistaken
// for, with the walls a lighter line along the box.
const QColor kOutsideBox(72, 72, 72);
const QColor kWall(200, 200, 200);
constexpr int kWallPixels = 2;   // logical pixels
// A fading mark is repainted this often (ms).
constexpr int kFadeRepaintMs = 40;

// Lines grow with the scale: one logical pixel per 100 % of actual size.
int LineWidthAt(double screenTwipsPerPixel, double twipsPerPixel) {
    const long percent = std::lround(100.0 * screenTwipsPerPixel / twipsPerPixel);
    return static_cast<int>(std::clamp(std::lround(percent / 100.0), 1L, 100L));
}
} // namespace

SceneView::SceneView(QWidget* screen) : m_Screen(screen), m_Presented(screen) {
    m_Fading.setSingleShot(true);
    m_Fading.setInterval(kFadeRepaintMs);
    QObject::connect(&m_Fading, &QTimer::timeout, screen, [screen] { screen->update(); });
}

void SceneView::Resize(QSize pixels, int16_t zoomPercent) {
    m_Presented.Wait();   // the worker reads the renderer's geometry
    const double twipsPerPixel = zoom::TwipsPerPixel(twips::PerPixel(m_Screen), zoomPercent);
    m_Renderer.Resize(pixels, m_Screen->devicePixelRatioF(), twipsPerPixel,
                      LineWidthAt(twips::PerPixel(m_Screen), twipsPerPixel));
    m_Fitted = false;
    m_Box = QRectF(QPointF(0, 0), QSizeF(pixels.expandedTo(QSize(0, 0))));
}

void SceneView::FitBox(QSize area, double boxWidth, double boxHeight) {
    m_Presented.Wait();   // the worker reads the renderer's geometry
    // Where the box meets the area's edge, that edge is the wall, as when
    // the box is the area; elsewhere the wall is drawn outside the box.
    const QSize room = area.expandedTo(QSize(1, 1));
    // The larger ratio of box to room: the whole box fits either way.
    double twipsPerPixel = std::max(boxWidth / room.width(), boxHeight / room.height());
    if (!(twipsPerPixel > 0) || !std::isfinite(twipsPerPixel)) twipsPerPixel = twips::PerPixel(m_Screen);
    const QSizeF shown(boxWidth / twipsPerPixel, boxHeight / twipsPerPixel);
    // The picture covers the box to its last partly covered pixel and sits
    // on whole logical pixels, so that it stays sharp.
    const QSize pixels(std::min(room.width(), static_cast<int>(std::ceil(shown.width() - 1e-6))),
                       std::min(room.height(), static_cast<int>(std::ceil(shown.height() - 1e-6))));
    m_Renderer.Resize(pixels, m_Screen->devicePixelRatioF(), twipsPerPixel,
                      LineWidthAt(twips::PerPixel(m_Screen), twipsPerPixel));
    m_Fitted = true;
    m_Box = QRectF(QPointF((area.width() - pixels.width()) / 2, (area.height() - pixels.height()) / 2), shown);
}

void SceneView::PaintOutsideBox(QPainter& painter, const QRect& dirty) const {
    if (!m_Fitted) return;
    const QRect box = m_Box.toAlignedRect();
    QRegion outside(dirty);
    outside -= box;
    const QRegion walls = QRegion(box.adjusted(-kWallPixels, -kWallPixels, kWallPixels, kWallPixels)) - box;
    for (const QRect& r : outside - walls) painter.fillRect(r, kOutsideBox);
    for (const QRect& r : outside & walls) painter.fillRect(r, kWall);
}

void SceneView::PaintEdgeWalls(QPainter& painter, const QRect& screen) const {
    if (m_Fitted) return;
    const QRegion walls = QRegion(screen) - screen.adjusted(kWallPixels, kWallPixels, -kWallPixels, -kWallPixels);
    for (const QRect& r : walls) painter.fillRect(r, kWall);
}

int SceneView::ScalePercent() const {
    return static_cast<int>(std::lround(100.0 * twips::PerPixel(m_Screen) / m_Renderer.TwipsPerPixel()));
}

void SceneView::Redraw(const CEnvEng& engine, bool numbered) {
    m_Renderer.Clear();
    // The counter is wider than a position so that it can step past 32767.
    const int count = engine.BowlCount();
    for (int i = 1; i <= count; ++i) {
        m_Renderer.DrawBowl(engine.GetBowl(i));
        if (numbered) m_Renderer.PrintText(QString::number(i));
    }
    Present(&engine);   // not a step: the marks stay
}

void SceneView::DrawProvisionalCircle(float x, float y, float r) {
    m_Renderer.DrawProvisionalCircle(Picture(), x, y, r);
    m_Screen->update();
}

void SceneView::Step(const CBowl& b) { m_Renderer.DrawBowl(b); }

void SceneView::BeforeCollision(const CBowl& b1, const CBowl& b2) { m_Marks.Add(b1, b2, true); }

void SceneView::AfterCollision(const CBowl& b1, const CBowl& b2) { m_Marks.Add(b1, b2, false); }

void SceneView::PaintPairMarks(QPainter& painter) {
    const int32_t t = g_pEnvEng ? g_pEnvEng->t : 0;
    const bool running = g_pEnvEng && g_pEnvEng->IsExecuting();
    if (m_Marks.Prune(t, running)) {
        if (!m_Fading.isActive()) m_Fading.start();
    } else {
        m_Fading.stop();
    }
    const QImage& picture = Shown();
    if (picture.isNull()) return;
    m_Marks.Paint(painter, Origin(), TwipsPerPixel(), LineWidth(), QRectF(Origin(), picture.deviceIndependentSize()),
                  t, running);
}

void SceneView::AdvanceCompleted() {
    m_Marks.StepCompleted(g_pEnvEng ? g_pEnvEng->t : 0, g_pEnvEng && g_pEnvEng->IsExecuting());
    Present(g_pEnvEng);
}

void SceneView::Present(const CEnvEng* engine) {
    if (engine) {
        // The paths under the bowls, the centre of mass over them.
        const DisplaySettings& display = Settings();
        const PathStore* paths = display.Paths();
        if (display.ShowPaths() && paths && paths->On()) m_Renderer.DrawPaths(*paths, engine->t, display.ShowCentre());
        if (display.ShowCentre()) m_Renderer.DrawCentreOfMass(CentreOfMassOf(*engine));
    }
    m_Presented.Present(m_Renderer);
    m_Renderer.Clear();
    if (m_OnPresented) m_OnPresented();
}

} // namespace vintrop
