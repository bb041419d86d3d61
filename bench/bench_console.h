// The benchmarks' console, linked in place of the real one: a clock and a
// window size the benchmark sets, and output that is counted and dropped.
// The tests' scripted console logs every byte it is given, which would cost
// more than the frame it is timing.
#pragma once

#include <cstdint>

#include "console/console.h"

struct BenchConsole {
    int64_t nowNs = 0;
    console::WindowSize size = console::kFallbackSize;
    uint64_t writes = 0;  // calls of writeOut
    uint64_t bytes = 0;   // bytes given to writeOut
};

BenchConsole& benchConsole();
