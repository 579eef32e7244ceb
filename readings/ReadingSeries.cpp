// The series and its statistics.
#include "readings/ReadingSeries.h"

#include "measurement/ShownReading.h"
#include "readings/Figures.h"

#include <cmath>

Reading readingOf(const ShownReading& shown, const Limits::Settings& limits, qint64 timeMs) {
    Reading reading;
    reading.time = timeMs;
    reading.corrected = shown.bTC;
    if (shown.overRange) {
        reading.rangeError = true;
        reading.verdict = Limits::Verdict::RangeError;
        return reading;
    }
    const auto decimal = [](const std::optional<float>& value) {
        return value ? Figures::ofSingle(*value) : Reading::kNone;
    };
    reading.rx = decimal(shown.outcome.measured);
    if (shown.bTC) {
        reading.rtc = decimal(shown.outcome.corrected);
        reading.temperature = decimal(shown.outcome.temperature);
        reading.tempco = Figures::ofSingle(shown.tempco);
    }
    const double judged = shown.bTC ? reading.rtc : reading.rx;
    reading.verdict =
        Limits::judge(limits, std::isnan(judged) ? std::nullopt : std::optional<double>(judged));
    return reading;
}

void ReadingSeries::add(const Reading& reading) {
    m_readings.push_back(reading);
    m_rxColumns.add(float(reading.rx));
    m_rtcColumns.add(float(reading.rtc));
    if (!std::isnan(reading.rx))
        m_rx.add(reading.rx);
    if (!std::isnan(reading.rtc))
        m_rtc.add(reading.rtc);
    m_stability.add(Stability::valueOf(reading));
}

void ReadingSeries::setStabilityCriterion(const Stability::Criterion& criterion) {
    m_stability = Stability::Tracker(criterion);
    for (const Reading& reading : m_readings)
        m_stability.add(Stability::valueOf(reading));
}

void ReadingSeries::clear() {
    m_readings.clear();
    m_readings.shrink_to_fit();
    m_rx.clear();
    m_rtc.clear();
    m_rxColumns.clear();
    m_rtcColumns.clear();
    m_stability.clear();
}
