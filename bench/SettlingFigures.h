// How well "Stop when stable" keeps a settled value: simulated settling series judged as the
// Readings window judges them, printed as a table of every case.
#pragma once

#include "Report.h"

namespace SettlingFigures {

// Figure 7f: the cases of the table (settling in 1, 3, 10 and 30 s, a reading every 0.5, 1 and
// 2 s, noise of none, a tenth and a quarter of the band, from above and from below), `seeds`
// series each, that miss a figure: 99 % of the results within the band of the final value,
// and the median stop by six time constants plus the count of intervals. The table of every
// case's share and median stop goes to standard output and into the figure's details.
QList<Figure> measure(int seeds);

} // namespace SettlingFigures
