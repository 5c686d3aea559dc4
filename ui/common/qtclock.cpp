#include "qtclock.h"

#include "vintroperror.h"

namespace vintrop {

QtClock::QtClock(QObject* parent) : QObject(parent) {
    m_Timer.setTimerType(Qt::PreciseTimer);
    m_Timer.setInterval(50);
    connect(&m_Timer, &QTimer::timeout, this, &QtClock::OnTimeout);
}

void QtClock::SetEnabled(bool on) {
    if (on)
        m_Timer.start();
    else
        m_Timer.stop();
}

void QtClock::SetInterval(int32_t ms) {
    if (ms < 0) err::Raise(err::InvalidProperty);
    // QTimer::setInterval restarts a running timer with the new interval.
    m_Timer.setInterval(ms);
}

void QtClock::OnTimeout() {
    if (!m_OnTick) return;
    try {
        m_OnTick();
    } catch (const VintropError& e) {
        m_Timer.stop();
        emit stepFailed(QString::fromStdString(e.UserText()));
    }
}

} // namespace vintrop
