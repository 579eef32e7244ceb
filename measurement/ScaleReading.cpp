// Engineering prefixes.
#include "measurement/ScaleReading.h"

#include <cmath>

namespace Module1 {

Scaled scaled(float value) {
    // Bounds and products stay in single precision, as the readings themselves are.
    const float m = std::fabs(value);
    Scaled result{m, QString()};
    if (m < 0.001f)
        result = {m * 1000000.0f, QStringLiteral("u")};
    else if (m < 1.0f)
        result = {m * 1000.0f, QStringLiteral("m")};
    else if (m >= 1000.0f && m < 1000000.0f)
        result = {m / 1000.0f, QStringLiteral("k")};
    if (value < 0.0f)
        result.value = -result.value;
    return result;
}

float ScaleReading(float value) {
    const Scaled result = scaled(value);
    sPrefix = result.prefix;
    return result.value;
}

} // namespace Module1
