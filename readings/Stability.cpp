// The stability judgement.
#include "readings/Stability.h"

#include "readings/Figures.h"

#include <cmath>

namespace Stability {

Judgement judge(const Criterion& criterion, const std::vector<double>& values,
                const Approach::Settled& settled, int since) {
    Judgement judgement;
    const int n = int(values.size());
    judgement.readings = n;
    judgement.since = since;
    if (n == 0)
        return judgement;
    // Summed as distances from the first reading: equal readings have exactly their own mean.
    double distances = 0.0;
    for (double value : values)
        distances += value - values.front();
    const double mean = values.front() + distances / double(n);
    // The band is a share of the mean's size, so that negative readings have one too.
    const double half = std::fabs(mean) * criterion.bandPercent / 100.0;
    // At the meter's resolution, as the limits are: a reading that reads the same as the
    // band's edge is on it, not past it.
    const double low = Figures::atMeterDigits(mean - half);
    const double high = Figures::atMeterDigits(mean + half);
    double largest = 0.0;
    bool within = true;
    double moments = 0.0;
    double squares = 0.0;
    const double middle = double(n - 1) / 2.0;
    for (int i = 0; i < n; ++i) {
        const double reading = Figures::atMeterDigits(values[size_t(i)]);
        within = within && reading >= low && reading <= high;
        largest = std::fmax(largest, std::fabs(values[size_t(i)] - mean));
        moments += (double(i) - middle) * (values[size_t(i)] - mean);
        squares += (double(i) - middle) * (double(i) - middle);
    }
    const double slope = n > 1 ? moments / squares : 0.0;
    const double percent = std::fabs(mean) / 100.0;
    const auto inPercent = [percent](double ohms) {
        return percent > 0.0 ? ohms / percent : (ohms == 0.0 ? 0.0 : HUGE_VAL);
    };
    judgement.spreadPercent = inPercent(largest);
    judgement.slopePercent = inPercent(slope);
    judgement.withinBand = within;
    judgement.flat = std::fabs(slope) < half / double(criterion.count);
    // Noise near the band would let a single reading land outside it though the series has
    // settled.
    judgement.noisePercent = inPercent(settled.noise);
    judgement.quiet = settled.noise <= half / 3.0;
    // The newest reading against the nearest and the farthest value the series can settle at.
    const double newest = values.back();
    const double remaining =
        std::fmax(std::fabs(newest - settled.low), std::fabs(newest - settled.high));
    judgement.remainingPercent = inPercent(remaining);
    judgement.confirmAfter = settled.confirmAfter;
    judgement.settled = remaining <= half;
    judgement.stable =
        n >= criterion.count && within && judgement.flat && judgement.quiet && judgement.settled;
    return judgement;
}

double valueOf(const Reading& reading) {
    return reading.corrected ? reading.rtc : reading.rx;
}

QString text(const Judgement& judgement, const Criterion& criterion, const QLocale& locale) {
    // A spread needs two readings.
    const QString spread = judgement.readings < 2
                               ? QString()
                               : QStringLiteral("  +/-") +
                                     locale.toString(judgement.spreadPercent, 'g', 2) +
                                     QStringLiteral(" %");
    if (judgement.stable)
        return QStringLiteral("STABLE") + spread;
    QString shown = QStringLiteral("SETTLING") + spread;
    // A trend needs two readings too: after a Range Error there is only the count to wait for.
    if (!judgement.flat && judgement.readings >= 2)
        shown += QStringLiteral(", trend ") + locale.toString(judgement.slopePercent, 'g', 2) +
                 QStringLiteral(" %/reading");
    if (judgement.readings < criterion.count)
        return shown +
               QStringLiteral(" (%1 of %2 readings)").arg(judgement.readings).arg(criterion.count);
    if (!judgement.withinBand || !judgement.flat)
        return shown;
    // The newest readings look settled: say what still keeps them from being so.
    if (!judgement.quiet)
        return shown + QStringLiteral(", noise +/-") +
               locale.toString(judgement.noisePercent, 'g', 1) +
               QStringLiteral(" % too close to the band");
    if (judgement.confirmAfter > judgement.since)
        return shown + QStringLiteral(" (%1 of %2 readings)")
                           .arg(judgement.since)
                           .arg(judgement.confirmAfter);
    if (std::isinf(judgement.remainingPercent))
        return shown + QStringLiteral(", still approaching");
    return shown + QStringLiteral(", may settle ") +
           locale.toString(judgement.remainingPercent, 'g', 2) + QStringLiteral(" % away");
}

void Tracker::add(double value) {
    const int index = m_added++;
    if (std::isnan(value)) {
        m_last.clear();
        m_approach.clear();
        m_runStart = -1;
        m_judgement = Judgement();
        return;
    }
    m_last.push_back(value);
    m_approach.add(value);
    if (int(m_last.size()) > m_criterion.count)
        m_last.erase(m_last.begin());
    m_judgement =
        judge(m_criterion, m_last, m_approach.settled(m_criterion.count), m_approach.size());
    if (!m_judgement.stable)
        m_runStart = -1;
    else if (m_runStart < 0)
        m_runStart = index + 1 - m_criterion.count;
}

} // namespace Stability
