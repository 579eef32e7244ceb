// Series of a meter settling as the simulator's does (2 % off its final value at the first
// reading, approaching it exponentially, with Gaussian noise from a fixed seed), judged reading
// by reading as "Stop when stable" judges them: how often the reading kept lies within the
// band of the final value, and how soon the series stops. The test holds the figures; the
// bench prints them.
#pragma once

#include "readings/Stability.h"

#include <QList>

namespace Settling {

struct Case {
    double settleSeconds = 3.0;   // the time constant of the approach
    double intervalSeconds = 0.5; // between readings
    double noisePercent = 0.0;    // one standard deviation, in percent of the reading
    bool fromAbove = true;
};

struct Outcome {
    double withinShare = 0.0;       // of the series, results within the band (never stopped: not)
    double medianStopSeconds = 0.0; // from the first reading; infinite when most never stop
    // The figures asked of every case: 99 % within the band, and stopped in the median by six
    // time constants plus the count of intervals.
    bool met(const Case& c, const Stability::Criterion& criterion) const;
};

// The cases of the table: settling in 1, 3, 10 and 30 s, a reading every 0.5, 1 and 2 s,
// noise of none, a tenth and a quarter of the band, from above and from below.
QList<Case> cases(const Stability::Criterion& criterion);

// `seeds` series of `c`, seeds 1 to `seeds`, each judged until stable or twenty time constants
// and ten counts of readings have passed.
Outcome run(const Case& c, const Stability::Criterion& criterion, int seeds);

} // namespace Settling
