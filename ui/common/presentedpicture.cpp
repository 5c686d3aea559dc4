#include "presentedpicture.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vintrop {

PresentedPicture::PresentedPicture(QWidget* target) : QObject(target), m_Target(target) {
    m_Deferred.setSingleShot(true);
    m_Deferred.setTimerType(Qt::PreciseTimer);
    connect(&m_Deferred, &QTimer::timeout, this, [this] {
        m_SinceRepaint.restart();
        m_Target->update();
    });
}

void PresentedPicture::Present(SceneRenderer& renderer) {
    m_Renderer = &renderer;
    renderer.TakeFrame(m_Frame);
    m_Dirty = true;
    RequestRepaint();
}

QImage& PresentedPicture::Picture() const {
    if (m_Dirty && m_Renderer) {
        m_Renderer->Rasterise(m_Frame, m_Picture);
        ++m_Rasterised;
    }
    m_Dirty = false;
    return m_Picture;
}

void PresentedPicture::RequestRepaint() {
    if (m_Deferred.isActive()) return;   // a repaint is already coming
    const QScreen* screen = m_Target->screen();
    const double hz = std::clamp(screen ? screen->refreshRate() : 60.0, 30.0, 240.0);
    const qint64 frameMs = static_cast<qint64>(1000.0 / hz);
    if (!m_SinceRepaint.isValid() || m_SinceRepaint.elapsed() >= frameMs) {
        m_SinceRepaint.restart();
        m_Target->update();
    } else {
        m_Deferred.start(static_cast<int>(frameMs - m_SinceRepaint.elapsed()));
    }
}

} // namespace vintrop
