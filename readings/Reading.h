// One reading of the series as the Readings window keeps it: small, because a long series
// holds a hundred thousand of them, and every text is made from it only when shown.
#pragma once

#include "readings/Limits.h"

#include <QtGlobal>

#include <limits>

struct Reading {
    static constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

    qint64 time = 0;           // milliseconds since the epoch, UTC
    float rx = kNone;          // ohms; none for "Range Error"
    float rtc = kNone;         // ohms; only with the correction on, and none when it failed
    float temperature = kNone; // degrees C used by the correction, when on and numeric
    float tempco = 0.0f;       // per degree C, used when the correction is on
    bool rangeError = false;
    bool corrected = false; // the correction was on for this reading
    Limits::Verdict verdict = Limits::Verdict::None;
};
