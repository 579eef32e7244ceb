// The figures of the windows' own exchanges, run in this process on real (offscreen) windows
// over the real serial port class and the simulator: a trigger cycle and a settings upload.
#pragma once

#include "Report.h"

namespace WindowFigures {

// Figures 2b (reply LF to Pvalue), 3 at "Fast" and at "Slow", and 4 (upload overhead).
QList<Figure> measure(int triggerRuns, int uploadRuns);

} // namespace WindowFigures
