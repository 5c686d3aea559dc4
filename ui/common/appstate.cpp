#include "appstate.h"

vintrop::CEnvEng* g_pEnvEng = nullptr;
int16_t FlgModified = 0;
int16_t FlgShowVect = 0;
int16_t FlgShowVelocity = 0;
int16_t FlgShowNumber = 0;
int16_t FlgShowCentre = 0;
int16_t FlgShowPaths = 0;
int16_t PathSteps = 200;
vintrop::PathStore* g_pPaths = nullptr;
int16_t ViewZoom = 100;
int16_t ViewScale = 100;
int16_t VectorScale = 1;
