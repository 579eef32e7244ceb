// Engineering prefixes.
#include "measurement/ScaleReading.h"

#include <cmath>

namespace Module1 {

float ScaleReading(float value) {
    // Bounds and products stay in single precision, as the readings themselves are.
    const float m = std::fabs(value);
    float scaled;
    if (m < 0.001f) {
        sPrefix = QStringLiteral("u");
        scaled = m * 1000000.0f;
    } else if (m < 1.0f) {
        sPrefix = QStringLiteral("m");
        scaled = m * 1000.0f;
    } else if (m < 1000.0f) {
        sPrefix.clear();
        scaled = m;
    } else if (m < 1000000.0f) {
        sPrefix = QStringLiteral("k");
        scaled = m / 1000.0f;
    } else {
        sPrefix.clear();
        scaled = m;
    }
    return value < 0.0f ? -scaled : scaled;
}

} // namespace Module1
