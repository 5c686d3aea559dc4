#include "transport.h"

namespace vintrop {

TransportState TransportStateOf(const CEnvEng& engine, bool running) {
    const bool stopped = !running;
    const bool pastStart = engine.t > 0;
    const bool hasBowls = engine.BowlCount() > 0;
    TransportState s;
    // Back steps stop at t = 0, and only where a back step undoes the run.
    s.back = stopped && pastStart && hasBowls && engine.CanReverse();
    s.pause = running;
    s.play = stopped && hasBowls;
    s.rew = stopped && pastStart && hasBowls;
    s.step = stopped && hasBowls;
    s.stop = running || (pastStart && hasBowls);
    return s;
}

} // namespace vintrop
