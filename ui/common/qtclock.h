#pragma once
// The engine's clock in the program: a QTimer ticking on the UI thread.
// It keeps time: when the event loop wakes it late (a repaint, the system's
// timer granularity at 1 ms), it delivers the ticks that fell due meanwhile,
// a few at most, so the slider's interval is the real pace of the steps.
// An error thrown by a tick's step, or by reading the time, never reaches
// the event loop: the clock stops and reports it once through stepFailed.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "clock.h"

namespace vintrop {

class QtClock : public QObject, public IClock {
    Q_OBJECT
public:
    // Ticks owed beyond this are dropped: a machine too slow for the
    // interval runs as fast as it can instead of piling up a backlog.
    static constexpr int kMaxCatchUp = 4;

    explicit QtClock(QObject* parent = nullptr);

    bool Enabled() const override { return m_Timer.isActive(); }
    void SetEnabled(bool on) override;
    int32_t Interval() const override { return m_Timer.interval(); }
    void SetInterval(int32_t ms) override;
    void SetTickHandler(std::function<void()> onTick) override { m_OnTick = std::move(onTick); }

    QTimer& Timer() { return m_Timer; }
    // Where the clock reads the time, in milliseconds (tests use their own).
    void SetTimeSource(std::function<qint64()> nowMs) { m_Now = std::move(nowMs); }
    // What a timeout of the timer does: the ticks due by now.
    void OnTimeout();

signals:
    // The step of a tick failed; the clock is already stopped.
    void stepFailed(const QString& userText);

private:
    void Restart();   // count ticks from now
    void DeliverDueTicks();

    QTimer m_Timer;
    std::function<void()> m_OnTick;
    std::function<qint64()> m_Now;
    QElapsedTimer m_Elapsed;
    qint64 m_Anchor = 0;       // when counting started, ms
    qint64 m_Delivered = 0;    // ticks delivered since the anchor
};

} // namespace vintrop
