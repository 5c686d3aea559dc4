#pragma once
// Runs the program's simulation through its own PLAY and PAUSE commands for a
// while, as a user would, and says how long that really took.
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace vintrop::bench {

// Plays for about `ms` milliseconds of the event loop; returns the seconds
// that passed between PLAY and PAUSE.
inline double PlayFor(QWidget& mainWindow, int ms) {
    QElapsedTimer clock;
    clock.start();
    mainWindow.findChild<QAction*>(QStringLiteral("MN_COND_PLAY"))->trigger();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    mainWindow.findChild<QAction*>(QStringLiteral("MN_COND_PAUSE"))->trigger();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

} // namespace vintrop::bench
