// Monotonic time for reply scheduling and the record file; wall-clock jumps must not move replies.
#pragma once

#include <cstdint>
#include <ctime>

namespace sim {

using Nanos = std::int64_t;

constexpr Nanos kNanosPerMilli = 1000000;

inline Nanos monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Nanos>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace sim
