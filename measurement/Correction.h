// The resistance referred to 20 degrees C with the linear law R20 = R / ((T - 20) x a + 1).
#pragma once

#include <optional>

namespace Correction {

// Evaluated as T minus 20, times the coefficient, plus 1, then the measured value divided by
// that, in double precision from single-precision operands; the quotient is rounded to single
// precision. No value when the divisor is zero or the quotient leaves single precision.
std::optional<float> corrected(float measured, float temperature, float tempco);

} // namespace Correction
