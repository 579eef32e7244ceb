// Pass/fail limits for a series and the verdict they give each reading.
#pragma once

#include <QString>

#include <optional>

namespace Limits {

enum class Mode { Off, Tolerance, Window };

// Limits in ohms. Tolerance: nominal plus or minus a percentage of it; Window: low to high.
struct Settings {
    Mode mode = Mode::Off;
    double nominal = 0.0;
    double tolerancePercent = 0.0;
    double low = 0.0;
    double high = 0.0;
};

struct Band {
    double low;
    double high;
};

// The accepted band, both ends inclusive; none with the limits off.
std::optional<Band> band(const Settings& settings);

enum class Verdict : unsigned char { None, Pass, Low, High, RangeError };

// A reading against the limits, both compared at seven significant digits. No value (a correction
// that failed) and limits that are off give no verdict.
Verdict judge(const Settings& settings, std::optional<double> value);

// "PASS", "LOW", "HIGH", "Range Error", or empty.
QString text(Verdict verdict);

} // namespace Limits
