// Command parsing and reply shaping of the simulated meter.
#include "Instrument.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace sim {

namespace {

// Largest trigger delay honoured; keeps the scheduled time far from overflow whatever is typed.
constexpr double kMaxTriggerDelayMs = 3600.0 * 1000.0;

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Whole-text number parse: "12abc" is not a number. The program never calls setlocale, so
// strtod works in the "C" locale with '.' as decimal point, like the meter's own replies.
std::optional<double> parseNumber(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || errno == ERANGE)
        return std::nullopt;
    if (!trim(std::string_view(end)).empty())
        return std::nullopt;
    return v;
}

std::optional<long> parseInteger(const std::string& text, long lo, long hi) {
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < lo || v > hi)
        return std::nullopt;
    return v;
}

long speedDelayMs(Speed s) {
    switch (s) {
    case Speed::Fast:
        return 10;
    case Speed::Medium:
        return 40;
    case Speed::Slow:
        return 120;
    }
    return 120;
}

} // namespace

Instrument::Instrument(InstrumentOptions options)
    : m_options(std::move(options)), m_random(m_options.seed), m_start(monotonicNow()) {
}

double Instrument::fullScale(int range) {
    // Literal values, not powers of ten, so a reading of exactly full scale compares equal.
    static const double kFullScale[kRangeCount] = {0.02, 0.2, 2, 20, 200, 2e3, 2e4, 2e5, 2e6};
    return range >= 0 && range < kRangeCount ? kFullScale[range] : kFullScale[kRangeCount - 1];
}

std::optional<Reply> Instrument::handleLine(std::string_view text) {
    text = trim(text);
    const std::size_t space = text.find_first_of(" \t");
    const std::string word = upper(text.substr(0, space));
    const std::string arg =
        space == std::string_view::npos ? std::string() : std::string(trim(text.substr(space)));

    // Settings change even when the simulator is told to stay silent.
    configure(word, arg);
    if (m_options.silent)
        return std::nullopt;

    if (word == "*IDN?" && arg.empty())
        return Reply{m_options.idn + "\r\n", m_options.fixedDelayMs.value_or(5)};
    if (word == "*TRG" && arg.empty()) {
        return Reply{triggerText(), m_options.fixedDelayMs.value_or(triggerDelay())};
    }
    return std::nullopt;
}

void Instrument::configure(const std::string& word, const std::string& arg) {
    // Out-of-range or malformed arguments leave the setting unchanged, as the meter would
    // reject such a command without answering.
    if (word == ":TRIG:SOUR") {
        if (upper(arg) == "BUS")
            m_busTrigger = true;
    } else if (word == ":SOUR:DRY") {
        if (auto v = parseInteger(arg, 0, 1))
            m_dry = static_cast<int>(*v);
    } else if (word == ":SOUR:DRIV") {
        if (auto v = parseInteger(arg, 0, 4))
            m_drive = static_cast<int>(*v);
    } else if (word == ":SENS:RANG:AUTO") {
        if (auto v = parseInteger(arg, 0, 1))
            m_autoRange = *v == 1;
    } else if (word == ":SENS:RANG") {
        if (auto v = parseInteger(arg, 0, kRangeCount - 1))
            m_range = static_cast<int>(*v);
    } else if (word == ":SENS:SPEED") {
        const std::string s = upper(arg);
        if (s == "FAST")
            m_speed = Speed::Fast;
        else if (s == "MEDIUM")
            m_speed = Speed::Medium;
        else if (s == "SLOW")
            m_speed = Speed::Slow;
    } else if (word == ":TRIG:DEL") {
        // Typed by the operator, so fractions such as 5.5 occur.
        if (auto v = parseNumber(arg); v && *v >= 0 && *v <= kMaxTriggerDelayMs)
            m_triggerDelayMs = *v;
    } else if (word == ":SENS:AVER:COUN") {
        if (auto v = parseInteger(arg, 1, 1000000))
            m_averages = *v;
    }
    // "*CLS", empty lines and unknown commands: nothing to remember.
}

std::string Instrument::varied(const std::string& reading) {
    if (m_options.noisePercent == 0.0 && m_options.driftPercentPerMinute == 0.0 &&
        m_options.settleSeconds == 0.0)
        return reading;
    const std::optional<double> value = parseNumber(reading);
    if (!value)
        return reading;
    const Nanos now = monotonicNow();
    if (!m_firstTrigger)
        m_firstTrigger = now;
    const double minutes = double(now - m_start) / 60e9;
    const double drift = 1.0 + m_options.driftPercentPerMinute / 100.0 * minutes;
    // A winding's inductance charging, a contact warming: exponentially to the final value.
    const double settle =
        m_options.settleSeconds == 0.0
            ? 1.0
            : 1.0 + kSettleFromPercent / 100.0 *
                        std::exp(-double(now - *m_firstTrigger) / 1e9 / m_options.settleSeconds);
    const double noise = 1.0 + m_options.noisePercent / 100.0 * m_gauss(m_random);
    char text[32];
    std::snprintf(text, sizeof text, "%.6e", *value * drift * settle * noise);
    return text;
}

std::string Instrument::triggerText() {
    if (m_options.garbage)
        return "#?x!\n";
    const char* end = m_options.crlf ? "\r\n" : "\n";
    if (m_options.overrange)
        return std::string(kOverRange) + end;
    // A fixed range cannot show a value above its full scale; auto-ranging always can.
    // Non-numeric readings pass through untouched so the panel's parsing can be exercised.
    if (!m_autoRange) {
        if (auto v = parseNumber(m_options.reading); v && std::fabs(*v) > fullScale(m_range))
            return std::string(kOverRange) + end;
    }
    return varied(m_options.reading) + end;
}

long Instrument::triggerDelay() const {
    return speedDelayMs(m_speed) + static_cast<long>(std::ceil(m_triggerDelayMs));
}

} // namespace sim
