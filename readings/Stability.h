// Whether a series has settled: a low resistance drifts for a while after the test current
// starts (a winding's inductance charging, the contacts and the conductor warming, thermal
// EMFs), and a reading taken during that drift is not the resistance. A run that looks flat
// for a moment can still be on its way, so the judgement also projects where the series
// settles and keeps a reading only when it lies within the band of that value.
#pragma once

#include "readings/Approach.h"
#include "readings/Reading.h"

#include <QLocale>
#include <QString>

#include <vector>

namespace Stability {

// The last `count` readings lie within +/- `bandPercent` of their mean and their trend (the
// least-squares slope, in percent of the mean per reading) is below `bandPercent / count`;
// their noise is at most a third of the band, and the newest reading lies within the band of
// every value the series can still settle at.
struct Criterion {
    int count = 5;
    double bandPercent = 0.05;
};

struct Judgement {
    int readings = 0;         // judged: since the last Range Error or Clear, at most the count
    double spreadPercent = 0; // largest distance from their mean, in percent of the mean
    double slopePercent = 0;  // their trend, in percent of the mean per reading
    bool withinBand = false;  // every one inside the band, judged at the meter's digits
    bool flat = false;        // the trend below the band divided by the count
    int since = 0;            // readings since the last Range Error or Clear
    double noisePercent = 0;  // one standard deviation about their trend
    bool quiet = false;       // the noise at most a third of the band
    // How far the newest reading may lie from the value the series settles at, in percent of
    // the mean; infinite while the approach cannot be told yet.
    double remainingPercent = HUGE_VAL;
    int confirmAfter = 0; // readings needed when no approach can be seen (0: none)
    bool settled = false; // the remaining distance within the band
    bool stable = false;  // `count` readings, within the band, flat, quiet and settled
};

// The last readings of a series (oldest first, none a Range Error) against `criterion`, with
// where the whole series since its last Range Error or Clear settles.
Judgement judge(const Criterion& criterion, const std::vector<double>& values,
                const Approach::Settled& settled, int since);

// The value a reading is judged by, as its verdict is: Rtc with the correction on, Rx
// otherwise; NaN for a Range Error or a failed correction.
double valueOf(const Reading& reading);

// The indicator's text: "STABLE  +/-0.012 %", or "SETTLING  +/-0.12 %" with what is missing
// (a flat trend, readings, a quieter meter, or the rest of the approach); the spread from two
// readings on.
QString text(const Judgement& judgement, const Criterion& criterion,
             const QLocale& locale = QLocale());

// The judgement kept up to date reading by reading, and the current stable run: the readings
// from the first of the first stable window up to the newest, while every window since has
// been stable.
class Tracker {
public:
    explicit Tracker(const Criterion& criterion = {}) : m_criterion(criterion) {}

    // One more reading's value; NaN (a Range Error) breaks the run and starts afresh.
    void add(double value);
    void clear() { *this = Tracker(m_criterion); }

    const Criterion& criterion() const { return m_criterion; }
    const Judgement& judgement() const { return m_judgement; }
    bool stable() const { return m_judgement.stable; }
    // The index of the current stable run's first reading (0 the first since Clear), or -1.
    int runStart() const { return m_runStart; }

private:
    Criterion m_criterion;
    std::vector<double> m_last; // the newest readings since a break, at most the count
    Approach m_approach;        // all of them
    Judgement m_judgement;
    int m_added = 0;
    int m_runStart = -1;
};

} // namespace Stability
