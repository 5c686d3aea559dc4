#include "qtclock.h"

#include <algorithm>

#include "errortext.h"
#include "guarded.h"
#include "vintroperror.h"

namespace vintrop {

QtClock::QtClock(QObject* parent) : QObject(parent) {
    m_Elapsed.start();
    m_Now = [this] { return m_Elapsed.elapsed(); };
    m_Timer.setTimerType(Qt::PreciseTimer);
    m_Timer.setInterval(kDefaultInterval);
    connect(&m_Timer, &QTimer::timeout, this, &QtClock::OnTimeout);
}

void QtClock::Restart() {
    m_Anchor = m_Now();
    m_Delivered = 0;
}

void QtClock::SetEnabled(bool on) {
    if (on) {
        if (!m_Timer.isActive()) Restart();
        m_Timer.start();
    } else {
        m_Timer.stop();
    }
}

void QtClock::SetInterval(int32_t ms) {
    if (ms < 0) err::Raise(err::InvalidProperty);
    // QTimer::setInterval restarts a running timer with the new interval.
    m_Timer.setInterval(ms);
    Restart();
}

void QtClock::OnTimeout() {
    if (!m_OnTick) return;
    std::exception_ptr failure;
    try {
        DeliverDueTicks();
    } catch (...) {
        // Whatever the step threw, be it the program's own error or a failed
        // allocation, ends the run here and never reaches the event loop.
        failure = std::current_exception();
    }
    if (!failure) return;
    m_Timer.stop();
    // Emitted outside the handler; should the text or a receiver fail in
    // turn, that is reported as any other error and goes no further.
    Guarded(nullptr, [&] { emit stepFailed(UserTextOf(failure)); });
}

void QtClock::DeliverDueTicks() {
    const qint64 interval = m_Timer.interval();
    qint64 due = 1;
    if (interval > 0) {
        due = (m_Now() - m_Anchor) / interval - m_Delivered;
        if (due > kMaxCatchUp) {
            // Too far behind to catch up: start counting again from now,
            // with this timeout's tick as the first of the new count.
            Restart();
            m_Delivered = -1;
            due = 1;
        }
    }
    // At least one tick per timeout. A burst ends when a step stops the
    // clock, or once it has taken an interval: steps slower than the
    // interval cannot catch up, and the screen must still get its turn.
    const qint64 start = m_Now();
    for (qint64 k = 0; k < std::max<qint64>(due, 1) && m_Timer.isActive(); ++k) {
        if (k > 0 && m_Now() - start >= interval) break;
        ++m_Delivered;
        m_OnTick();
    }
}

} // namespace vintrop
