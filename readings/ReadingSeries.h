// This run's readings since the last Clear, with the statistics of Rx and Rtc.
#pragma once

#include "readings/ChartBins.h"
#include "readings/Limits.h"
#include "readings/Reading.h"
#include "readings/Stability.h"
#include "readings/Statistics.h"

#include <vector>

struct ShownReading;

// What the results window showed, as one reading of the series, judged against `limits`:
// Rtc when the correction is on, Rx otherwise.
Reading readingOf(const ShownReading& shown, const Limits::Settings& limits, qint64 timeMs);

class ReadingSeries {
public:
    // Appends a reading; a "Range Error" counts in no statistics.
    void add(const Reading& reading);
    void clear();

    // Reading i (0 is the first, numbered 1) in the order they came.
    const std::vector<Reading>& all() const { return m_readings; }
    int size() const { return int(m_readings.size()); }

    const Statistics& rx() const { return m_rx; }
    const Statistics& rtc() const { return m_rtc; }
    // The chart's columns of Rx and of Rtc.
    const ChartBins& rxColumns() const { return m_rxColumns; }
    const ChartBins& rtcColumns() const { return m_rtcColumns; }
    // Whether the series has settled, judged over its newest readings.
    const Stability::Tracker& stability() const { return m_stability; }
    // Judges the whole series again by `criterion`.
    void setStabilityCriterion(const Stability::Criterion& criterion);

private:
    std::vector<Reading> m_readings;
    Statistics m_rx;
    Statistics m_rtc;
    ChartBins m_rxColumns;
    ChartBins m_rtcColumns;
    Stability::Tracker m_stability;
};
