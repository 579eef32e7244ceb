// The clocks the figures are read from: the monotonic clock the simulator stamps its record
// with, this process's CPU time, and another process's CPU time and peak memory.
#pragma once

#include <QList>

#include <sys/types.h>

namespace Clocks {

// CLOCK_MONOTONIC in seconds: the clock of the simulator's record and of QElapsedTimer.
double monotonic();

// CPU seconds used by this process so far, every thread included.
double processCpu();

// CPU seconds used by another process so far, every thread included, to the nanosecond
// (the scheduler's own account), or a negative value when it cannot be read.
double cpuOf(pid_t pid);

// The same from utime + stime in /proc/<pid>/stat, in clock ticks' resolution.
double cpuTicksOf(pid_t pid);

// The peak resident memory of a process (VmHWM) in MiB, or a negative value.
double peakMemoryMiB(pid_t pid);

double median(QList<double> values);

} // namespace Clocks
