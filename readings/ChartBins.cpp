// Column binning for the trend chart.
#include "readings/ChartBins.h"

#include <algorithm>
#include <cmath>

namespace ChartBins {

std::vector<Column> bin(const std::vector<Reading>& readings, float Reading::*value, int columns) {
    const size_t count = readings.size();
    const size_t used = std::min(count, size_t(std::max(columns, 0)));
    std::vector<Column> result(used, Column{0.0f, 0.0f, true});
    for (size_t c = 0; c < used; ++c) {
        Column& column = result[c];
        // Column c holds readings [c * count / used, (c + 1) * count / used).
        const size_t first = c * count / used;
        const size_t end = (c + 1) * count / used;
        for (size_t i = first; i < end; ++i) {
            const float v = readings[i].*value;
            if (std::isnan(v))
                continue;
            column.low = column.empty ? v : std::min(column.low, v);
            column.high = column.empty ? v : std::max(column.high, v);
            column.empty = false;
        }
    }
    return result;
}

} // namespace ChartBins
