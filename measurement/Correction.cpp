// Temperature correction arithmetic.
#include "measurement/Correction.h"

#include <cfloat>
#include <cmath>

namespace Correction {

std::optional<float> corrected(float measured, float temperature, float tempco) {
    double divisor = double(temperature) - double(20.0f);
    divisor = divisor * double(tempco);
    divisor = divisor + double(1.0f);
    if (divisor == 0.0)
        return std::nullopt;
    const double quotient = double(measured) / divisor;
    if (!std::isfinite(quotient) || std::fabs(quotient) > double(FLT_MAX))
        return std::nullopt;
    return float(quotient);
}

} // namespace Correction
