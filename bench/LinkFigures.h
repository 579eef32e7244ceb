// The figures of the instrument link, run in this process over the real serial port class
// and the simulator's pseudo-terminal: what a reply wait costs and how fast it wakes.
#pragma once

#include "Report.h"

namespace LinkFigures {

// CPU seconds of a 10 s reply wait on a silent meter, and the same against a busy-polling
// wait built here as the baseline (figures 1 and 1r).
QList<Figure> waitCpu(int runs);

// From the simulator writing a reply's LF to the reply wait returning (figure 2a).
Figure replyLatency(int runs);

} // namespace LinkFigures
