#pragma once
// Where Qt enters the program's own code (an event handler, a slot or a
// lambda connected to a signal, a timer's callback) nothing may be thrown
// back: Qt's event delivery is not written to be unwound. Each such entry
// point runs its code through Guarded, which turns whatever it throws into
// the program's error message over the window concerned. The application's
// notify() catches only what an entry point failed to.
//
//     void F_X::resizeEvent(QResizeEvent* e) {
//         QDialog::resizeEvent(e);
//         Guarded(this, [this] { Layout(); });
//     }
//     connect(button, &QPushButton::clicked, this, GuardedSlot(this, &F_X::OnClick));
#include <QPointer>
#include <QWidget>
#include <exception>
#include <utility>

namespace vintrop {

enum class Report {
    Now,     // the message box comes up before the entry point returns
    Later,   // from the event loop, once the entry point has returned: for
             // painting, which must not run a message box's event loop.
             // Errors reported Later while one waits share its message.
};

// Shows the error as the program's message box ("Errore <n>: ...", see
// UserTextOf) over `over`, or over the window in use when that is null or
// gone. An error raised while an earlier one is still on screen is only
// logged, so a failure that repeats on every event cannot pile up message
// boxes. Never throws.
void ReportError(QWidget* over, std::exception_ptr error, Report when = Report::Now) noexcept;

// Runs `action`; whatever it throws is reported over `over` and goes no
// further. True when the action ran to its end.
template <typename Action>
bool Guarded(QWidget* over, Action&& action, Report when = Report::Now) noexcept {
    std::exception_ptr error;
    QPointer<QWidget> window;   // the action may close and delete it
    try {
        window = over;
        std::forward<Action>(action)();
        return true;
    } catch (...) {
        error = std::current_exception();
    }
    // Reported outside the handler: the message box runs an event loop.
    ReportError(window, error, when);
    return false;
}

// For connect(): a member function of `window` (taking the signal's
// arguments), or a callable taking none, run through Guarded over `window`.
template <typename Callable>
auto GuardedSlot(QWidget* window, Callable callable) {
    return [window, callable = std::move(callable)] { Guarded(window, callable); };
}
template <typename Window, typename Class, typename... Args>
auto GuardedSlot(Window* window, void (Class::*slot)(Args...)) {
    return [window, slot](Args... args) { Guarded(window, [&] { (window->*slot)(args...); }); };
}

} // namespace vintrop
