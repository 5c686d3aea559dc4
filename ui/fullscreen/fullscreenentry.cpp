#include "f_full_screen.h"
#include "windows.h"

namespace vintrop {

void DisplayFullScreen(bool FlgScrSv) {
    F_FULL_SCREEN view;
    view.Display(FlgScrSv);
}

} // namespace vintrop
