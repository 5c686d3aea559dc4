#pragma once
// The program's application object. Every entry point of the program's own
// code catches its errors (see guarded.h); an error that still reaches Qt's
// event delivery is caught here as a last resort, shown like the others and
// logged as a fault of the entry point it escaped from, and the event loop
// goes on.
#include <QApplication>

namespace vintrop {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vintrop
