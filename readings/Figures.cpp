// Seven-digit figures.
#include "readings/Figures.h"

#include <charconv>
#include <cmath>

namespace Figures {

double ofSingle(float value) {
    if (!std::isfinite(value))
        return double(value);
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double result = 0.0;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

double atMeterDigits(double value) {
    if (!std::isfinite(value) || value == 0.0)
        return value;
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, kMeterDigits - 1);
    double result = 0.0;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

QString text(double value, QChar point) {
    if (std::isnan(value))
        return QString();
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0.0)
        value = 0.0; // no "-0"
    char buffer[40];
    // Locale-free: the separator is put in afterwards.
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::general, kMeterDigits);
    QString result = QString::fromLatin1(buffer, int(written.ptr - buffer));
    result.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (point != QLatin1Char('.'))
        result.replace(QLatin1Char('.'), point);
    return result;
}

Scaled scaled(double ohms) {
    static const struct {
        double factor;
        const char* prefix;
    } ranges[] = {{1e6, "M"},  {1e3, "k"},  {1.0, ""},   {1e-3, "m"},
                  {1e-6, "u"}, {1e-9, "n"}, {1e-12, "p"}};
    const double rounded = atMeterDigits(ohms);
    const double size = std::fabs(rounded);
    if (size == 0.0 || !std::isfinite(size))
        return {rounded, QString()};
    for (const auto& range : ranges) {
        if (size >= range.factor)
            return {rounded / range.factor, QString::fromLatin1(range.prefix)};
    }
    return {rounded / 1e-12, QStringLiteral("p")}; // below a picohm: still picohms
}

} // namespace Figures
