#pragma once
// Which transport commands may run now, from the engine's state and whether
// the clock runs: the one table the program's toolbar and the web page's
// buttons both apply.
#include "envengine.h"

namespace vintrop {

struct TransportState {
    bool rew = false, back = false, play = false, pause = false, stop = false, step = false;
};

// `running`: the clock is ticking (the program's timer, the page's frames).
TransportState TransportStateOf(const CEnvEng& engine, bool running);

} // namespace vintrop
