// One reading of the series as the Readings window keeps it: small, because a long series
// holds a hundred thousand of them, and every text is made from it only when shown. Values are
// the decimals the meter and the correction gave, in double precision, so that statistics of
// round readings come out round.
#pragma once

#include "readings/Limits.h"

#include <QtGlobal>

#include <limits>

struct Reading {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    qint64 time = 0;            // milliseconds since the epoch, UTC
    double rx = kNone;          // ohms; none for "Range Error"
    double rtc = kNone;         // ohms; only with the correction on, and none when it failed
    double temperature = kNone; // degrees C used by the correction, when on and numeric
    double tempco = kNone;      // per degree C: the one this reading was corrected with
    bool rangeError = false;
    bool corrected = false; // the correction was on for this reading
    Limits::Verdict verdict = Limits::Verdict::None;
};
