// The auto-repeat's start times.
#include "readings/RepeatSchedule.h"

#include <algorithm>

qint64 RepeatSchedule::nextSlot(qint64 nowNs) const {
    const qint64 elapsed = std::max<qint64>(0, nowNs - m_firstStart);
    const qint64 atOrAfterNow = (elapsed + m_interval - 1) / m_interval;
    return std::max(m_lastSlot + 1, atOrAfterNow);
}

qint64 RepeatSchedule::waitBefore(qint64 nowNs) const {
    if (m_started == 0)
        return 0;
    return std::max<qint64>(0, m_firstStart + nextSlot(nowNs) * m_interval - nowNs);
}

void RepeatSchedule::started(qint64 nowNs) {
    if (m_started++ == 0) {
        m_firstStart = nowNs;
        m_lastSlot = 0;
        return;
    }
    // The slot this start belongs to: the latest one already begun, a timer's lateness
    // notwithstanding, and never one taken before.
    const qint64 begun = std::max<qint64>(0, nowNs - m_firstStart) / m_interval;
    m_lastSlot = std::max(m_lastSlot + 1, begun);
}
