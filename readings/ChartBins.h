// How the trend chart draws a long series: readings fall on pixel columns, and each column is
// drawn once, from the lowest to the highest reading on it. The columns are kept up to date
// reading by reading, so drawing costs the same for a hundred thousand readings as for ten.
#pragma once

#include <vector>

class ChartBins {
public:
    struct Column {
        float low;
        float high;
        bool empty; // no reading on this column has a value
    };

    // One more reading; NaN for one without a value (it takes a place but no height).
    void add(float value);
    void clear() {
        m_levels.clear();
        m_count = 0;
    }
    int count() const { return m_count; }

    // The readings on at most `columns` columns, in order: consecutive blocks of the same
    // power-of-two number of readings (the last block may be short), one reading per column
    // when they fit.
    const std::vector<Column>& columns(int columns) const;
    // How many readings each of those columns covers.
    int readingsPerColumn(int columns) const;

private:
    // The first level with at most `columns` blocks; -1 with no readings.
    int level(int columns) const;

    // Level k holds the blocks of 2^k readings.
    std::vector<std::vector<Column>> m_levels;
    int m_count = 0;
};
