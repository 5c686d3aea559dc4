// The entry point through which the main window makes the Graphs window.
#include "f_graphs.h"
#include "windowentries.h"

namespace vintrop {

QDialog* CreateGraphsWindow(QWidget* owner, const ConservationLog& log, CEnvEng& engine) {
    return new F_GRAPHS(log, engine, owner);
}

} // namespace vintrop
