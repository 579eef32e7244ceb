// The test records' figures, run in this process on a store of 100 000 records in a temporary
// folder and on real (offscreen) Records windows: recording one reading, opening the window,
// narrowing its asset list by one typed character, a certificate of 100 records, and the
// store's size per record.
#pragma once

#include "Report.h"

namespace RecordsFigures {

// Figures 8a (one record added, committed and synced; `addRuns` of them), 8b (the Records
// window opened until listed and painted; `windowRuns` windows), 8c (one more character typed
// into its filter until the list is painted again; every keystroke of `windowRuns` typed
// names), 8d (a certificate of one asset's 100 records; `windowRuns` of them) and 8e (bytes of
// store per record).
QList<Figure> measure(int windowRuns, int addRuns);

} // namespace RecordsFigures
