// Running statistics of a series of readings, updated one reading at a time.
#pragma once

#include <cstdint>

// Welford's update: the mean and the sum of squared deviations move with each reading, so a
// long series of nearly equal values (a million readings of about 10 uOhm) keeps its spread
// instead of losing it to the cancellation of a sum of squares.
class Statistics {
public:
    void add(double value);
    void clear() { *this = Statistics(); }

    std::int64_t count() const { return m_count; }
    double mean() const { return m_mean; }
    // The sample standard deviation (n - 1); 0 below two readings.
    double standardDeviation() const;
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }
    double span() const { return m_max - m_min; }

private:
    std::int64_t m_count = 0;
    double m_mean = 0.0;
    double m_squares = 0.0; // sum of squared deviations from the running mean
    double m_min = 0.0;
    double m_max = 0.0;
};
