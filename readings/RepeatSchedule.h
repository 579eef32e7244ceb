// When the auto-repeat starts its cycles: each one an interval after the start of the one
// before, on the monotonic clock. A cycle that runs longer than the interval delays the next,
// which then starts at once; missed starts are never made up.
#pragma once

#include <QtGlobal>

class RepeatSchedule {
public:
    // `count` cycles, or until stopped when it is 0.
    RepeatSchedule(qint64 intervalNs, int count) : m_interval(intervalNs), m_count(count) {}

    // How long to wait from `nowNs` before the next cycle; 0 for at once.
    qint64 waitBefore(qint64 nowNs) const;
    // A cycle started at `nowNs`.
    void started(qint64 nowNs);
    // All `count` cycles have started.
    bool finished() const { return m_count > 0 && m_started >= m_count; }
    int startedCount() const { return m_started; }

private:
    qint64 m_interval;
    int m_count;
    int m_started = 0;
    qint64 m_lastStart = 0;
};
