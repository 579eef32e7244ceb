// Reading the reply to a trigger.
#include "measurement/ReadMeasurement.h"

#include "link/Framing.h"
#include "link/SerialPort.h"
#include "link/Wait.h"

#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace Module1 {

namespace {

bool lineAlive() {
    SerialPort* line = port();
    return line && line->portOpen();
}

// Appends what the port holds; false when the line has failed and nothing more can come.
bool takeInput() {
    if (!lineAlive())
        return false;
    Framing::appendReceived(sReply, port()->input());
    return true;
}

// The meter is given time to finish its line; the windows do not run meanwhile. A sleep on
// the monotonic clock, not a poll.
void settle() {
    QElapsedTimer since;
    since.start();
    while (!Wait::over(since, kSettlingNs)) {
        const qint64 left = kSettlingNs - since.nsecsElapsed() + 1;
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::nanoseconds(left));
    }
}

} // namespace

void ReadMeasurement() {
    sReply.clear();
    QElapsedTimer t0;
    t0.start();
    bool alive = true;

    // Phase 1: the first characters.
    do {
        Wait::yieldOnce(t0, kReplyTimeoutNs);
        if (Wait::calledOff()) {
            bTimeout = true; // the windows are going away: nobody is left to ask
            return;
        }
        alive = takeInput();
    } while (alive && sReply.isEmpty() && !Wait::over(t0, kReplyTimeoutNs));

    if (alive) {
        // Phase 2: settling.
        settle();
        // Phase 3: the line end. Its first pass only runs what is pending when the reply is
        // already complete, instead of sleeping until the next event.
        bool first = true;
        do {
            const bool complete = Framing::holdsLineEnd(sReply);
            if (first && complete) {
                QElapsedTimer now;
                now.start();
                Wait::yieldOnce(now, 0);
            } else {
                Wait::yieldOnce(t0, kReplyTimeoutNs);
            }
            first = false;
            if (Wait::calledOff()) {
                bTimeout = true;
                return;
            }
            alive = takeInput();
        } while (alive && !Framing::holdsLineEnd(sReply) && !Wait::over(t0, kReplyTimeoutNs));
    }

    bTimeout = false;
    if (!sReply.isEmpty()) {
        sReply = Framing::cleanMeasurementReply(sReply);
        return;
    }
    notResponding();
}

} // namespace Module1
