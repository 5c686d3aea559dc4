#include "clock.h"

#include "vintroperror.h"

namespace vintrop {

void ManualClock::SetInterval(int32_t ms) {
    if (ms < 0) err::Raise(err::InvalidProperty);
    m_Interval = ms;
}

void ManualClock::Tick() {
    if (m_Enabled && m_OnTick) m_OnTick();
}

} // namespace vintrop
