// Simulated settling series.
#include "Settling.h"

#include "readings/Figures.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace Settling {

constexpr double kFinal = 12.5e-3; // ohms
constexpr double kFromPercent = 2.0;

bool Outcome::met(const Case& c, const Stability::Criterion& criterion) const {
    return withinShare >= 0.99 &&
           medianStopSeconds <= 6.0 * c.settleSeconds + criterion.count * c.intervalSeconds;
}

QList<Case> cases(const Stability::Criterion& criterion) {
    QList<Case> all;
    for (double settle : {1.0, 3.0, 10.0, 30.0})
        for (double interval : {0.5, 1.0, 2.0})
            for (double noise : {0.0, criterion.bandPercent / 10, criterion.bandPercent / 4})
                for (bool above : {true, false})
                    all << Case{settle, interval, noise, above};
    return all;
}

Outcome run(const Case& c, const Stability::Criterion& criterion, int seeds) {
    const double band = kFinal * criterion.bandPercent / 100.0;
    const double way = c.fromAbove ? 1.0 : -1.0;
    const int longest =
        int(std::ceil(20.0 * c.settleSeconds / c.intervalSeconds)) + 10 * criterion.count;
    int within = 0;
    std::vector<double> stops;
    for (int seed = 1; seed <= seeds; ++seed) {
        std::mt19937 random{unsigned(seed)};
        std::normal_distribution<double> gauss;
        Stability::Tracker tracker(criterion);
        double stop = HUGE_VAL;
        for (int k = 0; k < longest; ++k) {
            const double t = k * c.intervalSeconds;
            const double settling =
                1.0 + way * kFromPercent / 100.0 * std::exp(-t / c.settleSeconds);
            const double noise = 1.0 + c.noisePercent / 100.0 * gauss(random);
            // As the meter sends it: seven significant digits.
            const double reading = Figures::atMeterDigits(kFinal * settling * noise);
            tracker.add(reading);
            if (tracker.stable()) {
                stop = t;
                within += std::fabs(reading - kFinal) <= band;
                break;
            }
        }
        stops.push_back(stop);
    }
    std::nth_element(stops.begin(), stops.begin() + stops.size() / 2, stops.end());
    return {double(within) / seeds, stops[stops.size() / 2]};
}

} // namespace Settling
