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

// A snake of 4 on 80 x 24, then ones that fill a board of 920, 7,920 and
// 23,800 cells.
inline void growingSnakes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"cols", "rows", "segments"});
    b->Args({80, 24, 4})->Args({80, 24, 920})->Args({240, 67, 7920})->Args({400, 120, 23800});
}

// Full redraws of the smallest and largest consoles, with the shortest and
// the longest snake.
inline void fullFrames(benchmark::internal::Benchmark* b) {
    b->ArgNames({"cols", "rows", "segments"});
    b->Args({80, 24, 4})->Args({80, 24, 920})->Args({400, 120, 4})->Args({400, 120, 23800});
    b->Unit(benchmark::kMicrosecond);
}
