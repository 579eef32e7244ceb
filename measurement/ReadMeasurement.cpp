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

// One pass of a yielding phase. The first pass of a phase only runs what is pending: the
// reply may already be waiting (it can arrive during the speed pause or the settling pause),
// and sleeping until the next event would then sleep for the whole time-out.
void yieldPass(bool first, const QElapsedTimer& t0) {
    if (first)
        Wait::runPending();
    else
        Wait::yieldOnce(t0, kReplyTimeoutNs);
}

} // namespace

void ReadMeasurement() {
    sReply.clear();
    QElapsedTimer t0;
    t0.start();
    bool alive = true;

    // Phase 1: the first characters.
    bool first = true;
    do {
        yieldPass(first, t0);
        first = false;
        if (Wait::calledOff()) {
            bTimeout = true; // the windows are going away: nobody is left to ask
            return;
        }
        alive = takeInput();
    } while (alive && sReply.isEmpty() && !Wait::over(t0, kReplyTimeoutNs));

    if (alive) {
        // Phase 2: settling.
        settle();
        // Phase 3: the line end.
        first = true;
        do {
            yieldPass(first, t0);
            first = false;
            if (Wait::calledOff()) {
                bTimeout = true;
                return;
            }
            alive = takeInput();
        } while (alive && !Framing::holdsLineEnd(sReply) && !Wait::over(t0, kReplyTimeoutNs));
    }

    // A line that died in the middle of the reply leaves a fragment, not a reading: "1.25"
    // of "1.250000e-02" would read as a plausible wrong value.
    if (!alive && !Framing::holdsLineEnd(sReply))
        sReply.clear();

    bTimeout = false;
    if (!sReply.isEmpty()) {
        sReply = Framing::cleanMeasurementReply(sReply);
        return;
    }
    notResponding();
}

} // namespace Module1
