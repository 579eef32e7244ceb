// Number text.
#include "measurement/NumberText.h"

#include <charconv>
#include <cmath>

namespace NumberText {

QString of(float value, QChar decimalPoint) {
    if (value == 0.0f || std::isnan(value))
        value = 0.0f; // no "-0"; a reading never holds NaN, and 0 is the harmless text
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    char buffer[32];
    // The general form with 7 digits switches to the exponent form exactly when the rounded
    // exponent is below -4 or at least 7, and drops trailing zeros; it never follows the C
    // library's locale.
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::general, 7);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (decimalPoint != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

QString forDisplay(float value, const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return of(value, point.isEmpty() ? QLatin1Char('.') : point.at(0));
}

} // namespace NumberText
