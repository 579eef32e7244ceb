// The reply reader of a trigger: the shared-module routine that waits for the reading.
#pragma once

#include "link/Module1.h"

namespace Module1 {

// Settling pause between the first characters of a reading and the wait for its line end.
inline constexpr qint64 kSettlingNs = 200'000'000;

// Waits for the reply to "*TRG" in three phases: the first characters (up to 10 s, yielding
// to the event loop), a 0.2 s settling pause that does not yield, and the line end (up to
// 10 s from the start, yielding). Leaves the cleaned reply in sReply and sets bTimeout; with
// nothing received it shows the not-responding box. A port that fails ends the wait at once.
void ReadMeasurement();

} // namespace Module1
