// Round ticks for the trend chart.
#include "readings/ChartScale.h"

#include "readings/Figures.h"

#include <cmath>
#include <utility>

namespace ChartScale {

Axis axis(double low, double high, int intervals) {
    if (high < low)
        std::swap(low, high);
    if (high == low) {
        const double around = low == 0.0 ? 1e-9 : std::fabs(low) * 0.01;
        low -= around;
        high += around;
    }
    const double rough = (high - low) / double(intervals);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10.0;
    for (double multiple : {1.0, 2.0, 5.0}) {
        if (rough <= multiple * power * (1 + 1e-9)) {
            step = multiple * power;
            break;
        }
    }
    // A hair of slack: a value that is a tick, give or take the last bit, is that tick.
    const double first = std::floor(low / step + 1e-9);
    const double last = std::ceil(high / step - 1e-9);
    Axis result{0.0, 0.0, {}};
    for (double k = first; k <= last; ++k)
        result.ticks.push_back(Figures::atMeterDigits(k * step));
    result.low = result.ticks.front();
    result.high = result.ticks.back();
    return result;
}

} // namespace ChartScale
