// The entry point through which the main window opens the full-screen view.
#include "f_full_screen.h"
#include "windowentries.h"

namespace vintrop {

void DisplayFullScreen(QWidget* owner, bool FlgScrSv) {
    F_FULL_SCREEN view(owner);
    view.Display(FlgScrSv);
}

} // namespace vintrop
