#pragma once
// The engine's clock in the program: a QTimer ticking on the UI thread.
// An error thrown by a tick's step never leaves the event loop: the clock
// stops and reports it once through stepFailed.
#include <QObject>
#include <QTimer>

#include "clock.h"

namespace vintrop {

class QtClock : public QObject, public IClock {
    Q_OBJECT
public:
    explicit QtClock(QObject* parent = nullptr);

    bool Enabled() const override { return m_Timer.isActive(); }
    void SetEnabled(bool on) override;
    int32_t Interval() const override { return m_Timer.interval(); }
    void SetInterval(int32_t ms) override;
    void SetTickHandler(std::function<void()> onTick) override { m_OnTick = std::move(onTick); }

    QTimer& Timer() { return m_Timer; }

signals:
    // The step of a tick failed; the clock is already stopped.
    void stepFailed(const QString& userText);

private:
    void OnTimeout();

    QTimer m_Timer;
    std::function<void()> m_OnTick;
};

} // namespace vintrop
