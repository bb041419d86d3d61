// The steady clock in nanoseconds, as both real console layers give it to
// the main loop (the unit tests' console keeps a clock of its own).
#pragma once

#include <chrono>
#include <cstdint>

inline int64_t steadyClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
