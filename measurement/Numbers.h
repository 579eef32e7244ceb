// Text to single-precision numbers and back, the same way everywhere: the meter's replies
// with a fixed ".", the operator's entries and the display in the operator's locale.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace Numbers {

// Reads an optional sign, digits with at most one decimal separator, and an optional
// exponent in "e" or "E"; blanks around it are allowed. Anything else (group separators,
// "nan", "inf", hex) fails, and so does a value beyond single precision. A failure is no
// value, never 0.
std::optional<float> toSingle(const QString& text, QChar decimalPoint);

// The operator's entries, in the operator's locale.
inline std::optional<float> fromOperator(const QString& text, const QLocale& locale = QLocale()) {
    const QString point = locale.decimalPoint();
    return toSingle(text, point.isEmpty() ? QLatin1Char('.') : point.at(0));
}

// The meter's replies, always with ".".
inline std::optional<float> fromMeter(const QString& text) {
    return toSingle(text, QLatin1Char('.'));
}

} // namespace Numbers
