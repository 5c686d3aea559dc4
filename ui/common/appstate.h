#pragma once
// Program-wide state shared by every window. Flags are 16-bit booleans
// (-1 true, 0 false), all false at start. How the scene is shown (the other
// display options, the zoom, the scale, the paths) is DisplaySettings'.
#include <cstdint>

namespace vintrop {
class CEnvEng;
}

extern vintrop::CEnvEng* g_pEnvEng;  // the one engine, owned by the main window
extern int16_t FlgModified;          // the scenario has unsaved changes
extern int16_t FlgShowVect;          // draw momentum vectors
extern int16_t FlgShowNumber;        // draw bowl numbers
