// Column envelopes for the trend chart, one level per power-of-two block size.
#include "readings/ChartBins.h"

#include <algorithm>
#include <cmath>

namespace {

void merge(ChartBins::Column& column, float low, float high) {
    column.low = column.empty ? low : std::min(column.low, low);
    column.high = column.empty ? high : std::max(column.high, high);
    column.empty = false;
}

} // namespace

void ChartBins::add(float value) {
    const size_t index = size_t(m_count++);
    if (m_levels.empty())
        m_levels.emplace_back();
    for (size_t level = 0; level < m_levels.size(); ++level) {
        std::vector<Column>& blocks = m_levels[level];
        const size_t block = index >> level;
        if (block == blocks.size())
            blocks.push_back(Column{0.0f, 0.0f, true});
        if (!std::isnan(value))
            merge(blocks[block], value, value);
    }
    // A top level of two blocks gets one above it, whose single block covers both.
    const std::vector<Column>& top = m_levels.back();
    if (top.size() == 2) {
        Column both = top[0];
        if (!top[1].empty)
            merge(both, top[1].low, top[1].high);
        m_levels.push_back({both});
    }
}

int ChartBins::level(int columns) const {
    for (size_t level = 0; level < m_levels.size(); ++level)
        if (int(m_levels[level].size()) <= std::max(columns, 1))
            return int(level);
    return -1;
}

const std::vector<ChartBins::Column>& ChartBins::columns(int columns) const {
    static const std::vector<Column> none;
    const int chosen = level(columns);
    return chosen < 0 ? none : m_levels[size_t(chosen)];
}

int ChartBins::readingsPerColumn(int columns) const {
    return 1 << std::max(0, level(columns));
}
