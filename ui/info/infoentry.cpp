// The entry points through which the other windows open the information
// windows.
#include <QPointer>

#include "f_about.h"
#include "f_explanation.h"
#include "f_splash.h"
#include "windowentries.h"

namespace vintrop {

void ShowSplash() {
    F_SPLASH splash;
    splash.exec();
}

void ShowAbout() {
    F_ABOUT about;
    about.exec();
}

void ShowExplanation() {
    // One explanation window at a time: a second request brings it forward.
    static QPointer<F_EXPLANATION> window;
    if (!window) window = new F_EXPLANATION;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace vintrop
