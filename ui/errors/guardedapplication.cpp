#include "guardedapplication.h"

#include "guarded.h"

namespace vintrop {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    // Named now: the handler may have deleted the receiver by the time it throws.
    const char* kind = receiver ? receiver->metaObject()->className() : "no object";
    std::exception_ptr error;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        error = std::current_exception();
    }
    // By now the error has unwound through Qt's own frames, which may have
    // left their state half-done: the handler it came from must catch it.
    qWarning("an error escaped the event handling of %s", kind);
    ReportError(nullptr, error);
    return false;
}

} // namespace vintrop
