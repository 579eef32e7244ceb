// How the trend chart draws a long series: readings fall on pixel columns, and each column is
// drawn once, from the lowest to the highest reading on it.
#pragma once

#include "readings/Reading.h"

#include <vector>

namespace ChartBins {

struct Column {
    float low;
    float high;
    bool empty; // no reading on this column has a value
};

// The readings' `value` split over at most `columns` columns of consecutive readings (one
// column per reading when there are fewer). Readings without a value are left out.
std::vector<Column> bin(const std::vector<Reading>& readings, float Reading::*value, int columns);

} // namespace ChartBins
