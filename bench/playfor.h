#pragma once
// Runs the program's simulation through its own PLAY and PAUSE commands for a
// while, as a user would, and says how long that really took.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <QWidget>

#include "appstate.h"
#include "common.h"
#include "envengine.h"
#include "main/drawingarea.h"
#include "main/f_main.h"

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

// Shows the main window and fills its drawing area's box with `n` bowls, as
// a user would have them before pressing PLAY; returns the engine.
inline CEnvEng& ShowCrowd(QWidget& mainWindow, int n) {
    mainWindow.show();
    QCoreApplication::processEvents();
    CEnvEng& engine = *g_pEnvEng;
    engine.Reset();
    FillBox(engine, n, engine.MaxX, engine.MaxY);
    return engine;
}

// Shows the main window grown until its drawing area is 1920 x 1080 pixels,
// that area's box filled with `n` bowls and drawn; returns the engine.
inline CEnvEng& ShowFullHdCrowd(F_MAIN& window, int n) {
    window.show();
    auto* area = window.findChild<DrawingArea*>(QStringLiteral("pc_Picture"));
    window.resize(window.size() + (QSize(1920, 1080) - area->size()));
    QCoreApplication::processEvents();
    CEnvEng& engine = *g_pEnvEng;
    engine.Reset();
    Fill(engine, n);
    window.ManualRefresh();
    window.RefreshCommands();
    return engine;
}

// The slider at 1 ms, then PlayFor `ms` in every iteration, each timed by
// hand; returns the engine's ticks per second over them all.
inline double TicksPerSecondAtFullSpeed(benchmark::State& state, QWidget& mainWindow, const CEnvEng& engine,
                                        int ms = 3000) {
    mainWindow.findChild<QSlider*>(QStringLiteral("sldr_Interval"))->setValue(1);
    double ticks = 0, seconds = 0;
    for (auto _ : state) {
        const int32_t t0 = engine.t;
        const double elapsed = PlayFor(mainWindow, ms);
        state.SetIterationTime(elapsed);
        ticks += engine.t - t0;
        seconds += elapsed;
    }
    return ticks / seconds;
}

} // namespace vintrop::bench
