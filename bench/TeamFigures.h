// The team records' figures, against a real PostgreSQL server over the loopback (the
// throwaway cluster bench/run starts): recording with a team server set, a record reaching
// another bench's Records window, sending 10 000 waiting records and fetching 100 000 into an
// empty copy.
#pragma once

#include "Report.h"

namespace TeamFigures {

// Figures 9a (one record added with the sync running; `addRuns`), 9b (a record of one bench
// to the other's Records window listing it; `reachRuns`), 9c (10 000 waiting records sent)
// and 9d (100 000 records fetched into an empty copy).
QList<Figure> measure(int addRuns, int reachRuns);

} // namespace TeamFigures
