// The engineering range of a resistance: the shared-module routine that picks the prefix.
#pragma once

#include "link/Module1.h"

namespace Module1 {

// Returns `value` (ohms) brought into its range and sets sPrefix: below 1 mOhm "u", below
// 1 Ohm "m", below 1 kOhm none, below 1 MOhm "k", and from 1 MOhm up unscaled with no prefix.
// A value exactly on a bound takes the upper range; the sign is kept.
float ScaleReading(float value);

} // namespace Module1
