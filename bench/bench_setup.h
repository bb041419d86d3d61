// What every benchmark here takes, a console size and a snake length, and how
// it reports a count per iteration.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// The board is cols / 2 cells by rows - 1 rows, as the game makes it.
struct Setup {
    int32_t cols;
    int32_t rows;
    int32_t segments;
};

inline Setup setupOf(const benchmark::State& state) {
    return {static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
            static_cast<int32_t>(state.range(2))};
}

inline void perIteration(benchmark::State& state, const char* name, double total) {
    state.counters[name] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}
