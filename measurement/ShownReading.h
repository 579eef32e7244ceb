// A reading as the results window has just shown it, for windows that keep a record.
#pragma once

#include "measurement/MeasurementCycle.h"

struct ShownReading {
    MeasurementCycle::Outcome outcome;
    bool overRange = false; // "Range Error": no numbers
    float tempco = 0.0f;    // the coefficient the cycle used
    bool bTC = false;       // the correction was switched on
};
