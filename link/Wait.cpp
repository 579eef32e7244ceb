// Event-driven waits on the monotonic clock.
#include "link/Wait.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>

namespace {
bool g_calledOff = false;
}

namespace Wait {

void yieldOnce(const QElapsedTimer& since, qint64 limitNs) {
    // A precise single-shot timer wakes the loop just after the limit; a coarse one may fire
    // several percent early or late.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    const qint64 remainingNs = limitNs - since.nsecsElapsed();
    // Rounded up to the timer's millisecond: the pass then wakes just past the limit.
    const qint64 remainingMs = remainingNs <= 0 ? 0 : (remainingNs + 999999) / 1000000;
    wake.start(std::chrono::milliseconds(remainingMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void runPending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void callOffAll() {
    g_calledOff = true;
}

bool calledOff() {
    return g_calledOff;
}

void resetCallOff() {
    g_calledOff = false;
}

} // namespace Wait
