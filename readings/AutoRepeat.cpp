// The auto-repeat's timer and its stop conditions.
#include "readings/AutoRepeat.h"

#include "link/LineActivity.h"
#include "measurement/ResultsEvents.h"

AutoRepeat::AutoRepeat(std::function<bool()> trigger, QObject* parent)
    : QObject(parent), m_trigger(std::move(trigger)) {
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AutoRepeat::due);
    LineActivity& line = LineActivity::instance();
    // Queued: the exchange that just ended is still unwinding its own handler.
    connect(
        &line, &LineActivity::idle, this,
        [this] {
            if (m_waitingForLine)
                due();
        },
        Qt::QueuedConnection);
    connect(&line, &LineActivity::notResponding, this, &AutoRepeat::stop);
    ResultsEvents& results = ResultsEvents::instance();
    connect(&results, &ResultsEvents::configurationStarted, this, &AutoRepeat::stop);
    connect(&results, &ResultsEvents::resultsClosing, this, &AutoRepeat::stop);
}

void AutoRepeat::start(qint64 intervalNs, int count) {
    ++m_generation;
    m_schedule.emplace(intervalNs, count);
    m_waitingForLine = false;
    m_timer.start(0);
    Q_EMIT runningChanged(true);
}

void AutoRepeat::stop() {
    if (!running())
        return;
    ++m_generation;
    m_schedule.reset();
    m_timer.stop();
    m_waitingForLine = false;
    Q_EMIT runningChanged(false);
}

void AutoRepeat::due() {
    m_waitingForLine = false;
    if (!running())
        return;
    // Never two exchanges at once: wait for the one running to end.
    if (LineActivity::instance().busy()) {
        m_waitingForLine = true;
        return;
    }
    const int generation = m_generation;
    const qint64 startedAt = now();
    m_schedule->started(startedAt);
    Q_EMIT cycleStarting(startedAt);
    if (!m_trigger()) {
        stop();
        return;
    }
    // Stopped (or stopped and started afresh) while the cycle ran: that decides what follows.
    if (generation != m_generation || !running())
        return;
    if (m_schedule->finished()) {
        stop();
        return;
    }
    // Rounded up: a timer in whole milliseconds must not fire before the start time.
    const qint64 waitNs = m_schedule->waitBefore(now());
    m_timer.start(int((waitNs + 999'999) / 1'000'000));
}
