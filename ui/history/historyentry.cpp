// The entry point through which the main window makes the history window.
#include "f_history.h"
#include "windowentries.h"

namespace vintrop {

std::unique_ptr<IHistoryLog> CreateHistoryWindow() { return std::make_unique<F_HISTORY>(); }

} // namespace vintrop
