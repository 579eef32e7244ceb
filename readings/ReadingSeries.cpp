// The series and its statistics.
#include "readings/ReadingSeries.h"

#include "measurement/ShownReading.h"

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
    reading.rx = shown.outcome.measured.value_or(Reading::kNone);
    if (shown.bTC) {
        reading.rtc = shown.outcome.corrected.value_or(Reading::kNone);
        reading.temperature = shown.outcome.temperature.value_or(Reading::kNone);
        reading.tempco = shown.tempco;
    }
    const float judged = shown.bTC ? reading.rtc : reading.rx;
    reading.verdict =
        Limits::judge(limits, std::isnan(judged) ? std::nullopt : std::optional<double>(judged));
    return reading;
}

void ReadingSeries::add(const Reading& reading) {
    m_readings.push_back(reading);
    m_rxColumns.add(reading.rx);
    m_rtcColumns.add(reading.rtc);
    if (!std::isnan(reading.rx))
        m_rx.add(reading.rx);
    if (!std::isnan(reading.rtc))
        m_rtc.add(reading.rtc);
}

void ReadingSeries::clear() {
    m_readings.clear();
    m_readings.shrink_to_fit();
    m_rx.clear();
    m_rtc.clear();
    m_rxColumns.clear();
    m_rtcColumns.clear();
}
