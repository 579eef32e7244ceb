// Entry checks of the Readings window.
#include "readings/Entries.h"

#include "measurement/CorrectionSettings.h"
#include "measurement/Numbers.h"
#include "readings/Figures.h"

#include <cmath>

namespace Entries {

namespace {

Checked within(const QString& text, const QLocale& locale, double lowest, double highest,
               const QString& outside) {
    const std::optional<float> value = Numbers::fromOperator(text, locale);
    if (!value)
        return {std::nullopt, CorrectionSettings::kNotNumeric};
    // The decimal typed against the bounds: 0.0001 is its own float's 9.99999975e-05.
    const double typed = Figures::ofSingle(*value);
    if (typed < lowest || typed > highest)
        return {std::nullopt, outside};
    return {typed, QString()};
}

} // namespace

Checked limit(const QString& text, const QLocale& locale) {
    const std::optional<float> value = Numbers::fromOperator(text, locale);
    if (!value)
        return {std::nullopt, CorrectionSettings::kNotNumeric};
    // The decimal typed, not its nearest float: 12.4 mOhm is 0.0124 ohms.
    return {Figures::ofSingle(*value), QString()};
}

Checked tolerance(const QString& text, const QLocale& locale) {
    return within(text, locale, 0.0, 100.0, kTolerance);
}

Checked interval(const QString& text, const QLocale& locale) {
    return within(text, locale, 0.5, 3600.0, kInterval);
}

Checked stableCount(const QString& text, const QLocale& locale) {
    Checked checked = within(text, locale, 3.0, 1000.0, kStableCount);
    if (checked.value && *checked.value != std::floor(*checked.value))
        return {std::nullopt, kStableCount};
    return checked;
}

Checked stableBand(const QString& text, const QLocale& locale) {
    return within(text, locale, 0.0001, 100.0, kStableBand);
}

QStringList units() {
    return {QStringLiteral("uOhm"), QStringLiteral("mOhm"), QStringLiteral("Ohm"),
            QStringLiteral("kOhm")};
}

double ohmsPer(const QString& unit) {
    static const double factors[] = {1e-6, 1e-3, 1.0, 1e3};
    const qsizetype i = units().indexOf(unit);
    return i < 0 ? 1.0 : factors[i];
}

} // namespace Entries
