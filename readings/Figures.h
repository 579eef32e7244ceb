// Figures of the Readings window in double precision, at the meter's resolution: the meter
// answers with seven significant digits, so readings, limits and everything derived from them
// are compared and shown at seven digits, and round readings give round figures.
#pragma once

#include <QChar>
#include <QString>

namespace Figures {

inline constexpr int kMeterDigits = 7;

// The decimal a single-precision value stands for (its shortest decimal form) as a double:
// 0.0126f is 0.0126, not 0.012599999..., so sums and differences of readings stay round.
double ofSingle(float value);

// Rounded to the meter's seven significant digits; NaN and infinities stay as they are.
double atMeterDigits(double value);

// At most seven significant digits, no trailing zeros, `point` as the decimal separator; the
// plain form from 1E-04 up to 1E+07, the exponent form ("1.5E-07") outside it, as the results
// window writes its numbers. Empty for NaN.
QString text(double value, QChar point = QLatin1Char('.'));

// A resistance brought into an engineering range from pico to mega, chosen after rounding to
// seven digits so that 999.99996 uOhm shows as 1 mOhm.
struct Scaled {
    double value;
    QString prefix; // "p", "n", "u", "m", "", "k" or "M"
};
Scaled scaled(double ohms);

} // namespace Figures
