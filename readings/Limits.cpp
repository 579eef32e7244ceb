// Limit bands and verdicts.
#include "readings/Limits.h"

#include "readings/Figures.h"

#include <cmath>

namespace Limits {

std::optional<Band> band(const Settings& settings) {
    switch (settings.mode) {
    case Mode::Off:
        return std::nullopt;
    case Mode::Tolerance: {
        // The tolerance is a share of the nominal's size, so a negative nominal keeps low < high.
        const double deviation = std::fabs(settings.nominal) * settings.tolerancePercent / 100.0;
        return Band{settings.nominal - deviation, settings.nominal + deviation};
    }
    case Mode::Window:
        return Band{settings.low, settings.high};
    }
    return std::nullopt;
}

Verdict judge(const Settings& settings, std::optional<double> value) {
    const std::optional<Band> accepted = band(settings);
    if (!accepted || !value)
        return Verdict::None;
    // At the meter's resolution: a reading that reads the same as its limit is on it, not
    // past it, whatever rounding the unit factor or the percentage left in the limit.
    const double reading = Figures::atMeterDigits(*value);
    if (reading < Figures::atMeterDigits(accepted->low))
        return Verdict::Low;
    if (reading > Figures::atMeterDigits(accepted->high))
        return Verdict::High;
    return Verdict::Pass;
}

QString text(Verdict verdict) {
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Low:
        return QStringLiteral("LOW");
    case Verdict::High:
        return QStringLiteral("HIGH");
    case Verdict::RangeError:
        return QStringLiteral("Range Error");
    case Verdict::None:
        break;
    }
    return QString();
}

} // namespace Limits
