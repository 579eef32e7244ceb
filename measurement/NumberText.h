// Single-precision values as text: the short general form the display and the log share.
#pragma once

#include <QLocale>
#include <QString>

namespace NumberText {

// At most 7 significant digits, no trailing zeros, no separator without a fraction, "-" only
// before negative values, `decimalPoint` as the separator. The plain form is used from 1E-04
// up to (not including) 1E+07, measured after rounding to 7 digits; outside it the exponent
// form, with an upper-case E, a sign and at least two exponent digits: 1.5E-07, 1E+07.
QString of(float value, QChar decimalPoint);

// On screen: the operator's decimal separator.
QString forDisplay(float value, const QLocale& locale = QLocale());

// In the log file, which is comma-separated: always ".".
inline QString forLog(float value) {
    return of(value, QLatin1Char('.'));
}

} // namespace NumberText
