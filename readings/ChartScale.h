// The trend chart's value axis: round ticks an engineer reads at a glance (12.2, 12.4,
// 12.6 mOhm) rather than the series' own extremes.
#pragma once

#include <vector>

namespace ChartScale {

struct Axis {
    double low;  // the lowest tick
    double high; // the highest tick
    std::vector<double> ticks;
};

// An axis from a tick at or below `low` to one at or above `high`, the ticks a step of 1, 2
// or 5 times a power of ten apart, at most `intervals` steps (and at least one) between them.
// A flat series gets a band around its value.
Axis axis(double low, double high, int intervals = 4);

} // namespace ChartScale
