#pragma once

// What the drivers that run the main window offscreen share: energies from
// the demo's file names, and waiting in the event loop while measuring how
// long it went without running a 5 ms timer.

#include "fileselect/SelectDataFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace GuiDriver {

// The demo's file names carry the energy as "7112.50eV" (factor 1).
inline void energiesFromNames(SelectDataFiles* panel)
{
    panel->setEngByName(true);
    panel->setEngByNameRegExp(QStringLiteral("\\d\\d\\d\\d\\.\\d\\deV"));
    panel->setEngByNameFactor(1.0);
}

// Runs the event loop until done() holds; returns the seconds it took and
// sets *maxStallMs (when given) to the longest stall: the timer fires 5 ms
// apart at best, so a gap above that is time the loop could not run.
template <class Done>
double waitUntil(Done done, double* maxStallMs = nullptr)
{
    QElapsedTimer stall;
    qint64 worst = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worst = std::max(worst, stall.nsecsElapsed());
        stall.restart();
    });
    QElapsedTimer clock;
    clock.start();
    stall.start();
    ticker.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    if (maxStallMs)
        *maxStallMs = std::max(0.0, std::max(worst, stall.nsecsElapsed()) * 1e-6 - 5.0);
    return clock.nsecsElapsed() * 1e-9;
}

} // namespace GuiDriver
