// When the auto-repeat starts its cycles: on a fixed grid of the monotonic clock, start k at
// the first start plus k intervals, so that hours of repeats keep their time. A cycle that
// runs past one or more starts of the grid skips them and the series goes on at the next one;
// missed starts are never made up and never shift the starts after them.
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
    // The first slot of the grid at or after `nowNs` that no cycle has taken yet.
    qint64 nextSlot(qint64 nowNs) const;

    qint64 m_interval;
    int m_count;
    int m_started = 0;
    qint64 m_firstStart = 0;
    qint64 m_lastSlot = 0; // the slot of the grid the last cycle started in
};
