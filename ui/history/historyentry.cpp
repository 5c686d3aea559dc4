#include "f_history.h"
#include "windows.h"

namespace vintrop {

std::unique_ptr<IHistoryLog> CreateHistoryWindow() { return std::make_unique<F_HISTORY>(); }

} // namespace vintrop
