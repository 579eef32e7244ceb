// The meter's behaviour: one received command line in, at most one reply out. No I/O here.
#pragma once

#include "Clock.h"

#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace sim {

enum class Speed { Fast, Medium, Slow };

struct InstrumentOptions {
    std::string idn = "Norvale,MX7500,MX75-000123,1.04"; // reply text before CR LF
    std::string reading = "1.250000e-02";                // sent verbatim unless over-range
    bool crlf = false;                                   // readings end in CR LF instead of LF
    bool silent = false;                                 // never answer
    bool overrange = false;             // every trigger answers the over-range text
    bool garbage = false;               // every trigger answers non-numeric bytes
    std::optional<long> fixedDelayMs;   // replaces the computed reply times when set
    double noisePercent = 0.0;          // Gaussian noise, standard deviation in % of the reading
    unsigned long seed = 1;             // for the noise: the same seed gives the same series
    double driftPercentPerMinute = 0.0; // a slow change since start, as a conductor warming up
    double settleSeconds = 0.0;         // time constant of the approach to the final value; 0: none
};

struct Reply {
    std::string bytes; // exact bytes to write, terminator included
    long delayMs = 0;  // how long after the command the reply starts
};

class Instrument {
public:
    static constexpr int kRangeCount = 9;
    static constexpr const char* kOverRange = "0.000000e+00";
    // How far above its final value a settling reading starts, in percent.
    static constexpr double kSettleFromPercent = 2.0;

    explicit Instrument(InstrumentOptions options);

    // Takes one line's text (terminator already removed); returns the answer, if any.
    std::optional<Reply> handleLine(std::string_view text);

    // Full scale of range n (0..8) in ohms.
    static double fullScale(int range);

    bool busTrigger() const { return m_busTrigger; }
    int dry() const { return m_dry; }
    int drive() const { return m_drive; }
    bool autoRange() const { return m_autoRange; }
    int range() const { return m_range; }
    Speed speed() const { return m_speed; }
    double triggerDelayMs() const { return m_triggerDelayMs; }
    long averages() const { return m_averages; }

private:
    void configure(const std::string& word, const std::string& arg);
    std::string triggerText();
    // The reading settling since the first trigger, with the drift since start and a fresh
    // draw of noise; the text unchanged when none is asked for or the reading is not a number.
    std::string varied(const std::string& reading);
    long triggerDelay() const;

    InstrumentOptions m_options;
    bool m_busTrigger = false;
    int m_dry = 0;
    int m_drive = 0;
    bool m_autoRange = true;
    int m_range = kRangeCount - 1;
    Speed m_speed = Speed::Slow;
    double m_triggerDelayMs = 0;
    long m_averages = 1;
    std::mt19937_64 m_random;
    std::normal_distribution<double> m_gauss;
    Nanos m_start;
    std::optional<Nanos> m_firstTrigger; // when the test current started to flow
};

} // namespace sim
