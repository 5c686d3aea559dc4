#include "presentedpicture.h"

#include <QScreen>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace vintrop {

PresentedPicture::PresentedPicture(QWidget* target) : QObject(target), m_Target(target) {
    m_Deferred.setSingleShot(true);
    m_Deferred.setTimerType(Qt::PreciseTimer);
    connect(&m_Deferred, &QTimer::timeout, this, [this] { ShowDue(); });
    connect(&m_Work, &QFutureWatcher<void>::finished, this, [this] {
        if (!m_Working) return;   // someone waited and took it already
        Finished();
        m_Target->update();
        // Frames that came meanwhile: the latest goes on screen at the next
        // refresh, and till then the screen keeps this one. None: the
        // stream has ended, and the screen paints what comes next at once.
        if (m_Dirty)
            m_Deferred.start(static_cast<int>(std::max<qint64>(0, FrameMs() - m_SinceRepaint.elapsed())));
        else
            m_Streaming = false;
    });
}

PresentedPicture::~PresentedPicture() { Wait(); }

void PresentedPicture::Present(SceneRenderer& renderer) {
    m_Renderer = &renderer;
    renderer.TakeFrame(m_Frame);
    m_Dirty = true;
    RequestRepaint();
}

void PresentedPicture::Wait() const {
    // Whoever waits wants the latest frame, and so does the next paint.
    m_Streaming = false;
    if (!m_Working) return;
    m_Work.waitForFinished();
    Finished();
}

void PresentedPicture::Finished() const {
    if (!m_Working) return;   // already taken when someone waited
    m_Working = false;
    if (m_WorkFailed) {
        // Painted again on the main thread, where a failure is reported,
        // unless a newer frame has come since.
        m_WorkFailed = false;
        if (!m_Dirty) {
            std::swap(m_Frame, m_WorkFrame);
            m_Dirty = true;
        }
        return;
    }
    m_Picture.swap(m_WorkPicture);
    ++m_Rasterised;
}

QImage& PresentedPicture::Picture() const {
    Wait();
    if (m_Dirty && m_Renderer) {
        m_Renderer->Rasterise(m_Frame, m_Picture);
        ++m_Rasterised;
    }
    m_Dirty = false;
    return m_Picture;
}

const QImage& PresentedPicture::Shown() const {
    return m_Streaming && !m_Picture.isNull() ? m_Picture : Picture();
}

qint64 PresentedPicture::FrameMs() const {
    const QScreen* screen = m_Target->screen();
    const double hz = std::clamp(screen ? screen->refreshRate() : 60.0, 30.0, 240.0);
    return static_cast<qint64>(1000.0 / hz);
}

void PresentedPicture::RequestRepaint() {
    if (m_Deferred.isActive() || m_Working) return;   // a repaint is already coming
    const qint64 frameMs = FrameMs();
    if (!m_SinceRepaint.isValid() || m_SinceRepaint.elapsed() >= frameMs) {
        m_Streaming = false;
        m_SinceRepaint.restart();
        m_Target->update();
    } else {
        m_Deferred.start(static_cast<int>(frameMs - m_SinceRepaint.elapsed()));
    }
}

void PresentedPicture::ShowDue() {
    m_SinceRepaint.restart();
    // A hidden screen rasterises nothing; it paints the latest frame when
    // it shows again.
    if (!m_Dirty || !m_Renderer || m_Frame.paths || !m_Target->isVisible()) {
        m_Streaming = false;
        m_Target->update();
        return;
    }
    m_WorkFrame.clear();
    std::swap(m_WorkFrame, m_Frame);
    m_Dirty = false;
    m_Working = m_Streaming = true;
    const SceneRenderer* renderer = m_Renderer;
    m_Work.setFuture(QtConcurrent::run([this, renderer] {
        try {
            renderer->Rasterise(m_WorkFrame, m_WorkPicture);
        } catch (...) {
            m_WorkFailed = true;
        }
    }));
}

} // namespace vintrop
