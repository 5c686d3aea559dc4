#pragma once
// The message-box text of any error that reaches a window: the program's own
// errors show their "Errore <n>: <description> <source>" text, a failed
// allocation shows as error 7, anything else as error 5 in the same form
// (its own description goes to the log, not to the user).
#include <QString>
#include <exception>

namespace vintrop {

// Call from a catch block with std::current_exception().
QString UserTextOf(std::exception_ptr error);

} // namespace vintrop
