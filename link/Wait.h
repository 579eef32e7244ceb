// The one way the front panel waits: a pass yields to the event loop once and sleeps there
// until something happens (port data, operator input, a repaint) or the deadline comes.
#pragma once

#include <QElapsedTimer>

namespace Wait {

// One pass: runs what is pending, or blocks until the next event or until `elapsed` passes
// `limitNs`, whichever is first. Never spins.
void yieldOnce(const QElapsedTimer& since, qint64 limitNs);

// The first pass of a wait: runs what is pending (a reply may already be waiting in the
// port) without sleeping, so a wait never sleeps past data that is already there.
void runPending();

// True once more than `limitNs` have passed on the monotonic clock.
inline bool over(const QElapsedTimer& since, qint64 limitNs) {
    return since.nsecsElapsed() > limitNs;
}

// When the program is leaving, every wait in progress ends at its next pass.
void callOffAll();
bool calledOff();
// For a fresh start in the same process (tests).
void resetCallOff();

} // namespace Wait
