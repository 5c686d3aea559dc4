// The entry point through which the main window opens the full-screen view.
#include <QApplication>

#include "f_full_screen.h"
#include "windowentries.h"

namespace vintrop {

void DisplayFullScreen(bool FlgScrSv) {
    // Owned by the window that gave the command (the main window), so the
    // view stays with it and has no task-bar button of its own.
    F_FULL_SCREEN view(QApplication::activeWindow());
    view.Display(FlgScrSv);
}

} // namespace vintrop
