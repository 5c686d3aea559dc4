#pragma once
// The periodic timer that drives a running engine. The main window wraps a
// QTimer; tests and the headless runner use ManualClock and tick by hand.
#include <cstdint>
#include <functional>

namespace vintrop {

// The interval, in milliseconds, of a new clock and of a new scenario.
inline constexpr int32_t kDefaultInterval = 50;

class IClock {
public:
    virtual ~IClock() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual int32_t Interval() const = 0;        // milliseconds
    // Throws VintropError InvalidProperty for a negative interval.
    virtual void SetInterval(int32_t ms) = 0;
    // The engine installs its step here; each tick calls it once.
    virtual void SetTickHandler(std::function<void()> onTick) = 0;
};

// A clock that ticks only when told to.
class ManualClock : public IClock {
public:
    bool Enabled() const override { return m_Enabled; }
    void SetEnabled(bool on) override { m_Enabled = on; }
    int32_t Interval() const override { return m_Interval; }
    void SetInterval(int32_t ms) override;
    void SetTickHandler(std::function<void()> onTick) override { m_OnTick = std::move(onTick); }

    // Delivers one tick if the clock is enabled; errors reach the caller.
    void Tick();

private:
    bool m_Enabled = false;
    int32_t m_Interval = kDefaultInterval;
    std::function<void()> m_OnTick;
};

} // namespace vintrop
