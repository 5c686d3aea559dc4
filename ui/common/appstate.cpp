#include "appstate.h"

vintrop::CEnvEng* g_pEnvEng = nullptr;
int16_t FlgModified = 0;
int16_t FlgShowVect = 0;
int16_t FlgShowNumber = 0;
