// Auto-repeat: runs the results window's trigger again and again on a schedule, one cycle at a
// time. Between cycles it sleeps on a single-shot timer; when the line is busy at a start time
// (an operator's trigger, an identification, an upload) it waits to be told the line is free.
#pragma once

#include "readings/RepeatSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class AutoRepeat : public QObject {
    Q_OBJECT
public:
    // `trigger` runs one whole cycle and returns when it is over, or returns false at once when
    // no cycle can run now (the results window hidden or locked), which stops the series.
    // Stops by itself at a not-responding box, when the configuration step starts and when the
    // results window closes.
    explicit AutoRepeat(std::function<bool()> trigger, QObject* parent = nullptr);

    // `count` cycles (0: until stopped), one every `intervalNs`; the first at once.
    void start(qint64 intervalNs, int count);
    void stop();
    bool running() const { return m_schedule.has_value(); }

    // The monotonic clock the schedule runs on.
    qint64 now() const { return m_clock.nsecsElapsed(); }

Q_SIGNALS:
    void runningChanged(bool running);
    // A cycle is about to start, at `nowNs` on the clock above.
    void cycleStarting(qint64 nowNs);

private:
    void due();

    std::function<bool()> m_trigger;
    std::optional<RepeatSchedule> m_schedule;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_waitingForLine = false;
    int m_generation = 0; // changes with every start and stop
};
