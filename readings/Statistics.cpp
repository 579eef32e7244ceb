// Welford's running mean and variance.
#include "readings/Statistics.h"

#include <algorithm>
#include <cmath>

void Statistics::add(double value) {
    ++m_count;
    const double delta = value - m_mean;
    m_mean += delta / double(m_count);
    m_squares += delta * (value - m_mean);
    m_min = m_count == 1 ? value : std::min(m_min, value);
    m_max = m_count == 1 ? value : std::max(m_max, value);
}

double Statistics::standardDeviation() const {
    return m_count < 2 ? 0.0 : std::sqrt(m_squares / double(m_count - 1));
}
