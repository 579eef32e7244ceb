// The Readings window's figures, run in this process on real (offscreen) windows: the cost of
// one more reading in a long series, the memory a long series takes, and the auto-repeat's
// idle cost and timing over the real serial port class and the simulator.
#pragma once

#include "Report.h"

namespace ReadingsFigures {

// Figures 7a (a reading to the window repainted, with 100 000 present), 7b (memory of 100 000
// readings), 7e (the stability judgement of one more reading, 100 000 present), 7c (CPU between
// auto-repeated cycles) and 7d (start times against the schedule), the last two from
// auto-repeat every 1 s for `repeatSeconds`.
QList<Figure> measure(int addRuns, int repeatSeconds);

} // namespace ReadingsFigures
