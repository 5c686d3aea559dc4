#pragma once
// Program-wide state shared by every window. Flags are 16-bit booleans
// (-1 true, 0 false), all false at start.
#include <cstdint>

namespace vintrop {
class CEnvEng;
class PathStore;
}

extern vintrop::CEnvEng* g_pEnvEng;  // the one engine, owned by the main window
extern int16_t FlgModified;          // the scenario has unsaved changes
extern int16_t FlgShowVect;          // draw momentum vectors
extern int16_t FlgShowVelocity;      // draw velocity arrows
extern int16_t FlgShowNumber;        // draw bowl numbers
extern int16_t FlgShowCentre;        // draw the centre of mass with the total momentum
extern int16_t FlgShowPaths;         // draw each bowl's path over its latest PathSteps steps
extern int16_t PathSteps;            // steps a path covers (200 at start)
inline constexpr int16_t kPathSteps[] = {50, 200, 1000};   // the values PathSteps may take
extern vintrop::PathStore* g_pPaths; // the paths, owned by the main window; recorded while FlgShowPaths is on

// View settings, kept while the program runs and never in a scenario file.
extern int16_t ViewZoom;             // percent: how much larger than life the scene is drawn (100 at start)
// Percent: the scale the main window shows the scene at now, the zoom or
// the scale a lesson's own box is fitted at; the text of the history window
// follows it.
extern int16_t ViewScale;
extern int16_t VectorScale;          // momentum lines drawn 1, 10 or 100 times their tenth-scale length (1 at start)
inline constexpr int16_t kVectorScales[] = {1, 10, 100};   // the values VectorScale may take
