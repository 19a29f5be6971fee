// The benchmarks' clock: the launcher and the programs it starts compare the
// times they exchange, so all read std::chrono::steady_clock, which libstdc++
// takes from CLOCK_MONOTONIC, one clock for every process of the machine.
#pragma once

#include <chrono>

namespace bench {

inline long long MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace bench
