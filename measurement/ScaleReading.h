// The engineering range of a resistance: the shared-module routine that picks the prefix.
#pragma once

#include "link/Module1.h"

namespace Module1 {

// A value brought into its engineering range, with the prefix that range takes.
struct Scaled {
    float value;
    QString prefix;
};

// Below 1 mOhm "u", below 1 Ohm "m", below 1 kOhm none, below 1 MOhm "k", and from 1 MOhm up
// unscaled with no prefix. A value exactly on a bound takes the upper range; the sign is kept.
// Leaves sPrefix alone, so other windows can show values without touching the cycle's state.
Scaled scaled(float value);

// Returns `value` (ohms) brought into its range, as scaled() does, and sets sPrefix.
float ScaleReading(float value);

} // namespace Module1
