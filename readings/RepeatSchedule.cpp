// The auto-repeat's start times.
#include "readings/RepeatSchedule.h"

#include <algorithm>

qint64 RepeatSchedule::waitBefore(qint64 nowNs) const {
    if (m_started == 0)
        return 0;
    return std::max<qint64>(0, m_lastStart + m_interval - nowNs);
}

void RepeatSchedule::started(qint64 nowNs) {
    ++m_started;
    m_lastStart = nowNs;
}
