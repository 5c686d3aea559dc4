#include "transport.h"

namespace vintrop {

TransportState TransportStateOf(const CEnvEng& engine, bool running) {
    const bool stopped = !running;
    const bool pastStart = engine.t > 0;
    const bool hasBowls = engine.BowlCount() > 0;
    // A scenario too large to step keeps only the commands that do not step.
    const bool steps = hasBowls && engine.CanStep();
    TransportState s;
    // Back steps stop at t = 0, and only where a back step undoes the run.
    s.back = stopped && pastStart && steps && engine.CanReverse();
    s.pause = running;
    s.play = stopped && steps;
    s.rew = stopped && pastStart && hasBowls;
    s.step = stopped && steps;
    s.stop = running || (pastStart && hasBowls);
    return s;
}

} // namespace vintrop
