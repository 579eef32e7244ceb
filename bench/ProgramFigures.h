// The figures of the built program as an operator starts it: on a private X server, with the
// simulator on its port, timed and measured from outside.
#pragma once

#include "Report.h"

namespace ProgramFigures {

// Start-up time and peak memory of the program against the floor program (figure 5), and
// the CPU an idle results window uses (figure 6).
QList<Figure> measure(int startRuns, int idleRuns, double idleSeconds);

} // namespace ProgramFigures
